#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"
#include "platform/app_launcher.h"

#include <QList>
#include <QString>

class AppState;

// Searches for the band on the music service and the video site. Terms are
// percent-encoded except for the unreserved characters, so a blank is "%20" and "&", "/"
// and "?" cannot end the term early.
namespace KarsumoSearch {
const QString& bandName();
// The term encoded; the band's name alone when the term is empty.
QByteArray encodedTerm(const QString& term);
QString musicAppUrl(const QString& term);
QString musicWebUrl(const QString& term);
QString videoUrl(const QString& term);

// The music application's own search when some program handles its URLs, else the music
// service's web search in the browser.
AppLauncher::ChainResult searchSpotify(const QString& term);
AppLauncher::ChainResult searchVideo(const QString& term);
} // namespace KarsumoSearch

// The band's sticker on the corkboard: its logo on black, tilting and growing a little
// under the pointer. A click searches the band on the music service; the context menu
// offers the band, five of its songs and a search on the video site.
class KarsumoStickerView : public RoomItem {
    Q_OBJECT
public:
    KarsumoStickerView(AppState& appState, qreal width, qreal height,
                       QGraphicsItem* parent = nullptr);

    static const QStringList& songTitles();

    // The logo's tilt (degrees) and scale shown now.
    qreal shownRotation() const;
    qreal shownScale() const;

private:
    void applyLook();

    AppState& m_appState;
    QGraphicsItem* m_logo = nullptr;
    Animated<double> m_hover;
};
