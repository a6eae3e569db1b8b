#include "platform/spotify_service.h"

#include "platform/app_launcher.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QTimer>

const QString SpotifyService::playerName = QStringLiteral("org.mpris.MediaPlayer2.spotify");
const QString SpotifyService::objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString SpotifyService::playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

namespace {
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kMetadata = QStringLiteral("Metadata");
const QString kPlaybackStatus = QStringLiteral("PlaybackStatus");

QVariantMap toMap(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

// The player answered, only not with its state: it runs, with nothing it can tell.
bool playerAnswered(QDBusError::ErrorType type)
{
    switch (type) {
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownProperty:
    case QDBusError::InvalidArgs:
    case QDBusError::InvalidSignature:
    case QDBusError::NotSupported:
    case QDBusError::Failed:
    case QDBusError::Other:
        return true;
    default:
        return false; // no reply, a timeout, a lost bus: nothing was learnt
    }
}
} // namespace

SpotifyService::SpotifyService(const QDBusConnection& bus, QObject* parent)
    : SpotifyService(bus, Options(), parent)
{
}

SpotifyService::SpotifyService(const QDBusConnection& bus, Options options, QObject* parent)
    : QObject(parent), m_bus(bus), m_options(std::move(options))
{
    if (!m_options.openPlayer) {
        m_options.openPlayer = [] {
            return AppLauncher::launch(AppLauncher::Target::SpotifyApp).launched();
        };
    }
    if (m_bus.isConnected()) {
        m_ownerWatcher = new QDBusServiceWatcher(m_options.playerName, m_bus,
                                                 QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_ownerWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& newOwner) {
                    onOwnerChanged(!newOwner.isEmpty());
                });
        // Signals of this name only: another player's notifications never move the mirror.
        m_bus.connect(m_options.playerName, objectPath, kPropertiesInterface,
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
        if (QDBusConnectionInterface* daemon = m_bus.interface()) {
            auto* owner = new QDBusPendingCallWatcher(
                daemon->asyncCall(QStringLiteral("NameHasOwner"), m_options.playerName), this);
            connect(owner, &QDBusPendingCallWatcher::finished, this,
                    [this](QDBusPendingCallWatcher* call) {
                        const QDBusPendingReply<bool> reply = *call;
                        if (reply.isValid() && reply.value())
                            m_hasOwner = true;
                        call->deleteLater();
                    });
        }
    }
    refreshNowPlaying();
}

SpotifyService::~SpotifyService() = default;

SpotifyService& SpotifyService::shared()
{
    static SpotifyService* instance =
        new SpotifyService(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *instance;
}

void SpotifyService::refreshNowPlaying()
{
    if (!m_bus.isConnected())
        return;
    const int run = ++m_runsStarted;
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_options.playerName, objectPath, kPropertiesInterface, QStringLiteral("GetAll"));
    call << playerInterface;
    call.setAutoStartService(false);
    auto* pending =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_options.statusTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, run](QDBusPendingCallWatcher* finished) {
                applyStatusReply(run, finished);
                finished->deleteLater();
            });
}

void SpotifyService::applyStatusReply(int run, QDBusPendingCallWatcher* call)
{
    // A slow answer must not undo what a newer run or a notification already told.
    if (run <= m_lastAppliedRun || run <= m_runsBeforeLastNotification)
        return;
    const QDBusPendingReply<QVariantMap> reply = *call;
    if (reply.isError()) {
        const QDBusError::ErrorType type = reply.error().type();
        if (type == QDBusError::ServiceUnknown ||
            reply.error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            m_lastAppliedRun = run;
            applyNotRunning();
        } else if (playerAnswered(type)) {
            m_lastAppliedRun = run;
            applyNoTrack();
        }
        return;
    }
    m_lastAppliedRun = run;
    const QVariantMap properties = reply.value();
    const std::optional<Track> track = trackFrom(toMap(properties.value(kMetadata)));
    if (!track) {
        applyNoTrack();
        return;
    }
    applyTrack(*track);
    setPlaying(properties.value(kPlaybackStatus).toString() == QLatin1String("Playing"));
}

