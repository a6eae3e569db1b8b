#pragma once

#include "platform/spotify_service.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <optional>

// A music player on the session bus (a private one in tests): answers GetAll of the player
// interface with its status and metadata (late, or with an error, when told to), takes the
// transport commands and sends PropertiesChanged when asked.
class FakeMprisPlayer : public QDBusVirtualObject {
public:
    explicit FakeMprisPlayer(const QString& busName = SpotifyService::playerName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              QStringLiteral("fake-player-%1").arg(++s_instances)))
    {
        m_bus.registerVirtualObject(SpotifyService::objectPath, this);
        registered = m_bus.registerService(busName);
    }
    ~FakeMprisPlayer() override
    {
        m_bus.unregisterObject(SpotifyService::objectPath);
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    bool registered = false;
    QString status = QStringLiteral("Stopped");
    QVariantMap metadata;
    // When valid, sent in place of `status` or `metadata`, whatever D-Bus type it holds.
    QVariant statusValue;
    QVariant metadataValue;
    int getAllDelayMs = 0;
    bool withoutPlayerInterface = false;
    QStringList commands;
    int statusReads = 0;

    static QVariantMap track(const QString& title, const QStringList& artists,
                             const std::optional<QString>& album = std::nullopt)
    {
        QVariantMap m{{QStringLiteral("xesam:title"), title},
                      {QStringLiteral("xesam:artist"), artists}};
        if (album)
            m.insert(QStringLiteral("xesam:album"), *album);
        return m;
    }

    void notify(const QVariantMap& changed, const QStringList& invalidated = {})
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            SpotifyService::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << SpotifyService::playerInterface << changed << invalidated;
        m_bus.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QDBusConnection bus = connection;
        if (message.member() == QLatin1String("GetAll")) {
            ++statusReads;
            QDBusMessage reply =
                withoutPlayerInterface
                    ? message.createErrorReply(QDBusError::UnknownInterface,
                                               QStringLiteral("no player"))
                    : message.createReply(QVariant::fromValue(
                          QVariantMap{{QStringLiteral("PlaybackStatus"),
                                       statusValue.isValid() ? statusValue : QVariant(status)},
                                      {QStringLiteral("Metadata"),
                                       metadataValue.isValid() ? metadataValue
                                                               : QVariant::fromValue(metadata)}}));
            if (getAllDelayMs > 0)
                QTimer::singleShot(getAllDelayMs, [bus, reply]() mutable { bus.send(reply); });
            else
                bus.send(reply);
            return true;
        }
        if (message.interface() != SpotifyService::playerInterface)
            return false;
        commands << message.member();
        // The player changes without telling: only a status run can see it.
        if (message.member() == QLatin1String("PlayPause"))
            status = status == QLatin1String("Playing") ? QStringLiteral("Paused")
                                                        : QStringLiteral("Playing");
        else if (message.member() == QLatin1String("Next"))
            metadata = track(QStringLiteral("Lagu Berikutnya"), {QStringLiteral("Band")});
        bus.send(message.createReply());
        return true;
    }

private:
    static inline int s_instances = 0;
    QDBusConnection m_bus;
};
