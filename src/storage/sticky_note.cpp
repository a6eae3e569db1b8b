#include "storage/sticky_note.h"

#include "state/tolvane_colors.h"
#include "storage/json_file.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace {

template <typename Enum> std::optional<Enum> fromRaw(const QString& text, const QList<Enum>& cases)
{
    for (Enum value : cases) {
        if (rawValue(value) == text)
            return value;
    }
    return std::nullopt;
}

bool takesLightText(NoteColor color)
{
    return color == NoteColor::pink || color == NoteColor::blue || color == NoteColor::dark;
}

// The member `key` of `object` for a lenient decode: nothing when it is missing or null.
std::optional<QJsonValue> member(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

} // namespace

const QList<NoteColor>& allNoteColors()
{
    static const QList<NoteColor> cases = {
        NoteColor::lime,  NoteColor::pink, NoteColor::yellow, NoteColor::mint, NoteColor::lavender,
        NoteColor::peach, NoteColor::blue, NoteColor::white,  NoteColor::dark, NoteColor::surface};
    return cases;
}

const QList<PinStyle>& allPinStyles()
{
    static const QList<PinStyle> cases = {PinStyle::pushpin, PinStyle::washiTape, PinStyle::star,
                                          PinStyle::heart, PinStyle::clip};
    return cases;
}

const QList<PaperPattern>& allPaperPatterns()
{
    static const QList<PaperPattern> cases = {PaperPattern::plain, PaperPattern::lined,
                                              PaperPattern::dots};
    return cases;
}

const QList<NoteMode>& allNoteModes()
{
    static const QList<NoteMode> cases = {NoteMode::checklist, NoteMode::freeform};
    return cases;
}

QString rawValue(NoteColor color)
{
    switch (color) {
    case NoteColor::lime:
        return QStringLiteral("lime");
    case NoteColor::pink:
        return QStringLiteral("pink");
    case NoteColor::yellow:
        return QStringLiteral("yellow");
    case NoteColor::mint:
        return QStringLiteral("mint");
    case NoteColor::lavender:
        return QStringLiteral("lavender");
    case NoteColor::peach:
        return QStringLiteral("peach");
    case NoteColor::blue:
        return QStringLiteral("blue");
    case NoteColor::white:
        return QStringLiteral("white");
    case NoteColor::dark:
        return QStringLiteral("dark");
    case NoteColor::surface:
        return QStringLiteral("surface");
    }
    return {};
}

QString rawValue(PinStyle style)
{
    switch (style) {
    case PinStyle::pushpin:
        return QStringLiteral("pushpin");
    case PinStyle::washiTape:
        return QStringLiteral("washiTape");
    case PinStyle::star:
        return QStringLiteral("star");
    case PinStyle::heart:
        return QStringLiteral("heart");
    case PinStyle::clip:
        return QStringLiteral("clip");
    }
    return {};
}

QString rawValue(PaperPattern pattern)
{
    switch (pattern) {
    case PaperPattern::plain:
        return QStringLiteral("plain");
    case PaperPattern::lined:
        return QStringLiteral("lined");
    case PaperPattern::dots:
        return QStringLiteral("dots");
    }
    return {};
}

QString rawValue(NoteMode mode)
{
    switch (mode) {
    case NoteMode::checklist:
        return QStringLiteral("checklist");
    case NoteMode::freeform:
        return QStringLiteral("freeform");
    }
    return {};
}

QString displayName(NoteColor color)
{
    switch (color) {
    case NoteColor::lime:
        return QStringLiteral("Lime");
    case NoteColor::pink:
        return QStringLiteral("Pink");
    case NoteColor::yellow:
        return QStringLiteral("Kuning");
    case NoteColor::mint:
        return QStringLiteral("Mint");
    case NoteColor::lavender:
        return QStringLiteral("Lavender");
    case NoteColor::peach:
        return QStringLiteral("Peach");
    case NoteColor::blue:
        return QStringLiteral("Biru");
    case NoteColor::white:
        return QStringLiteral("Putih");
    case NoteColor::dark:
        return QStringLiteral("Gelap");
    case NoteColor::surface:
        return QStringLiteral("Abu");
    }
    return {};
}

QString displayName(PinStyle style)
{
    switch (style) {
    case PinStyle::pushpin:
        return QStringLiteral("Pin");
    case PinStyle::washiTape:
        return QStringLiteral("Plester");
    case PinStyle::star:
        return QStringLiteral("Bintang");
    case PinStyle::heart:
        return QStringLiteral("Hati");
    case PinStyle::clip:
        return QStringLiteral("Klip");
    }
    return {};
}

QString displayName(PaperPattern pattern)
{
    switch (pattern) {
    case PaperPattern::plain:
        return QStringLiteral("Polos");
    case PaperPattern::lined:
        return QStringLiteral("Garis");
    case PaperPattern::dots:
        return QStringLiteral("Titik");
    }
    return {};
}

