#include "cards/room_cards.h"

#include "cards/calendar_quick_view.h"
#include "cards/clock_quick_view.h"
#include "cards/guitar_quick_view.h"
#include "cards/monitor_quick_view.h"
#include "cards/trash_quick_view.h"
#include "cards/whats_app_quick_view.h"
#include "objects/guitar_view.h"
#include "platform/canberra_event_sounds.h"
#include "platform/user_trash.h"
#include "room/room_pieces.h"

void addQuickViewCards(RoomPieces& pieces)
{
    using Kind = ActiveDesktopQuickView::Kind;
    using Close = RoomPieces::Close;
    pieces.cards[Kind::Clock] = [](const ActiveDesktopQuickView&, Close close) {
        return new ClockQuickView(std::move(close));
    };
    pieces.cards[Kind::Calendar] = [](const ActiveDesktopQuickView&, Close close) {
        return new CalendarQuickView(std::move(close));
    };
    pieces.cards[Kind::Monitor] = [](const ActiveDesktopQuickView&, Close close) {
        return new MonitorQuickView(std::move(close));
    };
    // The mail case shows the same card.
    pieces.cards[Kind::Mail] = [](const ActiveDesktopQuickView&, Close close) {
        return new WhatsAppQuickView(std::move(close));
    };
    pieces.cards[Kind::Trash] = [](const ActiveDesktopQuickView&, Close close) {
        return new TrashQuickView(UserTrash::shared(), std::move(close));
    };
    pieces.cards[Kind::Guitar] = [](const ActiveDesktopQuickView&, Close close) {
        return new GuitarQuickView(GuitarQuickView::Model::Electric, CanberraEventSounds::shared(),
                                   &GuitarView::openMusicApp, std::move(close));
    };
    pieces.cards[Kind::AcousticGuitar] = [](const ActiveDesktopQuickView&, Close close) {
        return new GuitarQuickView(GuitarQuickView::Model::Acoustic, CanberraEventSounds::shared(),
                                   &GuitarView::openMusicApp, std::move(close));
    };
}
