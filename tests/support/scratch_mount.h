#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted for one test, so that moves across file systems can be tried;
// "ramfs" gives one that keeps no user attributes. Mounting needs privileges the machine
// may not give: check isMounted() and skip.
class ScratchMount {
public:
    explicit ScratchMount(const char* type = "tmpfs");
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    // Why mounting failed.
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_error;
};
