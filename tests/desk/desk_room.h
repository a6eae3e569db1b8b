#pragma once

#include "desk/spotify_mini_player_view.h"
#include "kit/animation_clock.h"
#include "platform/spotify_service.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/fake_mpris_player.h"
#include "support/quick_music.h"
#include "support/scene_input.h"
#include "support/temp_home.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

// The room on a temporary home, without images, furnished by `furnish` on top of the
// given music service's mini player, shown at `size`.
struct DeskRoom {
    using Furnish = std::function<void(RoomPieces&, AppState&)>;

    DeskRoom(SpotifyService& music, QSize size = {1440, 900}, const Furnish& furnish = {})
        : music(music)
    {
        AnimationClock::shared().setManual(true);
        RoomPieces pieces;
        pieces.panel(RoomPanels::miniPlayer).make = [this](const RoomPanelContext&,
                                                           RoomPieces::Close) {
            return new SpotifyMiniPlayerView(this->music,
                                             [this] { state.setShowSpotifyPopup(false); });
        };
        if (furnish)
            furnish(pieces, state);
        view = std::make_unique<RoomView>(state, floor, &storage, assets, std::move(pieces));
        view->resize(size);
        view->show();
    }
    ~DeskRoom() { AnimationClock::shared().setManual(false); }

    DesktopRootView& root() { return *view->root(); }
    SceneInput input() { return SceneInput(*view); }
    SpotifyMiniPlayerView* miniPlayer()
    {
        return dynamic_cast<SpotifyMiniPlayerView*>(root().overlayPanel(RoomPanels::miniPlayer));
    }
    // Lets every transition run to its end.
    void settle() { AnimationClock::shared().advance(2); }

    SpotifyService& music;
    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
    FloorInteractionState floor;
    StorageManager storage{home.path()};
    QTemporaryDir noImages;
    AssetLoader assets{AssetLoader::Locations{{}, {noImages.path()}}};
    std::unique_ptr<RoomView> view;
};
