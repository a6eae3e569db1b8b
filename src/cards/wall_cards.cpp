#include "cards/wall_cards.h"

#include "cards/award_plaque_quick_view.h"
#include "cards/carpet_item_quick_view.h"
#include "cards/photo_frame_quick_view.h"
#include "kit/panel_backdrop.h"
#include "room/asset_loader.h"
#include "room/room_pieces.h"
#include "storage/storage_manager.h"
#include "wall/desktop_award_plaque_view.h"

namespace {
constexpr qreal kPadding = 14;

// The card's content on the room's card surface, padded on every side; its height follows
// the content's.
RoomItem* onCardSurface(RoomItem* content)
{
    auto* card = new RoomItem;
    new PanelBackdrop(PanelSurface::card(), card);
    content->setParentItem(card);
    content->setPos(kPadding, kPadding);
    const auto fit = [card, content] {
        card->setSize(content->size() + QSizeF(2 * kPadding, 2 * kPadding));
    };
    QObject::connect(content, &RoomItem::sizeChanged, card, fit);
    fit();
    return card;
}
} // namespace

namespace WallCards {
void furnish(RoomPieces& pieces)
{
    pieces.cards[ActiveDesktopQuickView::Photo] = [](const ActiveDesktopQuickView& card,
                                                     RoomPieces::Close close) {
        return onCardSurface(
            new PhotoFrameQuickView(card.slot(), std::move(close), StorageManager::shared()));
    };
    pieces.cards[ActiveDesktopQuickView::CarpetItem] = [](const ActiveDesktopQuickView& card,
                                                          RoomPieces::Close close) {
        return onCardSurface(
            new CarpetItemQuickView(card.url(), std::move(close), StorageManager::shared()));
    };
    const auto plaqueCard = [](const ActiveDesktopQuickView& card,
                               RoomPieces::Close close) -> RoomItem* {
        const DesktopAwardPlaqueView::Plaque* plaque = DesktopAwardPlaqueView::plaqueFor(card);
        if (!plaque)
            return nullptr;
        return onCardSurface(new AwardPlaqueQuickView(plaque->title, plaque->subtitle,
                                                      plaque->imageName, plaque->svgFileName,
                                                      std::move(close), AssetLoader::shared()));
    };
    pieces.cards[ActiveDesktopQuickView::QuennetPlaque] = plaqueCard;
    pieces.cards[ActiveDesktopQuickView::TolvanePlaque] = plaqueCard;
}
} // namespace WallCards