QColor color(NoteColor color)
{
    switch (color) {
    case NoteColor::lime:
        return TOLVANEColors::highlighterGreen();
    case NoteColor::pink:
        return TOLVANEColors::pink();
    case NoteColor::yellow:
        return QColor::fromRgbF(1.0f, 0.9490196f, 0.4509804f);
    case NoteColor::mint:
        return QColor::fromRgbF(0.6784314f, 0.9607843f, 0.8313725f);
    case NoteColor::lavender:
        return QColor::fromRgbF(0.8627451f, 0.8078431f, 0.9960784f);
    case NoteColor::peach:
        return QColor::fromRgbF(1.0f, 0.8235294f, 0.7254902f);
    case NoteColor::blue:
        return TOLVANEColors::electricBlue();
    case NoteColor::white:
        return QColor(Qt::white);
    case NoteColor::dark:
        return QColor::fromRgbF(0.1254902f, 0.1372549f, 0.1764706f);
    case NoteColor::surface:
        return TOLVANEColors::offWhite();
    }
    return {};
}

QColor textColor(NoteColor color)
{
    return takesLightText(color) ? TOLVANEColors::cleanWhite() : TOLVANEColors::ink();
}

QColor secondaryTextColor(NoteColor color)
{
    return takesLightText(color) ? QColor::fromRgbF(1, 1, 1, 0.65f)
                                 : QColor::fromRgbF(0, 0, 0, 0.55f);
}

NoteColor noteColorFromText(const QString& text)
{
    const QString name = text.toLower();
    if (name == u"pink" || name == u"purple")
        return NoteColor::pink;
    if (name == u"yellow")
        return NoteColor::yellow;
    if (name == u"mint" || name == u"green")
        return NoteColor::mint;
    if (name == u"lavender")
        return NoteColor::lavender;
    if (name == u"peach" || name == u"orange")
        return NoteColor::peach;
    if (name == u"blue")
        return NoteColor::blue;
    if (name == u"white")
        return NoteColor::white;
    if (name == u"dark" || name == u"black")
        return NoteColor::dark;
    if (name == u"surface" || name == u"gray")
        return NoteColor::surface;
    return NoteColor::lime;
}

std::optional<PinStyle> pinStyleFromRawValue(const QString& text)
{
    return fromRaw(text, allPinStyles());
}

std::optional<PaperPattern> paperPatternFromRawValue(const QString& text)
{
    return fromRaw(text, allPaperPatterns());
}

std::optional<NoteMode> noteModeFromRawValue(const QString& text)
{
    return fromRaw(text, allNoteModes());
}

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

std::optional<TaskItem> decodeTaskItem(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(u"id");
    const QJsonValue text = object.value(u"text");
    const QJsonValue done = object.value(u"isCompleted");
    if (!id.isString() || !text.isString() || !done.isBool())
        return std::nullopt;
    const std::optional<QUuid> uuid = uuidFromText(id.toString());
    if (!uuid)
        return std::nullopt;
    return TaskItem{*uuid, text.toString(), done.toBool()};
}

std::optional<StickyNote> decodeStickyNote(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    StickyNote note;

    if (const auto id = member(object, QStringLiteral("id"))) {
        const std::optional<QUuid> uuid =
            id->isString() ? uuidFromText(id->toString()) : std::nullopt;
        if (!uuid)
            return std::nullopt;
        note.id = *uuid;
    }
    for (const auto& [key, field] :
         {std::pair{QStringLiteral("title"), &note.title},
          std::pair{QStringLiteral("freeformText"), &note.freeformText}}) {
        if (const auto text = member(object, key)) {
            if (!text->isString())
                return std::nullopt;
            *field = text->toString();
        }
    }
    if (const auto tasks = member(object, QStringLiteral("tasks"))) {
        if (!tasks->isArray())
            return std::nullopt;
        for (const QJsonValue& task : tasks->toArray()) {
            const std::optional<TaskItem> item = decodeTaskItem(task);
            if (!item)
                return std::nullopt;
            note.tasks.append(*item);
        }
    }
    if (const auto mode = member(object, QStringLiteral("mode"))) {
        const auto decoded =
            mode->isString() ? noteModeFromRawValue(mode->toString()) : std::nullopt;
        if (!decoded)
            return std::nullopt;
        note.mode = *decoded;
    }
    if (const auto colour = member(object, QStringLiteral("color"))) {
        if (!colour->isString())
            return std::nullopt;
        note.color = noteColorFromText(colour->toString());
    }
    if (const auto pin = member(object, QStringLiteral("pinStyle"))) {
        const auto decoded = pin->isString() ? pinStyleFromRawValue(pin->toString()) : std::nullopt;
        if (!decoded)
            return std::nullopt;
        note.pinStyle = *decoded;
    }
    if (const auto pattern = member(object, QStringLiteral("pattern"))) {
        const auto decoded =
            pattern->isString() ? paperPatternFromRawValue(pattern->toString()) : std::nullopt;
        if (!decoded)
            return std::nullopt;
        note.pattern = *decoded;
    }
    for (const auto& [key, field] :
         {std::pair{QStringLiteral("x"), &note.x}, std::pair{QStringLiteral("y"), &note.y},
          std::pair{QStringLiteral("rotation"), &note.rotation}}) {
        if (const auto number = member(object, key)) {
            if (!number->isDouble())
                return std::nullopt;
            *field = number->toDouble();
        }
    }
    return note;
}

