#include "support/scratch_mount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

ScratchMount::ScratchMount(const char* type, const QString& at)
{
    m_path = at.isEmpty() ? m_dir.path() : at;
    if (at.isEmpty() && !m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    const bool tmpfs = std::strcmp(type, "tmpfs") == 0;
    m_mounted = ::mount(type, QFile::encodeName(m_path).constData(), type, 0,
                        tmpfs ? "size=16m,mode=0755" : "mode=0755") == 0;
    if (!m_mounted)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
}

ScratchMount::~ScratchMount()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

bool ScratchMount::makeReadOnly()
{
    return m_mounted && ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr,
                                MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
