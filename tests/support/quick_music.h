#pragma once

#include "platform/spotify_service.h"
#include "support/fake_mpris_player.h"

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
inline bool musicSettled(SpotifyService& service, int timeoutMs = 3000)
{
    QSignalSpy read(&service, &SpotifyService::statusRead);
    return read.wait(timeoutMs);
}

// A player paused on a song, and a music service on it that counts how often it was asked
// to open the player. The service's first status run is answered once the loop turns.
struct PausedSong {
    PausedSong()
    {
        player.status = QStringLiteral("Paused");
        player.metadata =
            FakeMprisPlayer::track(QStringLiteral("Bunga"), {QStringLiteral("Karsumo")});
    }
    FakeMprisPlayer player;
    int opened = 0;
    SpotifyService music{QDBusConnection::sessionBus(), quickMusicOptions([this] {
                             ++opened;
                             return true;
                         })};
};
