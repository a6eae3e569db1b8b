#pragma once

#include "state/observable.h"
#include "storage/json_file.h"
#include "storage/layout_records.h"
#include "storage/sticky_note.h"
#include "storage/storage_paths.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>

class FolderWatcher;
class QMimeData;

using PhotoSlots = QMap<int, QUrl>;
using CachedPhotos = QMap<int, QImage>;
using StickyNotes = QList<StickyNote>;
using ItemURLs = QList<QUrl>;

// The storage service: owns the storage folder with "Album", "Rak" and "Karpet", the
// three JSON files beside them and the attributes that remember where an item came from.
// It publishes what the room draws (the shelf, the floor, the photo frames, the notes)
// and reloads it whenever one of its folders changes on disk. Everything runs on the GUI
// thread; the stateless helpers may run anywhere.
class StorageManager : public QObject {
    Q_OBJECT

    // The entries of "Rak", oldest first.
    PONDSILL_PUBLISHED(ItemURLs, bookshelfItems, setBookshelfItems);
    // The entries of "Karpet" that lie on the floor, by name.
    PONDSILL_PUBLISHED(ItemURLs, carpetItems, setCarpetItems);
    PONDSILL_PUBLISHED(StoredPosition, carpetPositionNorm,
                       setCarpetPositionNorm) = defaultCarpetPositionNorm;
    // A floor file's centre, keyed by its name in "Karpet".
    PONDSILL_PUBLISHED(FloorPositions, floorItemPositions, setFloorItemPositions);
    PONDSILL_PUBLISHED(PhotoSlots, photoSlots, setPhotoSlots);
    PONDSILL_PUBLISHED(CachedPhotos, cachedPhotos, setCachedPhotos);
    PONDSILL_PUBLISHED(PhotoTransforms, photoTransforms, setPhotoTransforms);
    PONDSILL_PUBLISHED(StickyNotes, stickyNotes, setStickyNotes);
    PONDSILL_PUBLISHED(bool, areDesktopIconsHidden, setDesktopIconsHidden) = false;

public:
    static constexpr StoredPosition defaultCarpetPositionNorm{0.498, 0.82};

    // Runs the whole start-up on `homeDirectory`: makes the folders, takes over older
    // layouts, repairs shelf links, loads everything and starts watching.
    explicit StorageManager(const QString& homeDirectory, QObject* parent = nullptr);
    ~StorageManager() override;

    // The process-wide instance on the user's real home folder, made on first use.
    static StorageManager& shared();

    // Folders and files.
    const StoragePaths& paths() const { return m_paths; }
    QUrl baseDirectory() const;
    QUrl photosDirectory() const;
    QUrl bookshelfDirectory() const;
    QUrl carpetDirectory() const;
    QUrl notesFileURL() const;
    QUrl transformsFileURL() const;
    QUrl floorPositionsFileURL() const;
    QString notesFilePath() const;
    QString transformsFilePath() const;
    QString floorPositionsFilePath() const;

    // Start-up and reloading.
    void ensureDirectories();
    void reloadAll();
    void refreshBookshelfItems();
    void refreshCarpetItems(); // may be called from any thread
    void startWatching();
    bool isWatching() const { return m_watcher != nullptr; }

    // Floor layout: the floor positions file is written whole after every change.
    void saveFloorPositions();
    // Takes a decoded layout over: the carpet's position, then the floor positions.
    void applyFloorLayout(const FloorLayoutData& layout);

    // Older layouts and link repair, run once at start-up.
    void migrateFolderContents(const QString& from, const QString& to);
    void migrateLegacyHome();
    void repairLinks();

    // True when `path` is the carpet folder itself or lies inside it.
    bool isInsideCarpetFolder(const QString& path) const;

    // Item helpers.
    // A name free in `folder`: `name` itself, else "stem (n).ext" from n = 1. A dangling
    // link holds its name.
    static QUrl uniqueDestination(const QUrl& folder, const QString& name);
    static QString uniqueDestinationPath(const QString& folder, const QString& name);
    // The first of those names that is free in every one of `folders`.
    static QString uniqueName(const QStringList& folders, const QString& name);
    // Records where an item came from and when it was stored (through a link, on its
    // target). Errors are ignored.
    static void writeOriginAttributes(const QUrl& item, const QString& origin);
    static std::optional<QString> readOriginAttribute(const QUrl& item);
    // When the item was stored: the "added" attribute, else the entry's status-change
    // time; the distant past at worst.
    static QDateTime addedDate(const QUrl& item);
    static double addedSeconds(const QString& path);
    static bool isSymbolicLink(const QUrl& item);
    static bool isImageFile(const QUrl& url);
    // Where a floor file without a stored position lies; changes from launch to launch.
    static StoredPosition defaultCarpetPosition(const QString& name);
    // The stored position clamped to the floor, else the default.
    StoredPosition carpetItemPosition(const QString& name) const;
    static QImage loadThumbnail(const QUrl& url, int maxPixelSize);

    // Drops from other programs. Each accepted local file URL reaches `completion` once,
    // later, on the GUI thread; anything else is refused without a call.
    using DroppedURLHandler = std::function<void(const QUrl&)>;
    static void loadDroppedURL(const QMimeData& data, const DroppedURLHandler& completion);
    static void completeDroppedURLLoad(const std::optional<QUrl>& url, const QMimeData& data,
                                       const DroppedURLHandler& completion);
    static void loadDroppedURLByTypeIdentifier(const QMimeData& data,
                                               const DroppedURLHandler& completion);

    // Sticky notes.
    void loadNotes();
    void saveNotes();
    void addNote(); // appended later, on the GUI thread
    void appendNote(const StickyNote& note);
    void deleteNote(const QUuid& id); // removed later, on the GUI thread
    void removeNote(const QUuid& id);

    // Photo frames: rebuilds photoSlots and cachedPhotos from the album folder.
    void loadPhotoSlots();
    // Reads the desktop's show-icons preference into areDesktopIconsHidden.
    void readDesktopIconsState();

private:
    void loadFloorLayout();
    void loadPhotoTransforms();
    void loadNotesIfChanged();
    void loadNotesFrom(const JsonFile::ReadResult& file);
    void dropFloorPosition(const QString& name);
    void repairShelfEntry(const QString& name);
    void repairCarpetEntry(const QString& name);

    StoragePaths m_paths;
    FolderWatcher* m_watcher = nullptr;
    // notes.json as this program last read or wrote it; a reload leaves the notes alone
    // while the file still holds exactly this, so typing is not lost to a folder event.
    std::optional<JsonFile::ReadResult> m_notesFileSeen;
};