std::optional<QList<StickyNote>> decodeStickyNotes(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<StickyNote> notes;
    for (const QJsonValue& value : document.array()) {
        std::optional<StickyNote> note = decodeStickyNote(value);
        if (!note)
            return std::nullopt;
        notes.append(std::move(*note));
    }
    return notes;
}

std::optional<QJsonValue> encodeStickyNote(const StickyNote& note)
{
    const double y = note.yInFile.value_or(note.y);
    if (!std::isfinite(note.x) || !std::isfinite(y) || !std::isfinite(note.rotation))
        return std::nullopt;
    QJsonArray tasks;
    for (const TaskItem& task : note.tasks) {
        tasks.append(QJsonObject{{QStringLiteral("id"), uuidText(task.id)},
                                 {QStringLiteral("text"), task.text},
                                 {QStringLiteral("isCompleted"), task.isCompleted}});
    }
    return QJsonObject{{QStringLiteral("id"), uuidText(note.id)},
                       {QStringLiteral("title"), note.title},
                       {QStringLiteral("tasks"), tasks},
                       {QStringLiteral("freeformText"), note.freeformText},
                       {QStringLiteral("mode"), rawValue(note.mode)},
                       {QStringLiteral("color"), rawValue(note.color)},
                       {QStringLiteral("pinStyle"), rawValue(note.pinStyle)},
                       {QStringLiteral("pattern"), rawValue(note.pattern)},
                       {QStringLiteral("x"), note.x},
                       {QStringLiteral("y"), y},
                       {QStringLiteral("rotation"), note.rotation}};
}

std::optional<QByteArray> encodeStickyNotes(const QList<StickyNote>& notes)
{
    QJsonArray array;
    for (const StickyNote& note : notes) {
        const std::optional<QJsonValue> encoded = encodeStickyNote(note);
        if (!encoded)
            return std::nullopt;
        array.append(*encoded);
    }
    return JsonFile::compact(QJsonDocument(array));
}

bool giveRepeatedIdsFreshOnes(QList<StickyNote>& notes)
{
    QSet<QUuid> taken;
    taken.reserve(notes.size());
    for (const StickyNote& note : std::as_const(notes))
        taken.insert(note.id);
    if (taken.size() == notes.size())
        return false;
    QSet<QUuid> seen;
    QHash<QUuid, int> repeats;
    for (StickyNote& note : notes) {
        if (!seen.contains(note.id)) {
            seen.insert(note.id);
            continue;
        }
        const QUuid repeated = note.id;
        QUuid fresh;
        do {
            fresh = QUuid::createUuidV5(repeated, QString::number(++repeats[repeated]));
        } while (taken.contains(fresh));
        taken.insert(fresh);
        seen.insert(fresh);
        note.id = fresh;
    }
    return true;
}

NotesMerge mergeNotes(const QList<StickyNote>& base, const QList<StickyNote>& theirs,
                      const QList<StickyNote>& mine,
                      const std::function<bool(const StickyNote&)>& isOlderOfMine,
                      const std::optional<QUuid>& edited)
{
    const auto stale = [&isOlderOfMine](const StickyNote& other) {
        return isOlderOfMine && isOlderOfMine(other);
    };
    const auto index = [](const QList<StickyNote>& notes) {
        QHash<QUuid, qsizetype> byId;
        byId.reserve(notes.size());
        for (qsizetype i = 0; i < notes.size(); ++i)
            byId.insert(notes[i].id, i);
        return byId;
    };
    const QHash<QUuid, qsizetype> inBase = index(base);
    const QHash<QUuid, qsizetype> inTheirs = index(theirs);
    NotesMerge merged;
    merged.notes.reserve(std::max(mine.size(), theirs.size()));
    QSet<QUuid> inMine;
    inMine.reserve(mine.size());
    for (const StickyNote& note : mine) {
        inMine.insert(note.id);
        const auto b = inBase.constFind(note.id);
        const auto t = inTheirs.constFind(note.id);
        const StickyNote* was = b == inBase.cend() ? nullptr : &base[*b];
        const StickyNote* other = t == inTheirs.cend() ? nullptr : &theirs[*t];
        // Keys typed between two saves must land in the note they were typed in.
        const bool editing = edited && note.id == *edited;
        if (!other) {
            // Deleted there and left as it was here: it goes. Added, changed or being edited
            // here: kept.
            if (editing || !was || note != *was)
                merged.notes.append(note);
            continue;
        }
        if (was && note == *was && !stale(*other) && !editing) {
            merged.notes.append(*other);
            continue;
        }
        if (*other != note && (!was || *other != *was) && !stale(*other))
            merged.keptAll = false;
        merged.notes.append(note);
    }
    for (const StickyNote& note : theirs) {
        if (inMine.contains(note.id))
            continue;
        const auto b = inBase.constFind(note.id);
        // Deleted here and unchanged there: it stays deleted.
        if (b != inBase.cend() && base[*b] == note)
            continue;
        merged.notes.append(note);
    }
    return merged;
}
