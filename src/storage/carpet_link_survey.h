#pragma once

#include "platform/file_operations.h"
#include "storage/file_name_order.h"

#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

// The carpet folder as one look found it: its entries in the floor's order, and which of its
// links lead somewhere, with the folder's own entry as it was before the listing. A listing
// of the floor may take its word for those, instead of listing, ordering and looking at each
// link itself, while the folder is still that version. Made on any thread (a worker's, for
// thousands of entries), then only read.
class CarpetLinkSurvey {
public:
    struct Entry {
        FileNameOrder::Key key;
        QString name;
        QUrl url;
        bool mayLeadNowhere = false; // a link not found leading somewhere
    };

    CarpetLinkSurvey() = default;
    // Lists `carpet` and looks where each of its links leads.
    static CarpetLinkSurvey of(const QString& carpet);

    // Whether the survey still speaks for the folder whose entry is `folderNow`: not once an
    // entry was added, removed or renamed there since (nor for a folder it could not list).
    bool speaksFor(const std::optional<FileOperations::EntryStatus>& folderNow) const;
    // Whether the link `name` was found leading somewhere.
    bool leadsSomewhere(const QString& name) const { return m_alive.contains(name); }
    // Every entry of the folder, in the floor's order.
    const std::vector<Entry>& listing() const { return m_listing; }

private:
    std::optional<FileOperations::EntryStatus> m_folder;
    QSet<QString> m_alive;
    std::vector<Entry> m_listing;
};
