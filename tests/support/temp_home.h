#pragma once

#include "support/scratch_folder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>

// Makes the file at `path` (and its folders) with `content`; returns the path.
inline QString writeFile(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

// Makes a file of `size` bytes at `path` that takes no room on disk; returns the path.
inline QString sparseFile(const QString& path, qint64 size)
{
    QFile(writeFile(path, {})).resize(size);
    return path;
}

// Makes a new file at the path's bytes as they stand (names on disk are bytes; this reaches
// the ones that are no UTF-8). False when it exists already or cannot be written.
inline bool writeRaw(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

// A picture Qt decodes (a PNG of one pixel) followed by `tag`, so that tests can tell
// pictures apart by their bytes.
inline QByteArray pictureBytes(const QByteArray& tag)
{
    return QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                               "1f15c4890000000a49444154789c63000100000500010d0a2db4000000"
                               "0049454e44ae426082") +
           tag;
}

// What the file at `path` holds; empty when it cannot be read.
inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A fresh home folder for one test (or, in the test main, for the whole run): HOME and the
// XDG folders point into a temporary directory while the object lives, and are put back
// afterwards, when the directory goes with all that the test left in it.
class TempHome {
public:
    TempHome()
    {
        for (const auto& [name, sub] : {std::pair{"HOME", "/home"},
                                        {"XDG_DATA_HOME", "/data"},
                                        {"XDG_CONFIG_HOME", "/config"},
                                        {"XDG_CACHE_HOME", "/cache"},
                                        {"XDG_STATE_HOME", "/state"}}) {
            m_saved[name] = qgetenv(name);
            QDir().mkpath(m_dir.path() + QLatin1String(sub));
            ::setenv(name, QFile::encodeName(m_dir.path() + QLatin1String(sub)).constData(), 1);
        }
    }
    ~TempHome()
    {
        for (const auto& [name, value] : m_saved)
            ::setenv(name.constData(), value.constData(), 1);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString path() const { return m_dir.path() + QStringLiteral("/home"); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString stateHome() const { return m_dir.path() + QStringLiteral("/state"); }

    // Makes `relativePath` (and its folders) under the home folder with `content`.
    QString writeFile(const QString& relativePath, const QByteArray& content = {}) const
    {
        return ::writeFile(path() + QLatin1Char('/') + relativePath, content);
    }
    QString makeDir(const QString& relativePath) const
    {
        QDir().mkpath(path() + QLatin1Char('/') + relativePath);
        return path() + QLatin1Char('/') + relativePath;
    }

private:
    ScratchFolder m_dir;
    std::map<QByteArray, QByteArray> m_saved;
};
