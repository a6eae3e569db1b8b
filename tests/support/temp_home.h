#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>

// A fresh home folder for one test: HOME and the XDG folders point into a temporary
// directory while the object lives, and are put back afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_home; }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }

    // Makes `relativePath` (and its folders) under the home folder with `content`.
    QString writeFile(const QString& relativePath, const QByteArray& content = {}) const;
    QString makeDir(const QString& relativePath) const;

private:
    QTemporaryDir m_dir;
    QString m_home;
    std::map<QByteArray, QByteArray> m_saved;
};

// Makes the file at `path` (and its folders) with `content`; returns the path.
QString writeFile(const QString& path, const QByteArray& content = "x");
// Makes a file of `size` bytes at `path` that takes no room on disk; returns the path.
QString sparseFile(const QString& path, qint64 size);
// Makes a new file at the path's bytes as they stand (names on disk are bytes; this reaches
// the ones that are no UTF-8). False when it exists already or cannot be written.
bool writeRaw(const QByteArray& path, const QByteArray& content);
// A picture Qt decodes (a PNG of one pixel) followed by `tag`, so that tests can tell
// pictures apart by their bytes.
QByteArray pictureBytes(const QByteArray& tag);
// What the file at `path` holds; empty when it cannot be read.
QByteArray contentOf(const QString& path);
