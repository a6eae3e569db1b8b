#pragma once

#include "platform/file_operations.h"
#include "state/observable.h"
#include "storage/carpet_link_survey.h"
#include "storage/file_name_order.h"
#include "storage/json_file.h"
#include "storage/json_writer.h"
#include "storage/layout_records.h"
#include "storage/namesakes.h"
#include "storage/note_versions.h"
#include "storage/sticky_note.h"
#include "storage/storage_paths.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DesktopIcons;
class EntryWatcher;
class EventSounds;
class FolderWatcher;
class QMimeData;
class QTimer;
class Trash;
class UserPrompts;
namespace ItemMoves {
class LinkKeeper;
}

using PhotoSlots = QMap<int, QUrl>;
using CachedPhotos = QMap<int, QImage>;
using StickyNotes = QList<StickyNote>;
using ItemURLs = QList<QUrl>;

// The storage service: owns the storage folder with "Album", "Rak" and "Karpet", the
// three JSON files beside them and the attributes that remember where an item came from.
// It publishes what the room draws (the shelf, the floor, the photo frames, the notes)
// and reloads it whenever one of its folders changes on disk: only the folders that
// changed since it last listed them, and a JSON file only when it holds something else
// than what was last read or written, so the program's own writes and moves cause no
// second reload. Photo thumbnails are decoded on worker threads and kept while the photo
// file is unchanged. Everything else runs on the GUI thread; the stateless helpers may run
// anywhere.
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
    // The notes hold changes notes.json does not have: their save failed (a folder that
    // cannot be written, a full disk) and is tried again now and then.
    PONDSILL_PUBLISHED(bool, areNotesUnsaved, setNotesUnsaved) = false;
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
    // The record of the shelf links the room made itself (shelf_links.json).
    QString shelfLinksFilePath() const;
    // A shelf link as the room made it: its name on the shelf, its destination's bytes and
    // the entry itself (inode and status-change time, which a link made afresh in its place
    // does not share).
    struct ShelfLink {
        QString name;
        QByteArray text;
        quint64 inode = 0;
        qint64 changedNs = 0;
        bool operator==(const ShelfLink&) const = default;
    };

    // Start-up and reloading.
    void ensureDirectories();
    // Reads everything again, whatever it saw before.
    void reloadAll();
    // What a folder event asks for: the folders among `folders` (the storage folder, the
    // shelf, the carpet, the album) that changed since they were last listed.
    void reload(const QStringList& folders);
    // Publishes the shelf and returns the names it listed. A link whose item is known to be
    // gone is no shelf item (it is listed, watched, and stands again when its item is back);
    // a shelf folder that went leaves the shelf empty and is made again.
    std::optional<QStringList> refreshBookshelfItems();
    void refreshCarpetItems();
    void startWatching();

Q_SIGNALS:
    // What these shelf entries lead to changed while the shelf's list may not have: a
    // shelved folder gained or lost names, a shelved file was written to or replaced.
    void bookshelfEntriesChanged(const QStringList& paths);
    // A move of many items is taking these floor files (names in "Karpet") away: the floor
    // may let them go at once. Those that stay (a move refused) are listed again at its end.
    void carpetItemsLeaving(const QStringList& names);
    // A move of many items has ended: its listings are published, its saves asked for.
    void bulkMoveFinished();

