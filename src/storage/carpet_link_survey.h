#pragma once

#include "platform/file_operations.h"

#include <QSet>
#include <QString>

#include <optional>

// Which links of the carpet folder lead somewhere, as a look at each found them, with the
// folder's own entry as it was before the listing: a listing of the floor may take its word
// for those links, instead of a look of its own at each, while the folder is still that
// version. Made on any thread (a worker's, for thousands of links), then only read.
class CarpetLinkSurvey {
public:
    CarpetLinkSurvey() = default;
    // Lists `carpet` and looks where each of its links leads.
    static CarpetLinkSurvey of(const QString& carpet);

    // Whether the survey still speaks for the folder whose entry is `folderNow`: not once an
    // entry was added, removed or renamed there since (nor for a folder it could not list).
    bool speaksFor(const std::optional<FileOperations::EntryStatus>& folderNow) const;
    // Whether the link `name` was found leading somewhere.
    bool leadsSomewhere(const QString& name) const { return m_alive.contains(name); }

private:
    std::optional<FileOperations::EntryStatus> m_folder;
    QSet<QString> m_alive;
};
