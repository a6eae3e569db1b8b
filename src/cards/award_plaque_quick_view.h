#pragma once

#include "kit/room_item.h"

#include <functional>

class AssetLoader;
class ButtonItem;

// The card of an award plaque: its picture (when the room has it), its subtitle, and buttons
// that open its SVG logo file or show it in the file manager, both closing the card.
class AwardPlaqueQuickView : public RoomItem {
    Q_OBJECT
public:
    static constexpr qreal kWidth = 222; // inside the card's 250 and its padding of 14

    AwardPlaqueQuickView(const QString& title, const QString& subtitle, const QString& imageName,
                         const QString& svgFileName, std::function<void()> onClose,
                         AssetLoader& assets, QGraphicsItem* parent = nullptr);

    const QString& title() const { return m_title; }
    bool showsPicture() const { return !m_picture.isNull(); }

    void openLogoFile();
    void revealLogoFile();

    ButtonItem* openButton() const { return m_open; }
    ButtonItem* revealButton() const { return m_reveal; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QString m_title;
    QString m_subtitle;
    QString m_svgFileName;
    std::function<void()> m_onClose;
    QImage m_picture;
    QRectF m_pictureRect;
    QRectF m_subtitleRect;
    QRectF m_tipsRect;
    ButtonItem* m_open = nullptr;
    ButtonItem* m_reveal = nullptr;
};
