#pragma once

#include "platform/desktop_icons.h"
#include "platform/event_sounds.h"
#include "platform/trash.h"
#include "platform/user_prompts.h"
#include "storage/storage_manager.h"
#include "storage_test_support.h"

#include <QMutex>

#include <memory>

// Counts the sounds that would have played.
class CountingSounds : public EventSounds {
public:
    QStringList played;
    void play(const QString& eventId) override { played.append(eventId); }
};

// A Trash that takes nothing.
class RefusingTrash : public Trash {
public:
    bool moveToTrash(const QString& path, QString* error) override;
};

// Answers open panels with fixed paths and remembers what was asked.
class FakePrompts : public UserPrompts {
public:
    QList<OpenPanel> panels;
    QStringList answer;
    bool confirm(const QString&, const QString&, const QString&, const QString&) override
    {
        return false;
    }
    void inform(const QString&, const QString&) override {}
    QStringList chooseItems(const OpenPanel& panel) override;
};

// A desktop whose icons and switch live in memory; moves may come from another thread.
class FakeDesktopIcons : public DesktopIcons {
public:
    std::optional<QList<DesktopIcon>> listed = QList<DesktopIcon>();
    QString listError;
    std::optional<bool> shown;
    bool acceptsSwitch = true;
    QList<bool> switchedTo;

    std::optional<QList<DesktopIcon>> icons(QString* error) override;
    bool moveIcon(const QString& name, const QPoint& position) override;
    std::optional<bool> iconsShown() override { return shown; }
    bool setIconsShown(bool value) override;
    QList<DesktopIconMove> moves() const;

private:
    mutable QMutex m_mutex;
    QList<DesktopIconMove> m_moves;
};

// A started storage service on a temporary home, with counted sounds and fake panels.
struct MoveFixture {
    StorageHome home;
    std::unique_ptr<StorageManager> storage;
    CountingSounds sounds;
    FakePrompts prompts;

    MoveFixture();
    QString desktop() const { return home.home() + QStringLiteral("/Desktop"); }
    // Makes a file (and its folders) under the home folder.
    QString userFile(const QString& relativePath, const QByteArray& content = "x") const;
    QString trashRoot() const;
    // The floor positions as floor_positions.json holds them.
    FloorPositions storedPositions() const;
};

QString originOf(const QString& path);
QByteArray contentOf(const QString& path);
