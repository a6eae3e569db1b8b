#pragma once

#include "cards/quick_view_card.h"

// The monitor's card: who is logged in and where the home folder is, three tiles that open
// the documents, downloads and desktop folders, and a button that shows the home folder in
// the file manager. Every action closes the card afterwards.
class MonitorQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    // How folders are opened and shown; the desktop's own ways unless replaced (tests).
    struct Actions {
        std::function<void(const QString& folder)> openFolder;
        std::function<void(const QString& path)> reveal;
    };
    // `userName` is the name shown, the current user's unless given.
    explicit MonitorQuickView(std::function<void()> onClose, Actions actions = {},
                              const QString& userName = {}, QGraphicsItem* parent = nullptr);

    // The user's full name from the account's comment field (up to its first comma), else
    // the login name.
    static QString userName(const QString& accountComment, const QString& login);
    static QString currentUserName();

    struct Tile {
        QString name;
        QString icon;
        QColor color;
        QString folder;
    };
    // "Dokumen", "Unduhan" and "Desktop" with the user's own folders for them, localised
    // folder names included.
    static QList<Tile> tiles();
    RoomItem* revealButton() const { return m_reveal; }

private:
    RoomItem* m_reveal = nullptr;
};
