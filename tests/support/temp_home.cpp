#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
const char* const kVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"};
}

TempHome::TempHome()
{
    for (const char* name : kVariables)
        m_saved[name] = qgetenv(name);
    m_home = m_dir.path() + QStringLiteral("/home");
    const QString base = m_dir.path();
    for (const QString& sub : {QStringLiteral("/home"), QStringLiteral("/data"),
                               QStringLiteral("/config"), QStringLiteral("/cache")})
        QDir().mkpath(base + sub);
    ::setenv("HOME", QFile::encodeName(m_home).constData(), 1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/data")).constData(), 1);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/config")).constData(), 1);
    ::setenv("XDG_CACHE_HOME", QFile::encodeName(base + QStringLiteral("/cache")).constData(), 1);
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : m_saved)
        ::setenv(name.constData(), value.constData(), 1);
}

QString TempHome::writeFile(const QString& relativePath, const QByteArray& content) const
{
    return ::writeFile(m_home + QLatin1Char('/') + relativePath, content);
}

QString TempHome::makeDir(const QString& relativePath) const
{
    const QString full = m_home + QLatin1Char('/') + relativePath;
    QDir().mkpath(full);
    return full;
}

QString writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QString sparseFile(const QString& path, qint64 size)
{
    writeFile(path, {});
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.resize(size);
    return path;
}

bool writeRaw(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

QByteArray pictureBytes(const QByteArray& tag)
{
    static const QByteArray onePixel = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
        "1f15c4890000000a49444154789c63000100000500010d0a2db40000000049454e44ae426082");
    return onePixel + tag;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