public:
    // Floor layout: the floor positions file is written whole after every change.
    void saveFloorPositions();
    // Takes a decoded layout over: the carpet's position, then the floor positions.
    void applyFloorLayout(const FloorLayoutData& layout);

    // Older layouts and link repair, run once at start-up.
    void migrateFolderContents(const QString& from, const QString& to);
    void migrateLegacyHome();
    void repairLinks();
    // Removes what saves and framings cut short by a kill left behind.
    void removeStaleSaves();

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
    // A symbolic link that leads nowhere: dangling, or a link to itself. Such a carpet
    // entry is no item of the floor's.
    static bool isDeadLink(const QString& path);
    // The photo types the room takes, lower case: those of the album that Qt decodes on
    // this machine. One list for the drop test, the chooser and the album's frames.
    static QStringList photoExtensions();
    // By the name's extension, against that list.
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
    // The note the user is typing in (nothing: none). Another program's delete or change of
    // it never takes it from under the keys: it stays as typed and is written back. While
    // one note is typed in, each newer version another program writes of it replaces the
    // conflict copy made for its last one.
    void setNoteBeingEdited(const std::optional<QUuid>& id);
    std::optional<QUuid> noteBeingEdited() const { return m_noteBeingEdited; }
    // How long until a failed save of the notes is tried again, in milliseconds (0: none is
    // due). Typing meanwhile neither puts the try off nor lengthens the wait.
    int notesRetryDelay() const;
    // What the program's end asks for: the writes in flight land, and notes.json is read
    // back: when it does not hold the board's notes (another program wrote it in place since
    // the last save, unseen yet), they are saved now, merged with what it holds as any save
    // merges; where they still cannot be, they go to a file of their own in
    // the user's state folder (one line names it), which the next start takes back onto
    // the board.
    void saveBeforeQuit();
    // Where notes that could not be saved at the end are kept: "pondsill" in the user's state
    // folder ($XDG_STATE_HOME, else ~/.local/state).
    QString unsavedNotesFolder() const;

    // Photo frames: rebuilds photoSlots from the album folder, and cachedPhotos from the
    // thumbnails at hand; those missing are decoded in the background and published as
    // they arrive.
    void loadPhotoSlots();
    // Whether thumbnails are still being decoded, for tests and benchmarks.
    bool isDecodingThumbnails() const { return !m_decoding.isEmpty(); }
    // Reads the desktop's show-icons preference into areDesktopIconsHidden.
    void readDesktopIconsState();

    // ---- Moving people's files: shelf and carpet, back to origin, Trash, photo frames and
    // the desktop's own icons. Every path through these, failures included, leaves each
    // file somewhere the user can find it. All are called on the GUI thread. A move across
    // file systems copies on a worker thread: the item shows in its new place once the move
    // is complete, and the operations that take a completion call it then, on the GUI
    // thread, in the animation of the change they were called in. Meanwhile an item being
    // moved is refused by every other operation.

    // Whether the moved item reached its place.
    using MoveCompletion = std::function<void(bool moved)>;
    // Calls `done`, when given, with `moved`.
    static void notify(const MoveCompletion& done, bool moved)
    {
        if (done)
            done(moved);
    }
    // Whether a copy between file systems, or a move of many items, is still under way.
    bool hasMovesInFlight() const { return !m_inFlight.isEmpty() || !m_bulks.empty(); }
    // Waits until floor_positions.json holds what the room last saved.
    void flushWrites() { m_writer.flush(); }
    // What the moves have cost so far: the saves of floor_positions.json and of
    // shelf_links.json asked for, and the listings of the shelf and of the carpet folder made
    // on the GUI thread. A move of many items saves and lists once, at its end. `linksNoted`
    // counts the links of the room's folders a move of many has looked at before moving;
    // `carpetLinkLooks` the floor's links the GUI thread looked at to leave out dead ones.
    struct WorkCounts {
        int floorSaves = 0;
        int shelfLinkSaves = 0;
        int shelfListings = 0;
        int carpetListings = 0;
        int linksNoted = 0;
        int carpetLinkLooks = 0;
    };
    const WorkCounts& workCounts() const { return m_workCounts; }
    // At most this many items of a move of many are moved in one turn of the event loop,
    // whatever the time they take (none: only the time counts). Lets tests look between turns
    // of moves: the links are then all looked at in the first turn.
    void setBulkSliceItems(std::optional<int> items) { m_bulkSliceItems = items; }
    // A move of many looks at this many links of the room's folders at most in one turn of
    // the event loop, before its first item moves.
    static constexpr int kLinkNoteSlice = 256;

    // The services the moves use: the process-wide ones unless replaced (tests, and the
    // window side for the prompts). Trash, sounds and prompts are not owned.
    void setTrash(Trash* trash);
    void setEventSounds(EventSounds* sounds);
    void setUserPrompts(UserPrompts* prompts);
    void setDesktopIcons(std::shared_ptr<DesktopIcons> icons);

    // Shelf and carpet. Items from outside the storage folder get a name free on the shelf
    // and under the carpet alike; the storage folder, its folders and the folders that
    // hold it are refused.
    void addToBookshelf(const QUrl& item);
    // The same for every item of a drop, a slice at a time on later turns of the GUI
    // thread's loop, the links made on a worker thread, so a drop of thousands (or a slow
    // disk) leaves the room its clicks and keys; an item being linked is refused by the
    // other operations meanwhile. The shelf is listed, and the record of the room's links
    // written, once all are placed. Items of a later drop join the queue.
    void addDroppedToBookshelf(const QList<QUrl>& items);
    // How many dropped items are still waiting for their turn.
    qsizetype droppedItemsWaiting() const { return m_shelfDrops.size() + m_shelfDropsLinking; }
    // How many a turn places at most.
    static constexpr qsizetype kDroppedSlice = 64;
    // Moves many at once: see runBulk.
    void moveCarpetItemsToBookshelf(const QStringList& names);
    void moveBookshelfItemToCarpet(const QUrl& entry, const MoveCompletion& done = {});
    void moveAllBookshelfItemsToCarpet();
    void chooseItemsForBookshelf();
    // At the carpet's position, or at a drop point (normalised, already clamped).
    void hideUnderCarpet(const QUrl& item);
    void hideUnderCarpet(const QUrl& item, double x, double y, const MoveCompletion& done = {});
    void chooseItemsToHideUnderCarpet();
    void arrangeCarpetItemsOnCarpet();
    void resetFloorItemPositions();
    void setFloorItemPosition(const QString& name, double x, double y);
    void setCarpetPosition(double x, double y);

    // Back to the folder an item came from (the Desktop when that is unknown or gone),
    // and the Trash.
    void returnBookToDesktop(const QUrl& entry, const MoveCompletion& done = {});
    void restoreCarpetItemToDesktop(const QUrl& item, const MoveCompletion& done = {});
    void returnAllBookshelfItemsToDesktop();
    void restoreAllCarpetItemsToDesktop();
    void returnEverythingToOrigin();
    // True when the item reached the Trash.
    bool moveToTrash(const QUrl& item);
    void removeBookshelfItem(const QUrl& entry);
    void trashCarpetItem(const QUrl& item);
    // trashCarpetItem for each of the named files of the carpet folder, as one move of many:
    // the others still go when one is refused, which stays on the floor.
    void trashCarpetFiles(const QStringList& names);

    // Photo frames, slots 0 to 5. setPhoto copies and checks the picture on a worker thread
    // and frames it then; `done` learns whether the photo is framed (also when it was
    // already). Meanwhile the frame shows its old photo and the picture is refused by the
    // other operations; a later framing of the same frame takes over from an earlier one.
    // addPhotoToFreeFrame is false, and `done` not called, when the file is no image.
    void setPhoto(const QUrl& image, int slot, const MoveCompletion& done = {});
    void choosePhoto(int slot);
    void removePhoto(int slot);
    void movePhotoToCarpet(int slot);
    bool addPhotoToFreeFrame(const QUrl& file, const MoveCompletion& done = {});
    PhotoTransform transform(int slot) const;
    void resetPhotoTransform(int slot);
    void setPhotoTransform(int slot, double scale, double rotation, double offsetX, double offsetY);
    void savePhotoTransforms();

    // The desktop's own icons: the covered ones move to a free column at the right (in the
    // background, or on the calling thread); the toggle flips the flag only when the
    // desktop took the change.
    void moveCoveredIconsInBackground();
    void moveCoveredIcons();
    void toggleDesktopIcons();

