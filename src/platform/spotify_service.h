#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// Mirrors what the music player plays and sends it the transport commands, over MPRIS on
// the session bus. It learns the player's state from status runs (one asynchronous
// Properties.GetAll of the player interface: at start-up, whenever the mini player shows,
// after each command's reply and when the player's name changes hands) and from the
// player's PropertiesChanged, and never polls. Nothing it does blocks the GUI thread.
class SpotifyService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString trackTitle READ trackTitle NOTIFY trackTitleChanged)
    Q_PROPERTY(QString artistName READ artistName NOTIFY artistNameChanged)
    Q_PROPERTY(QString albumName READ albumName NOTIFY albumNameChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(bool isSpotifyRunning READ isSpotifyRunning NOTIFY isSpotifyRunningChanged)
public:
    static const QString playerName; // the player's name on the bus
    static const QString objectPath;
    static const QString playerInterface;
    // Texts from the player are cut to this many characters when they arrive.
    static constexpr qsizetype maxTextLength = 1000;

    struct Options {
        QString playerName = SpotifyService::playerName;
        int statusTimeoutMs = 2000;
        int refreshDelayMs = 250;
        // Starts the player; true when something was started.
        std::function<bool()> openPlayer;
        // A command given while the player was being opened goes to it only if it comes
        // within this time, read on `clock` (milliseconds; a steady clock when empty).
        qint64 pendingCommandMs = 10000;
        std::function<qint64()> clock;
    };

    explicit SpotifyService(const QDBusConnection& bus, QObject* parent = nullptr);
    SpotifyService(const QDBusConnection& bus, Options options, QObject* parent = nullptr);
    ~SpotifyService() override;

    static SpotifyService& shared();

    QString trackTitle() const { return m_trackTitle; }
    QString artistName() const { return m_artistName; }
    QString albumName() const { return m_albumName; }
    bool isPlaying() const { return m_isPlaying; }
    bool isSpotifyRunning() const { return m_isSpotifyRunning; }

    // Starts one status run.
    void refreshNowPlaying();
    // Each sends its command; a refresh follows the command's reply. With no player on the
    // bus the player is opened first and the command goes once it has come.
    void playPause();
    void nextTrack();
    void previousTrack();
    // Opens the player application.
    void openSpotify();

Q_SIGNALS:
    void trackTitleChanged();
    void artistNameChanged();
    void albumNameChanged();
    void isPlayingChanged();
    void isSpotifyRunningChanged();
    // A status run's answer was taken in (after the fields it changed).
    void statusRead();

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    struct Track {
        QString title;
        QString artist;
        QString album;
    };

    void applyStatusReply(int run, QDBusPendingCallWatcher* call);
    void applyNotRunning();
    void applyNoTrack();
    void applyTrack(const Track& track);
    void sendCommand(const QString& method);
    void onOwnerChanged(bool owned);

    void setTrackTitle(const QString& value);
    void setArtistName(const QString& value);
    void setAlbumName(const QString& value);
    void setPlaying(bool value);
    void setSpotifyRunning(bool value);

    // The track a Metadata value names, or none when it names none or is not a{sv}.
    static std::optional<Track> trackFrom(const QVariant& metadata);

    QDBusConnection m_bus;
    Options m_options;
    QDBusServiceWatcher* m_ownerWatcher = nullptr;
    bool m_hasOwner = false;
    struct PendingCommand {
        QString method;
        qint64 deadlineMs = 0;
    };
    std::optional<PendingCommand> m_pendingCommand;
    bool m_runInFlight = false;
    bool m_runQueued = false;

    // Status runs are numbered as they start. A result applies only when it is newer than
    // the last one applied and started after the last notification applied.
    int m_runsStarted = 0;
    int m_lastAppliedRun = 0;
    int m_runsBeforeLastNotification = 0;

    QString m_trackTitle = QStringLiteral("Tidak Ada Lagu");
    QString m_artistName = QStringLiteral("Spotify Siap");
    QString m_albumName;
    bool m_isPlaying = false;
    bool m_isSpotifyRunning = false;
};
