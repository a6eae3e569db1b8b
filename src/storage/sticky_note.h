#pragma once

#include <QByteArray>
#include <QColor>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// A sticky note on the corkboard and the enumerations that describe it. Each enumeration
// is stored as its raw text; the functions below give the raw text, the name shown to the
// user and the list of all cases in order.

enum class NoteColor { lime, pink, yellow, mint, lavender, peach, blue, white, dark, surface };
enum class PinStyle { pushpin, washiTape, star, heart, clip };
enum class PaperPattern { plain, lined, dots };
enum class NoteMode { checklist, freeform };

const QList<NoteColor>& allNoteColors();
const QList<PinStyle>& allPinStyles();
const QList<PaperPattern>& allPaperPatterns();
const QList<NoteMode>& allNoteModes();

QString rawValue(NoteColor color);
QString rawValue(PinStyle style);
QString rawValue(PaperPattern pattern);
QString rawValue(NoteMode mode);

QString displayName(NoteColor color);
QString displayName(PinStyle style);
QString displayName(PaperPattern pattern);

// The paper's fill, and the colours of the note's text and of its dimmer text.
QColor color(NoteColor color);
QColor textColor(NoteColor color);
QColor secondaryTextColor(NoteColor color);

// Any text names a colour: a few other colour names are taken as aliases and the rest,
// "lime" included, give lime. The strict enumerations accept exactly their raw texts.
NoteColor noteColorFromText(const QString& text);
std::optional<PinStyle> pinStyleFromRawValue(const QString& text);
std::optional<PaperPattern> paperPatternFromRawValue(const QString& text);
std::optional<NoteMode> noteModeFromRawValue(const QString& text);

// One line of a checklist.
struct TaskItem {
    QUuid id;
    QString text;
    bool isCompleted = false;

    friend bool operator==(const TaskItem&, const TaskItem&) = default;
};

struct StickyNote {
    QUuid id = QUuid::createUuid();
    QString title = QStringLiteral("Catatan");
    QList<TaskItem> tasks;
    QString freeformText;
    NoteMode mode = NoteMode::freeform;
    NoteColor color = NoteColor::yellow;
    PinStyle pinStyle = PinStyle::washiTape;
    PaperPattern pattern = PaperPattern::plain;
    double x = 40;
    double y = 40;
    double rotation = 0;
    // The y notes.json holds when the load moved the note down out of the board's header
    // (`y` is where the room shows it): written back in y's place until the note is dragged.
    std::optional<double> yInFile;

    friend bool operator==(const StickyNote&, const StickyNote&) = default;
};

// The text form of an identifier in the notes file: 36 characters, upper-case.
QString uuidText(const QUuid& id);
// Accepts exactly the 8-4-4-4-12 form in either case.
std::optional<QUuid> uuidFromText(const QString& text);

// A note from its JSON object: missing or null members take their defaults, members of
// the wrong kind fail. The list fails as a whole when one note does.
std::optional<StickyNote> decodeStickyNote(const QJsonValue& value);
std::optional<TaskItem> decodeTaskItem(const QJsonValue& value);
std::optional<QList<StickyNote>> decodeStickyNotes(const QByteArray& json);

// Nothing when a position or rotation is not finite: such a list cannot be stored. A note's
// y in the file is its `yInFile` when it has one.
std::optional<QJsonValue> encodeStickyNote(const StickyNote& note);
std::optional<QByteArray> encodeStickyNotes(const QList<StickyNote>& notes);

// Gives every note whose id an earlier note already has an id of its own, derived from the
// repeated id and its place among the repeats, so the same list always gets the same ids.
// True when an id changed.
bool giveRepeatedIdsFreshOnes(QList<StickyNote>& notes);

// Two versions of a list made from a common one: `mine`, changed here, and `theirs`,
// changed by someone else. Matched by id, the result keeps mine's notes in mine's order
// with the notes theirs changed and mine did not taken from theirs, drops what theirs
// deleted and mine left as it was, and appends what theirs added (or changed after mine
// deleted it). `keptAll` is false when a note both changed differently: mine's is kept,
// and theirs is only whole in theirs. A note of theirs that `isOlderOfMine` knows as an
// earlier version of mine (another program that read the file before mine was written
// and wrote back what it read) changes nothing. The note `edited` (being typed in here)
// is mine whatever theirs did: deleted there, it stays; changed there, theirs is a conflict.
struct NotesMerge {
    QList<StickyNote> notes;
    bool keptAll = true;
};
NotesMerge mergeNotes(const QList<StickyNote>& base, const QList<StickyNote>& theirs,
                      const QList<StickyNote>& mine,
                      const std::function<bool(const StickyNote&)>& isOlderOfMine = {},
                      const std::optional<QUuid>& edited = {});

Q_DECLARE_METATYPE(StickyNote)