private:
    Trash& trash() const;
    EventSounds& eventSounds() const;
    std::shared_ptr<DesktopIcons> desktopIcons();
    // Whether the item is the storage folder, one of its folders, or a folder holding it.
    bool holdsStorage(const QString& path) const;
    // One of the room's own data files.
    bool isDataFile(const QString& path) const;
    // What no move may take: the storage folder, its folders, what holds them, the data files.
    bool isStorageOwn(const QString& path) const;
    // An entry that stands directly in `folder` under a name the room lists (not hidden).
    static bool isEntryOf(const QString& path, const QString& folder);
    // A shelf link the room made to an item that stays where it is, as its record of the
    // links it made proves, as opposed to a link of the user's that must travel like any
    // item (returned, or put in the Trash, never deleted).
    bool isRoomLink(const QString& path) const;
    // A link the room, before it kept that record, would have taken for its own.
    static bool looksLikeOlderRoomLink(const QString& path);
    // The entry at `path` as a record of a shelf link; nothing for anything else.
    std::optional<ShelfLink> shelfLinkAt(const QString& path) const;
    // Records the link the room has just made at `path`, or forgets the one it removes.
    void noteShelfLink(const QString& path);
    // The same for many, leaving the writing of the record to the caller.
    void noteShelfLinks(const QStringList& paths);
    void forgetShelfLink(const QString& path);
    // Reads the record at start, keeping the links that still stand as they were made.
    void loadShelfLinks();
    void saveShelfLinks();
    // The name an item takes under the carpet: free there and on the shelf, where
    // `source` itself does not count.
    QString freeCarpetName(const QString& name, const QString& source) const;
    // Records where an item came from, unless that lies inside the storage folder: the
    // item then keeps the origin it carries and only its stored time is renewed. A link to
    // an item stored already records nothing on it.
    void recordOrigin(const QString& item, const QString& origin) const;
    // The same for a storage folder at `root`; it may run on any thread.
    static void recordOriginIn(const QString& root, const QString& item, const QString& origin);
    // Whether `path` is an item being moved, lies inside one or holds one.
    bool isInFlight(const QString& path) const;
    // Moves `from` to `to` (ItemMoves::moveInBackground), keeping other operations off both
    // meanwhile. `origin`, when given, is recorded on the item once it stands at its place.
    // `then` runs with where it stands (empty when the move failed) and the result, in the
    // animation current now.
    void startMove(const QString& from, const QString& to, const QString& origin,
                   const std::function<void(const QString& placed, FileOperations::Result)>& then);
    // ItemMoves::move, in the open batch of moves.
    FileOperations::Result moveNow(const QString& from, const QString& to,
                                   const std::function<void()>& arrived);
    // While one lives, the moves started form one batch: the user's links in the room's
    // folders and the links moved keep reaching their items, each mended as soon as a move
    // concerning it has finished (ItemMoves::LinkKeeper). One opened inside another joins it.
    // With `noteLater`, the links are only listed: the opener notes them (noteNext) before
    // its first move, a few per turn of the event loop.
    class LinkBatch {
    public:
        explicit LinkBatch(StorageManager& storage, bool noteLater = false);
        ~LinkBatch();
        LinkBatch(const LinkBatch&) = delete;
        LinkBatch& operator=(const LinkBatch&) = delete;

        qsizetype unnoted() const { return m_toNote.size() - m_nextToNote; }
        bool hasUnnoted() const { return unnoted() > 0; }
        void noteNext();

    private:
        StorageManager& m_storage;
        std::shared_ptr<ItemMoves::LinkKeeper> m_opened;
        QStringList m_toNote;
        qsizetype m_nextToNote = 0;
    };
    // Watches the entry at `path` when it is a link of the user's.
    void watchLink(const QString& path) const;
    // Stamps the item (through a link, its target) with the moment it is stored now.
    static void writeAddedAttribute(const QString& path);
    QString returnFolder(const QString& item) const;
    void returnBook(const QString& entry, const MoveCompletion& done);
    void hideItem(const QString& path, const StoredPosition& position, const MoveCompletion& done);
    void moveCarpetItemToBookshelf(const QString& name);
    // The steps of the moves of many items, one item each.
    using BulkSteps = std::vector<std::function<void()>>;
    BulkSteps shelfReturnSteps();
    BulkSteps carpetRestoreSteps();
    // Runs `steps` as one move of many: a slice of them now, the rest in slices on later
    // turns of the event loop (each a few milliseconds, so the room keeps answering), in the
    // animation current now. The user's links are kept together (LinkBatch), and the listings
    // and the saves of floor_positions.json and shelf_links.json the steps ask for are made
    // once, after the last step and the last copy it started have finished. Every step moves
    // its item whole, with its origin on it, and the links to it mended, so a kill between
    // two steps loses nothing.
    void runBulk(BulkSteps steps);
    // The program ends: the moves of many under way take no further step (what they have
    // not reached stays where it is), and the listings and saves they held are made now.
    void endMovesBeforeQuit();
    struct Bulk;
    // `spentNs` of the slice's time went before it, in the same turn of the event loop.
    void runBulkSlice(const std::shared_ptr<Bulk>& bulk, qint64 spentNs = 0);
    // Tells the floor which files a move of many takes away (carpetItemsLeaving), timing what
    // that costs it: the batch's first slice, in the same turn, gets only what is left.
    void announceLeaving(const QStringList& names);
    void endBulkIfDone(const std::shared_ptr<Bulk>& bulk);
    // Has a worker look at the floor's links before a move of many ends, then ends it.
    void surveyCarpetLinks(const std::shared_ptr<Bulk>& bulk);
    // Stores a floor position, published at once or, while a move of many runs, at its end.
    void placeFloorPosition(const QString& name, const StoredPosition& position);
    // Moves a stored item (a shelf entry, a framed photo) onto the floor at its name's
    // default position, keeping the origin it carries.
    void moveOntoFloor(const QString& path, const MoveCompletion& done);

    Trash* m_trash = nullptr;
    EventSounds* m_sounds = nullptr;
    UserPrompts* m_prompts = nullptr;
    std::shared_ptr<DesktopIcons> m_desktopIcons;
    // The sources and destinations of the moves under way.
    QStringList m_inFlight;
    // The batch of moves open now.
    std::shared_ptr<ItemMoves::LinkKeeper> m_linkKeeper;
    // The shelf links the room made, as shelf_links.json keeps them.
    QList<ShelfLink> m_shelfLinks;
    // The same records by name (the records of one name are alike): a move of thousands asks
    // about every shelf link, which a walk of the list would make thousands of walks.
    QHash<QString, ShelfLink> m_shelfLinkByName;
    // The moves of many items under way, and the one whose step runs now (the copies it
    // starts are waited for before its end).
    std::vector<std::shared_ptr<Bulk>> m_bulks;
    Bulk* m_bulkStepping = nullptr;
    std::optional<int> m_bulkSliceItems;
    qint64 m_leavingNs = 0;
    WorkCounts m_workCounts;
    // ---- End of the moves.

