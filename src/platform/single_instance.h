#pragma once

#include <QDBusConnection>
#include <QObject>

// One room per session: the first start of the program owns a well-known name on the
// session bus and answers the freedesktop application interface there; a later start
// (from a terminal or the desktop's launcher) asks that one to show its room and ends.
// Without a session bus every start runs on its own.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString objectPath;

    explicit SingleInstance(const QDBusConnection& bus, const QString& name = serviceName,
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the one that runs the room: it now owns the name, or
    // there is no bus to share. False when another process already owns it.
    bool claim();
    // Asks the process that owns the name to show its room; true once it has answered.
    // Blocks for at most `timeoutMs` (only a start that is about to end calls it).
    bool askRunningToShow(int timeoutMs = 5000);

Q_SIGNALS:
    // Another start asked for the room.
    void showRequested();

private:
    QDBusConnection m_bus;
    QString m_name;
    bool m_registered = false;
};
