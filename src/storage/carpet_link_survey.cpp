#include "storage/carpet_link_survey.h"

#include "storage/item_paths.h"
#include "storage/storage_manager.h"

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
    for (const FileOperations::FolderEntry& entry : *entries) {
        if (entry.isSymbolicLink &&
            !StorageManager::isDeadLink(ItemPaths::joined(carpet, entry.name)))
            survey.m_alive.insert(entry.name);
    }
    return survey;
}

bool CarpetLinkSurvey::speaksFor(const std::optional<FileOperations::EntryStatus>& folderNow) const
{
    return m_folder && folderNow && folderNow->sameVersion(*m_folder);
}
