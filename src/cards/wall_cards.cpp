#include "cards/wall_cards.h"

#include "cards/award_plaque_quick_view.h"
#include "cards/carpet_item_quick_view.h"
#include "cards/photo_frame_quick_view.h"
#include "cards/quick_view_card.h"
#include "kit/colors.h"
#include "room/asset_loader.h"
#include "room/room_pieces.h"
#include "storage/storage_manager.h"
#include "wall/desktop_award_plaque_view.h"

namespace {
// The card's frame with its one row, which grows and shrinks with the content.
RoomItem* inFrame(DesktopQuickViewCard* card, RoomItem* content)
{
    card->addRow(content);
    QObject::connect(content, &RoomItem::sizeChanged, card, &DesktopQuickViewCard::relayout);
    return card;
}
} // namespace

namespace WallCards {
void furnish(RoomPieces& pieces)
{
    pieces.cards[ActiveDesktopQuickView::Photo] = [](const ActiveDesktopQuickView& view,
                                                     RoomPieces::Close close) {
        auto* card = new DesktopQuickViewCard(PhotoFrameQuickView::title(view.slot()),
                                              QStringLiteral("photo.on.rectangle.angled"),
                                              Colors::system(Colors::System::Orange), 260, close);
        return inFrame(
            card, new PhotoFrameQuickView(view.slot(), std::move(close), StorageManager::shared()));
    };
    pieces.cards[ActiveDesktopQuickView::CarpetItem] = [](const ActiveDesktopQuickView& view,
                                                          RoomPieces::Close close) {
        auto* card =
            new DesktopQuickViewCard(QStringLiteral("File Karpet"), QStringLiteral("doc.fill"),
                                     Colors::system(Colors::System::Yellow), 260, close);
        return inFrame(
            card, new CarpetItemQuickView(view.url(), std::move(close), StorageManager::shared()));
    };
    const auto plaqueCard = [](const ActiveDesktopQuickView& view,
                               RoomPieces::Close close) -> RoomItem* {
        const DesktopAwardPlaqueView::Plaque* plaque = DesktopAwardPlaqueView::plaqueFor(view);
        if (!plaque)
            return nullptr;
        auto* card = new DesktopQuickViewCard(plaque->title, QStringLiteral("trophy.fill"),
                                              Colors::system(Colors::System::Yellow), 250, close);
        return inFrame(card, new AwardPlaqueQuickView(plaque->title, plaque->subtitle,
                                                      plaque->imageName, plaque->svgFileName,
                                                      std::move(close), AssetLoader::shared()));
    };
    pieces.cards[ActiveDesktopQuickView::QuennetPlaque] = plaqueCard;
    pieces.cards[ActiveDesktopQuickView::TolvanePlaque] = plaqueCard;
}
} // namespace WallCards
