#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted for one test, so that moves across file systems can be tried;
// "ramfs" gives one that keeps no user attributes. It is mounted on a temporary folder of
// its own, or on the existing folder `at`. Mounting needs privileges the machine may not
// give: check isMounted() and skip.
class ScratchMount {
public:
    explicit ScratchMount(const char* type = "tmpfs", const QString& at = {});
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_path; }
    // Why mounting failed.
    QString error() const { return m_error; }
    // Mounts it again read-only: even root can then change nothing on it.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    QString m_path;
    bool m_mounted = false;
    QString m_error;
};
