#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where a plaque's SVG logo file lies. The folders are searched in order, and in each of
// them "Assets/Logos/<name>", "Assets/<name>" and "<name>"; the first regular file found
// wins (a folder of that name is no logo). When none is found, the answer is the name in
// the current folder, which does not exist.
namespace PlaqueLogo {
// The program's installed resources (when that folder exists), the current folder and the
// folder "Pondsill" in the home folder.
QStringList standardFolders();
QString resolve(const QString& fileName, const QStringList& folders = standardFolders());
// The resolved file when it is one, else nothing.
std::optional<QString> find(const QString& fileName,
                            const QStringList& folders = standardFolders());
} // namespace PlaqueLogo
