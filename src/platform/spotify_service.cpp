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

#include <chrono>

const QString SpotifyService::playerName = QStringLiteral("org.mpris.MediaPlayer2.spotify");
const QString SpotifyService::objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString SpotifyService::playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

namespace {
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kMetadata = QStringLiteral("Metadata");
const QString kPlaybackStatus = QStringLiteral("PlaybackStatus");

// Anyone on the bus can own the player's name, so nothing it sends is taken on trust: a
// value is used only when it has the type it should have, and is absent otherwise.
std::optional<QVariantMap> mapFrom(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        // Reading any other shape as names to variants runs off the message's end.
        if (argument.currentSignature() != QLatin1String("a{sv}"))
            return std::nullopt;
        return qdbus_cast<QVariantMap>(argument);
    }
    if (value.userType() == QMetaType::QVariantMap)
        return value.toMap();
    return std::nullopt;
}

QString textFrom(const QVariant& value)
{
    return value.userType() == QMetaType::QString ? value.toString() : QString();
}

// xesam:artist is a list; a player that sends one text is taken at its word.
QStringList textsFrom(const QVariant& value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList();
    if (value.userType() == QMetaType::QString)
        return {value.toString()};
    return {};
}

// A text as the room keeps it: no longer than anything a card can show, whatever was sent.
QString cut(QString text)
{
    if (text.size() <= SpotifyService::maxTextLength)
        return text;
    qsizetype end = SpotifyService::maxTextLength;
    if (text.at(end - 1).isHighSurrogate())
        --end; // never half a character
    text.truncate(end);
    text.squeeze();
    return text;
}

QString joined(const QStringList& parts)
{
    QString text;
    for (const QString& part : parts) {
        if (text.size() > SpotifyService::maxTextLength)
            break;
        if (!text.isEmpty())
            text += QStringLiteral(", ");
        text += part.left(SpotifyService::maxTextLength + 1);
    }
    return cut(std::move(text));
}

bool isPlayingStatus(const QVariant& value)
{
    return textFrom(value) == QLatin1String("Playing");
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
    if (!m_options.clock)
        m_options.clock = [] {
            return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count());
        };
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
    // One run at a time, and at most one more after it however often it is asked for: a
    // player that floods the bus with notifications gets one read, not one per signal.
    if (m_runInFlight) {
        m_runQueued = true;
        return;
    }
    m_runInFlight = true;
    const int run = ++m_runsStarted;
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_options.playerName, objectPath, kPropertiesInterface, QStringLiteral("GetAll"));
    call << playerInterface;
    call.setAutoStartService(false);
    auto* pending =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_options.statusTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, run](QDBusPendingCallWatcher* finished) {
                m_runInFlight = false;
                applyStatusReply(run, finished);
                finished->deleteLater();
                if (std::exchange(m_runQueued, false))
                    refreshNowPlaying();
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
            Q_EMIT statusRead();
        } else if (playerAnswered(type)) {
            m_lastAppliedRun = run;
            applyNoTrack();
            Q_EMIT statusRead();
        }
        return;
    }
    m_lastAppliedRun = run;
    const QVariantMap properties = reply.value();
    if (const std::optional<Track> track = trackFrom(properties.value(kMetadata))) {
        applyTrack(*track);
        setPlaying(isPlayingStatus(properties.value(kPlaybackStatus)));
    } else {
        applyNoTrack();
    }
    Q_EMIT statusRead();
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
            if (const std::optional<Track> track = trackFrom(changed.value(kMetadata))) {
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
            setPlaying(isPlayingStatus(changed.value(kPlaybackStatus)));
    }
    if (invalidated.contains(kMetadata) || invalidated.contains(kPlaybackStatus))
        refreshNowPlaying();
}

std::optional<SpotifyService::Track> SpotifyService::trackFrom(const QVariant& value)
{
    const std::optional<QVariantMap> metadata = mapFrom(value);
    if (!metadata)
        return std::nullopt;
    const QString title = cut(textFrom(metadata->value(QStringLiteral("xesam:title"))));
    if (title.isEmpty())
        return std::nullopt;
    return Track{title, joined(textsFrom(metadata->value(QStringLiteral("xesam:artist")))),
                 cut(textFrom(metadata->value(QStringLiteral("xesam:album"))))};
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
            m_pendingCommand =
                PendingCommand{method, m_options.clock() + m_options.pendingCommandMs};
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
        const PendingCommand pending = *std::exchange(m_pendingCommand, std::nullopt);
        // A press long ago is forgotten: a player that comes much later starts as it is.
        if (m_options.clock() <= pending.deadlineMs)
            sendCommand(pending.method);
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
    if (m_trackTitle == value)
        return;
    m_trackTitle = value;
    Q_EMIT trackTitleChanged();
}

void SpotifyService::setArtistName(const QString& value)
{
    if (m_artistName == value)
        return;
    m_artistName = value;
    Q_EMIT artistNameChanged();
}

void SpotifyService::setAlbumName(const QString& value)
{
    if (m_albumName == value)
        return;
    m_albumName = value;
    Q_EMIT albumNameChanged();
}

void SpotifyService::setPlaying(bool value)
{
    if (m_isPlaying == value)
        return;
    m_isPlaying = value;
    Q_EMIT isPlayingChanged();
}

void SpotifyService::setSpotifyRunning(bool value)
{
    if (m_isSpotifyRunning == value)
        return;
    m_isSpotifyRunning = value;
    Q_EMIT isSpotifyRunningChanged();
}
