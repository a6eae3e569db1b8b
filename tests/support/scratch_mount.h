#pragma once

#include "support/scratch_folder.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

// A small tmpfs mounted for one test, so that moves across file systems can be tried;
// "ramfs" gives one that keeps no user attributes. It is mounted on a temporary folder of
// its own, or on the existing folder `at`. Mounting needs privileges the machine may not
// give: check isMounted() and skip.
class ScratchMount {
public:
    explicit ScratchMount(const char* type = "tmpfs", const QString& at = {})
        : m_path(at.isEmpty() ? m_dir.path() : at)
    {
        m_mounted =
            !m_path.isEmpty() &&
            ::mount(type, QFile::encodeName(m_path).constData(), type, 0,
                    std::strcmp(type, "tmpfs") == 0 ? "size=16m,mode=0755" : "mode=0755") == 0;
        if (!m_mounted)
            m_error = m_path.isEmpty() ? QStringLiteral("no temporary folder")
                                       : QString::fromLocal8Bit(std::strerror(errno));
    }
    ~ScratchMount()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_path; }
    // Why mounting failed.
    QString error() const { return m_error; }
    // Mounts it again read-only: even root can then change nothing on it.
    bool makeReadOnly()
    {
        return m_mounted && ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr,
                                    MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Mounts it again writable.
    bool makeWritable()
    {
        return m_mounted && ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr,
                                    MS_REMOUNT, nullptr) == 0;
    }

private:
    ScratchFolder m_dir;
    QString m_path;
    bool m_mounted = false;
    QString m_error;
};
