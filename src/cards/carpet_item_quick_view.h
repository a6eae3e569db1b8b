#pragma once

#include "kit/room_item.h"

#include <QIcon>
#include <QUrl>

#include <functional>

class ButtonItem;
class StorageManager;

// The card of one file lying on the floor: its icon, name, size and last change, and
// buttons that open it, send it back where it came from (else to the Desktop) or show it
// in the file manager, each closing the card. The texts are read again whenever the storage
// service publishes a change; a file gone meanwhile reads "-".
class CarpetItemQuickView : public RoomItem {
    Q_OBJECT
public:
    static constexpr qreal kWidth = 232;

    CarpetItemQuickView(const QUrl& url, std::function<void()> onClose, StorageManager& storage,
                        QGraphicsItem* parent = nullptr);

    // The size of a file (through its link) in decimal units with Indonesian digits, "-" for
    // anything that is no readable file.
    static QString fileSizeText(const QUrl& url);
    // The time of its last change, a medium date and a short time in Indonesian, or "-".
    static QString modifiedDateText(const QUrl& url);
    QString infoText() const { return m_info; }

    void openFile();
    void returnToDesktop();
    void revealInFileManager();

    ButtonItem* button(const QString& title) const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void refresh();

    QUrl m_url;
    std::function<void()> m_onClose;
    StorageManager& m_storage;
    QIcon m_icon;
    QString m_info;
    QHash<QString, ButtonItem*> m_buttons;
    qreal m_divider = 0;
    QRectF m_tips;
};