private:
    // Lists the shelf once for both lists.
    void refreshShelfAndCarpet();
    void shelfEntriesChanged(const QStringList& paths);
    // The floor without the entries named in `shelfNames`.
    void refreshCarpetItems(const QStringList& shelfNames);
    // The floor's names with their keys, in the floor's order.
    using CarpetNames = std::vector<std::pair<FileNameOrder::Key, QString>>;
    // The URLs of `kept`; `unchanged` when they are those published already. `made` holds
    // a URL for each of `kept`, or none.
    ItemURLs carpetURLs(const CarpetNames& kept, const ItemURLs& made, bool* unchanged) const;
    void publishCarpetItems(CarpetNames names, ItemURLs items);
    void loadFloorLayout();
    void loadPhotoTransforms();
    void loadNotesIfChanged();
    // Whether `folder` changed since it was last listed.
    bool folderChanged(const QString& folder) const;
    void noteListed(const QString& folder,
                    const std::optional<FileOperations::EntryStatus>& status);
    void publishThumbnails();
    void decodeThumbnail(const QString& path, const FileOperations::EntryStatus& status);
    // Puts the checked copy `staging` in `slot`'s place, the frame's earlier photos going to
    // the Trash; false, the copy gone and the old photos kept, when it cannot.
    bool placeFramedPhoto(int slot, const QString& staging, const QString& frameName,
                          const QImage& thumbnail);
    void loadNotesFrom(const JsonFile::ReadResult& file);
    // Takes what another program wrote into notes.json into the room's notes, keeping a
    // copy of its version first when some of it cannot be taken in. False when that copy
    // could not be made: the file is then not to be written over.
    bool mergeOutsideNotes(const JsonFile::ReadResult& file, const StickyNotes& theirs);
    void noteNotesSaved(bool saved);
    // Whether notes.json does not hold the notes as the room shows them.
    bool notesDifferFromFile() const;
    // Whether notes.json, read now, decodes to the board's notes: it holds the bytes the room
    // last wrote, or read and decoded, and the board shows what they hold.
    bool notesFileHoldsBoard() const;
    // Set at the program's end: a file that does not decode is not waited for then.
    bool m_quitting = false;
    // Writes the notes to a new file in unsavedNotesFolder(); its path, or nothing.
    std::optional<QString> keepUnsavedNotes();
    // Takes the notes kept by an earlier end back onto the board, merged with what
    // notes.json holds now as another program's version would be, and saves them.
    void takeBackUnsavedNotes();
    // The files of unsavedNotesFolder() holding kept notes, oldest first.
    QStringList unsavedNotesFiles() const;
    // A new conflict copy `copy` of `theirs`, made while a note is typed in: the copy made
    // for that note's previous version goes when all else it holds is kept elsewhere.
    void supersedeTypingCopy(const QString& copy, const StickyNotes& theirs,
                             const StickyNotes& notes);
    // One try: Changed when another program wrote the file while the bytes went to disk.
    enum class SaveResult { Saved, Failed, Later, Changed };
    SaveResult saveNotesOnce();
    // Looks at notes.json again once a file that does not decode has had time to settle.
    void lookAtNotesFileLater();
    // notes.json's bytes for the notes as they are; nothing when one cannot be stored.
    std::optional<QByteArray> encodedNotes();
    // Runs `change` on a later turn of the GUI thread's loop, in the animation of the
    // transaction current now.
    void later(const std::function<void()>& change);
    void dropFloorPosition(const QString& name);
    void repairShelfEntry(const QString& name);
    void repairCarpetEntry(const QString& name);
    // Gives the carpet entry `name` a name free in the carpet and on the shelf, its floor
    // position going with it (in `positions`) and the user's links to it following; the
    // name it took, or nothing.
    std::optional<QString> renameNamesake(const QString& name, FloorPositions& positions);
    // Renames the floor's namesakes of shelf links and returns the names they took; while
    // moves are under way it renames nothing and does it once they have ended.
    QStringList renameNamesakes(const QStringList& names);
    // Lists the floor again for namesakes that waited for the moves under way to end.
    void renameNamesakesIfDue();

    StoragePaths m_paths;
    Namesakes m_namesakes;
    FolderWatcher* m_watcher = nullptr;
    // What the shelf's entries lead to; every entry of "Rak", shown or not.
    EntryWatcher* m_shelfEntries = nullptr;
    QStringList m_shelfEntryPaths;
    // While a move of many items runs, the listings, the floor's positions and the saves of
    // the layout files wait for its end and are made once then, not after each item.
    int m_held = 0;
    bool m_shelfListingDue = false;
    // Whether `path` is to be linked onto the shelf. Where it is not, what putting it there
    // comes to is done: nothing (not there, being moved, on the shelf already), a refusal
    // with its report, or a move of the floor's own file.
    bool wantsShelfLink(const QString& path);
    // Moves `path` itself onto the shelf, where no link to it could be made there; false,
    // with a report, when it cannot.
    bool moveOntoShelfInstead(const QString& path);
    // Dropped items waiting to be placed on the shelf, how many a worker is linking now, and
    // whether links they made are not in the written record yet.
    QList<QUrl> m_shelfDrops;
    qsizetype m_shelfDropsLinking = 0;
    bool m_shelfDropLinksUnsaved = false;
    // While a drop is being placed the shelf is listed once, at its end; the other listings
    // and saves go on as usual.
    int m_shelfListingHeld = 0;
    void placeDroppedSlice();
    bool m_carpetListingDue = false;
    bool m_floorSaveDue = false;
    bool m_shelfLinksSaveDue = false;
    bool m_trashSoundedWhileHeld = false;
    // The positions changed meanwhile, laid over the published ones at the end (another
    // change published in between, a drag's, is kept).
    QSet<QString> m_heldDroppedPositions;
    FloorPositions m_heldPlacedPositions;
    struct ListingHold {
        explicit ListingHold(StorageManager& storage);
        ~ListingHold();
        ListingHold(const ListingHold&) = delete;
        ListingHold& operator=(const ListingHold&) = delete;
        StorageManager& storage;
    };
    void releaseHeld();
    // notes.json as this program last read or wrote it; a reload leaves the notes alone
    // while the file still holds exactly this, so typing is not lost to a folder event.
    std::optional<JsonFile::ReadResult> m_notesFileSeen;
    // Whether those bytes decode as notes: only then may a save write over them unread.
    bool m_notesSeenDecodes = false;
    // The notes as notes.json last held them (mended as loaded): what an outside change
    // and the room's own are told apart by.
    StickyNotes m_notesOnDisk;
    // Whether the notes were loaded once: a file met damaged later never replaces them.
    bool m_notesLoaded = false;
    // A failed save is tried again after this many milliseconds, doubling with each try
    // that fails up to a few seconds; a folder that could not be written and can be now
    // (its permissions changed) has it tried at once.
    QTimer* m_notesRetry = nullptr;
    int m_notesRetryDelay = 0;
    bool m_notesFolderWritable = true;
    // The files of kept notes taken back at the start: removed once notes.json holds them.
    QStringList m_unsavedNotesTakenBack;
    // The conflict copy made for the note being typed in, with that note's id.
    std::optional<std::pair<QUuid, QString>> m_typingCopy;
    QTimer* m_notesRecheck = nullptr;
    // Each note's text in notes.json, with the note it was made from: where it lies in the
    // bytes last encoded (shared with the file's bytes once written, so kept once).
    struct EncodedNote {
        StickyNote note;
        qsizetype from = 0;
        qsizetype size = 0;
    };
    QHash<QUuid, EncodedNote> m_encodedNotes;
    QByteArray m_encodedBytes;
    // The versions each note showed before its present one: another program's stale copy
    // of a note is no change of its own.
    NoteVersions m_noteVersions;
    std::optional<QUuid> m_noteBeingEdited;
    // Conflict copies of notes.json beside it: made only for a version of another
    // program's whose text is kept nowhere else, and at most kKeptConflictCopies kept (the
    // oldest go to the Trash; a copy is deleted only when every text it holds is in
    // notes.json or in another copy).
    static constexpr int kKeptConflictCopies = 5;
    // Whether every text of `texts` is in `notes` or in a conflict copy other than `except`.
    bool textsKept(const QSet<QString>& texts, const StickyNotes& notes,
                   const QString& except = {});
    // Deletes the copies notes.json and the other copies make needless, then moves the
    // oldest over the bound to the Trash. Run once the file holds the room's notes.
    void pruneConflictCopies();
    // The conflict copies, oldest first.
    QStringList conflictCopies() const;
    // The texts of a copy, read once per version of it; nothing when it does not decode.
    std::optional<QSet<QString>> conflictCopyTexts(const QString& path);
    struct ConflictCopyTexts {
        FileOperations::EntryStatus version;
        std::optional<QSet<QString>> texts;
    };
    QHash<QString, ConflictCopyTexts> m_conflictCopyTexts;
    bool m_conflictCopiesToPrune = true;
    // The other two files as last read or written: the same bytes again are not news.
    std::optional<QByteArray> m_floorFileSeen;
    std::optional<QByteArray> m_transformsFileSeen;
    // What carpetItems was made from, to reuse its URLs; `urls` shares carpetItems' data
    // while nothing else has set it.
    struct {
        CarpetNames names;
        ItemURLs urls;
    } m_carpetListed;
    // The floor's links a worker looked at before the listing at a move of many's end.
    std::optional<CarpetLinkSurvey> m_carpetLinkSurvey;
    // Each folder's own entry as it was when the folder was last listed.
    QHash<QString, FileOperations::EntryStatus> m_listed;
    // Thumbnails by photo path, with the file's state they were decoded from.
    struct Thumbnail {
        FileOperations::EntryStatus status;
        QImage image;
    };
    QHash<QString, Thumbnail> m_thumbnails;
    // The photos being decoded now, with the file's state the decoding started from.
    QHash<QString, FileOperations::EntryStatus> m_decoding;
    // The framing under way in each frame, by ticket: the latest one asked for wins.
    QHash<int, quint64> m_framing;
    quint64 m_lastFramingTicket = 0;
    // Saves the floor's layout off the GUI thread; last, so it goes first and waits while
    // everything else is still there.
    JsonWriter m_writer;
};