void SpotifyService::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                         const QStringList& invalidated)
{
    if (interface != playerInterface)
        return;
    const bool hasMetadata = changed.contains(kMetadata);
    const bool hasStatus = changed.contains(kPlaybackStatus);
    if (hasMetadata || hasStatus) {
        // Runs already under way started before this news: their answers are older.
        m_runsBeforeLastNotification = m_runsStarted;
        if (hasMetadata) {
            // Metadata comes whole: what it leaves out is gone.
            if (const std::optional<Track> track = trackFrom(toMap(changed.value(kMetadata)))) {
                applyTrack(*track);
            } else {
                setSpotifyRunning(true);
                setTrackTitle(QStringLiteral("Spotify Terbuka"));
                setArtistName(QStringLiteral("Pilih lagu untuk memutar"));
                setAlbumName(QString());
            }
        } else {
            setSpotifyRunning(true);
        }
        if (hasStatus)
            setPlaying(changed.value(kPlaybackStatus).toString() == QLatin1String("Playing"));
    }
    if (invalidated.contains(kMetadata) || invalidated.contains(kPlaybackStatus))
        refreshNowPlaying();
}

std::optional<SpotifyService::Track> SpotifyService::trackFrom(const QVariantMap& metadata)
{
    const QString title = metadata.value(QStringLiteral("xesam:title")).toString();
    if (title.isEmpty())
        return std::nullopt;
    // xesam:artist is a list; a player that sends one text is taken at its word.
    const QStringList artists = metadata.value(QStringLiteral("xesam:artist")).toStringList();
    return Track{title, artists.join(QStringLiteral(", ")),
                 metadata.value(QStringLiteral("xesam:album")).toString()};
}

void SpotifyService::applyNotRunning()
{
    setSpotifyRunning(false);
    setTrackTitle(QStringLiteral("Spotify Tidak Aktif"));
    setArtistName(QStringLiteral("Klik untuk membuka"));
    setAlbumName(QString());
    setPlaying(false);
}

void SpotifyService::applyNoTrack()
{
    setSpotifyRunning(true);
    setTrackTitle(QStringLiteral("Spotify Terbuka"));
    setArtistName(QStringLiteral("Pilih lagu untuk memutar"));
    setAlbumName(QString());
    setPlaying(false);
}

void SpotifyService::applyTrack(const Track& track)
{
    setSpotifyRunning(true);
    setTrackTitle(track.title);
    setArtistName(track.artist);
    setAlbumName(track.album);
}

void SpotifyService::playPause()
{
    sendCommand(QStringLiteral("PlayPause"));
}

void SpotifyService::nextTrack()
{
    sendCommand(QStringLiteral("Next"));
}

void SpotifyService::previousTrack()
{
    sendCommand(QStringLiteral("Previous"));
}

void SpotifyService::sendCommand(const QString& method)
{
    if (!m_bus.isConnected())
        return;
    if (!m_hasOwner) {
        if (m_options.openPlayer())
            m_pendingCommand = method;
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_options.playerName, objectPath, playerInterface, method);
    call.setAutoStartService(false);
    auto* pending =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_options.statusTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                // Errors are dropped: the refresh shows whatever state resulted.
                QTimer::singleShot(m_options.refreshDelayMs, this,
                                   &SpotifyService::refreshNowPlaying);
            });
}

void SpotifyService::onOwnerChanged(bool owned)
{
    m_hasOwner = owned;
    if (owned && m_pendingCommand) {
        const QString method = *std::exchange(m_pendingCommand, std::nullopt);
        sendCommand(method);
    }
    // A player that quit must not stay "playing"; one that came is read at once.
    refreshNowPlaying();
}

void SpotifyService::openSpotify()
{
    m_options.openPlayer();
}

void SpotifyService::setTrackTitle(const QString& value)
{
    m_trackTitle = value;
    Q_EMIT trackTitleChanged();
}

void SpotifyService::setArtistName(const QString& value)
{
    m_artistName = value;
    Q_EMIT artistNameChanged();
}

void SpotifyService::setAlbumName(const QString& value)
{
    m_albumName = value;
    Q_EMIT albumNameChanged();
}

void SpotifyService::setPlaying(bool value)
{
    m_isPlaying = value;
    Q_EMIT isPlayingChanged();
}

void SpotifyService::setSpotifyRunning(bool value)
{
    m_isSpotifyRunning = value;
    Q_EMIT isSpotifyRunningChanged();
}
