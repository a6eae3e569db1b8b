#pragma once

#include "platform/spotify_service.h"

#include <QSignalSpy>

#include <functional>

// A music service on the private bus that opens nothing and answers quickly.
inline SpotifyService::Options quickMusicOptions(std::function<bool()> open = [] { return false; })
{
    SpotifyService::Options options;
    options.statusTimeoutMs = 300;
    options.refreshDelayMs = 50;
    options.openPlayer = std::move(open);
    return options;
}

// Waits until the service has taken in a status run.
inline bool musicSettled(SpotifyService& service)
{
    QSignalSpy running(&service, &SpotifyService::isSpotifyRunningChanged);
    return running.wait(3000);
}
