#pragma once

#include "support/temp_home.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class StorageManager;

// A temporary home with the storage folder's paths at hand, for tests that set up files
// before the storage service starts and look at the disk afterwards.
class StorageHome {
public:
    StorageHome();

    QString home() const { return m_home.path(); }
    QString root() const;
    QString shelf() const;
    QString carpet() const;
    QString album() const;

    // Makes `relativePath` under the storage folder.
    QString file(const QString& relativePath, const QByteArray& content = "x") const;
    QString link(const QString& relativePath, const QString& destination) const;
    QString dir(const QString& relativePath) const;
    QByteArray read(const QString& relativePath) const;
    bool exists(const QString& relativePath) const; // the entry itself, links not followed
    bool isLink(const QString& relativePath) const;
    void setAdded(const QString& relativePath, const QByteArray& seconds) const;

    std::unique_ptr<StorageManager> start() const;

private:
    TempHome m_home;
};

// The names of a list of file URLs, in order.
QStringList namesOf(const QList<QUrl>& urls);
