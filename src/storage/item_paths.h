#pragma once

#include <QString>
#include <QUrl>

// Paths and names of the entries the storage service handles.
namespace ItemPaths {

// `name` inside `folder`.
QString joined(const QString& folder, const QString& name);

// Whether the entry at `path` stands directly in `folder`, links in either path resolved
// (the entry itself may be a link).
bool liesDirectlyIn(const QString& path, const QString& folder);

// Where the entry at `path` really is: its folder with links resolved (when it exists),
// then its own name, which is not followed (the entry may itself be a link).
QString realLocation(const QString& path);

// A local file URL's path, cleaned; empty when the URL names no absolute path.
QString localPath(const QUrl& url);

struct NameParts {
    QString stem;
    QString extension; // without the dot; empty when there is none
};

// "archive.tar.gz" is "archive.tar" + "gz"; ".profile" and "notes" have no extension.
NameParts splitExtension(const QString& name);

// The last component of a path or name, trailing slashes left out.
QString lastComponent(QString name);

} // namespace ItemPaths
