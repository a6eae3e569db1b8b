#include "storage/carpet_link_survey.h"

#include "storage/item_paths.h"
#include "storage/storage_manager.h"

#include <algorithm>

CarpetLinkSurvey CarpetLinkSurvey::of(const QString& carpet)
{
    CarpetLinkSurvey survey;
    // Taken before the listing: a change while it runs makes the folder newer than this.
    survey.m_folder = FileOperations::resolvedStatus(carpet);
    const std::optional<std::vector<FileOperations::FolderEntry>> entries =
        FileOperations::listFolder(carpet, false);
    if (!entries) {
        survey.m_folder.reset();
        return survey;
    }
    survey.m_listing.reserve(entries->size());
    for (const FileOperations::FolderEntry& entry : *entries) {
        const QString path = ItemPaths::joined(carpet, entry.name);
        const bool alive = entry.isSymbolicLink && !StorageManager::isDeadLink(path);
        if (alive)
            survey.m_alive.insert(entry.name);
        survey.m_listing.push_back({FileNameOrder::key(entry.name), entry.name,
                                    QUrl::fromLocalFile(path), entry.isSymbolicLink && !alive});
    }
    std::sort(survey.m_listing.begin(), survey.m_listing.end(), [](const Entry& a, const Entry& b) {
        return a.key < b.key || (!(b.key < a.key) && a.name < b.name);
    });
    return survey;
}

bool CarpetLinkSurvey::speaksFor(const std::optional<FileOperations::EntryStatus>& folderNow) const
{
    return m_folder && folderNow && folderNow->sameVersion(*m_folder);
}
