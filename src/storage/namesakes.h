#pragma once

#include <QString>

// The rules for a carpet entry that only shares its name with a shelf entry: the floor
// leaves the shelf's names out, so such a file would be shown nowhere, and it takes a name
// of its own instead. What is the shelved item itself (the same file, a second name for it,
// a link to it) stays as it is. The renames wait while moves are under way (they are then
// due) and are made once those have ended. Reads the disk only; any thread.
class Namesakes {
public:
    Namesakes(QString carpet, QString shelf);

    // Whether the carpet entry `name` shares its name with a shelf link and is not the item
    // that link stands for: a namesake while the room runs.
    bool ofShelfLink(const QString& name) const;
    // Whether the carpet entry `name` is a second entry of the real shelf item of its name
    // (the very same file, a link to it) or a link leading nowhere: no floor file, which
    // the start-up repair removes. Anything else of that name is another item, a namesake.
    bool isSecondEntryOfShelfItem(const QString& name) const;
    // A name for `name` free in the carpet folder and on the shelf.
    QString freeName(const QString& name) const;

    // Whether renames wait for the moves under way to end.
    bool isDue() const { return m_due; }
    void setDue(bool due) { m_due = due; }

private:
    QString m_carpet;
    QString m_shelf;
    bool m_due = false;
};
