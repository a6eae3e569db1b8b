#include "desk/vintage_radio_view.h"

#include "desk/floating_notes_view.h"
#include "kit/colors.h"
#include "kit/gestures.h"
#include "kit/units.h"
#include "platform/spotify_service.h"
#include "state/animation.h"
#include "state/app_state.h"

#include <QFontDatabase>
#include <QMenu>
#include <QPainter>

namespace {
// A closed outline of cubic curves: a start, then (to, control 1, control 2) per step.
QPainterPath curves(QPointF start, std::initializer_list<std::array<QPointF, 3>> steps,
                    bool close = true)
{
    QPainterPath path(start);
    for (const auto& s : steps)
        path.cubicTo(s[1], s[2], s[0]);
    if (close)
        path.closeSubpath();
    return path;
}

// The brand word on the grille, in a script face where one is installed.
QPainterPath brandWord(QPointF centre)
{
    const QString word = QStringLiteral("Irama");
    QString family = QStringLiteral("Z003");
    if (!QFontDatabase::families().contains(family))
        family = QStringLiteral("cursive");
    DesignFont face(family, 13.5, QFont::Bold);
    QFont font = face.loadedFont();
    font.setItalic(true);
    font.setStyleHint(QFont::Cursive);
    QPainterPath path;
    path.addText(QPointF(0, 0), font, word);
    QTransform scale = QTransform::fromScale(face.scale(), face.scale());
    path = scale.map(path);
    return path.translated(centre - path.boundingRect().center());
}
} // namespace

// The radio itself, drawn once per look (playing or not) and kept as a picture.
class VintageRadioView::Drawing : public QGraphicsItem {
public:
    explicit Drawing(QGraphicsItem* parent) : QGraphicsItem(parent)
    {
        setCacheMode(DeviceCoordinateCache);
        stopTakingPointer(this);
    }

    void setPlaying(bool playing)
    {
        if (playing == m_playing)
            return;
        m_playing = playing;
        update();
    }

    QRectF boundingRect() const override { return QRectF(-4, -4, 104, 52); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        p.setRenderHint(QPainter::Antialiasing);

        // Shadows on the desk, then the feet.
        m_deskShadow.paint(p, Painting::continuousRoundedRect(QRectF(2, 37, 76, 6), 6),
                           ShadowStyle{Colors::black(0.44), 2, {}});
        m_sideShadow.paint(p, Painting::capsule(QRectF(74.5, 38, 17, 4)),
                           ShadowStyle{Colors::black(0.38), 1.5, {}});
        for (qreal x : {6.0, 64.0})
            p.fillPath(Painting::continuousRoundedRect(QRectF(x, 38, 10, 2), 1),
                       Colors::greyLevel(0.10));

        // The cabinet and its rim.
        const QRectF cabinet(2, 3, 76, 36);
        const QPainterPath body = Painting::continuousRoundedRect(cabinet, 7.5);
        m_cabinetShadow.paint(p, body, ShadowStyle{Colors::black(0.45), 3.5, QPointF(0, 2)});
        p.fillPath(body, Painting::verticalGradient(cabinet, {Colors::srgb(0.24, 0.24, 0.27),
                                                              Colors::srgb(0.14, 0.14, 0.16),
                                                              Colors::srgb(0.09, 0.09, 0.11)}));
        p.strokePath(
            body, Painting::drawingPen(
                      Painting::verticalGradient(
                          cabinet, {Colors::white(0.2), Colors::white(0.04), Colors::black(0.45)}),
                      0.8));

        // The brass button on top.
        const QRectF button(36, 2.75, 8, 3.5);
        m_buttonShadow.paint(p, Painting::ellipse(button),
                             ShadowStyle{Colors::black(0.4), 0.8, QPointF(0, 0.5)});
        p.fillPath(Painting::ellipse(button),
                   Painting::verticalGradient(button, {Colors::srgb(0.96, 0.86, 0.55),
                                                       Colors::srgb(0.72, 0.56, 0.28),
                                                       Colors::srgb(0.45, 0.32, 0.15)}));
        p.strokePath(Painting::ellipse(button),
                     Painting::drawingPen(Colors::srgb(0.35, 0.25, 0.10), 0.5));
        p.fillPath(Painting::ellipse(QRectF(39.25, 3.75, 1.5, 1.5)),
                   Colors::srgb(0.22, 0.16, 0.08));

        // The signal lamps, glowing while music plays.
        QPainterPath lamps;
        for (int i = 0; i < 4; ++i)
            lamps.addPath(Painting::capsule(QRectF(15.8 + 2.4 * i, 3.6, 1.2, 2.8)));
        if (m_playing)
            m_lampGlow.paint(p, lamps, ShadowStyle{Colors::srgb(1, 0, 0, 0.85), 2, {}});
        p.fillPath(lamps, Colors::srgb(0.95, 0.22, 0.18));

        // The small switch.
        p.fillPath(Painting::ellipse(QRectF(55.65, 3.9, 2.2, 2.2)), Colors::greyLevel(0.30));
        p.fillPath(Painting::capsule(QRectF(60.35, 4.1, 4, 1.8)), Colors::greyLevel(0.24));

        // The front panel: the grille's mesh, its vignette and the brand word.
        const QPainterPath panel = Painting::continuousRoundedRect(QRectF(6, 7, 68, 28), 5);
        p.fillPath(panel, Colors::srgb(0.06, 0.06, 0.08));
        p.strokePath(panel, Painting::drawingPen(Colors::black(), 1.2));
        paintMesh(p, QRectF(7, 8, 66, 26));
        QRadialGradient vignette(QPointF(40, 21), 26);
        vignette.setColorAt(2.0 / 26, Colors::black(0.7));
        vignette.setColorAt(1, Qt::transparent);
        p.fillPath(Painting::ellipse(QRectF(11, 10, 58, 22)), vignette);
        const QPainterPath word = brandWord(QPointF(40, 21));
        m_wordShadow.paint(p, word, ShadowStyle{Colors::black(), 1, QPointF(0.8, 1.2)});
        m_wordGlow.paint(p, word, ShadowStyle{Colors::black(0.9), 2, {}});
        p.fillPath(word, Colors::srgb(0.95, 0.84, 0.52));

        paintSideGroup(p);
    }

private:
    static void paintMesh(QPainter& p, const QRectF& canvas)
    {
        const qreal w = canvas.width();
        const qreal h = canvas.height();
        QPainterPath a;
        QPainterPath b;
        for (int k = 0;; ++k) {
            const qreal x = -h + 3.2 * k;
            if (x >= w + h)
                break;
            a.moveTo(x, 0);
            a.lineTo(x + h, h);
            b.moveTo(x, h);
            b.lineTo(x + h, 0);
        }
        p.save();
        p.translate(canvas.topLeft());
        p.setClipPath(Painting::continuousRoundedRect(QRectF(0, 0, w, h), 4.5));
        p.strokePath(a, Painting::drawingPen(Colors::greyLevel(0.26), 0.65));
        p.strokePath(b, Painting::drawingPen(Colors::greyLevel(0.26), 0.65));
        p.restore();
    }

    static void paintSideGroup(QPainter& p)
    {
        const QRectF frame(0, 0, 96, 42);
        const QPainterPath loop = curves({77.5, 13.5}, {{{{88, 17}, {83, 13.5}, {87, 14.5}}},
                                                        {{{93.5, 28}, {90, 21}, {94, 24}}},
                                                        {{{87, 39.5}, {93, 34}, {90.5, 38}}},
                                                        {{{76, 39.5}, {84, 40.5}, {79, 40.5}}},
                                                        {{{73.5, 35}, {74, 39}, {73, 37}}},
                                                        {{{79, 32}, {74, 33}, {77, 32.5}}},
                                                        {{{86.5, 30}, {81, 31.5}, {85, 30.5}}},
                                                        {{{87.5, 24}, {88, 29}, {88, 26}}},
                                                        {{{78, 18}, {87, 20}, {83, 18}}}});
        p.fillPath(loop, Painting::verticalGradient(frame, {Colors::srgb(0.18, 0.18, 0.20),
                                                            Colors::srgb(0.11, 0.11, 0.13),
                                                            Colors::srgb(0.07, 0.07, 0.09)}));
        const QPainterPath pad = curves({74.5, 35.5}, {{{{86, 32}, {77, 33}, {82, 32}}},
                                                       {{{86, 37.5}, {87.5, 34}, {87.5, 36.5}}},
                                                       {{{76, 39}, {83, 39}, {79, 39.5}}}});
        p.fillPath(pad, Painting::verticalGradient(frame, {Colors::srgb(0.62, 0.12, 0.18),
                                                           Colors::srgb(0.44, 0.08, 0.13)}));
        p.strokePath(curves({75.5, 36.5}, {{{{85, 33.5}, {78, 34.5}, {82, 33.5}}}}, false),
                     Painting::drawingPen(Colors::srgb(0.75, 0.20, 0.25, 0.6), 0.5));

        const QRectF stud(78.5 - 1.75, 15 - 3, 3.5, 6);
        p.fillPath(
            Painting::continuousRoundedRect(stud, 1),
            Painting::verticalGradient(stud, {Colors::greyLevel(0.40), Colors::greyLevel(0.18)}));
        QRadialGradient boss(QPointF(78.5, 15), 1.5);
        boss.setColorAt(0.3 / 1.5, Colors::srgb(0.92, 0.80, 0.50));
        boss.setColorAt(1, Colors::srgb(0.45, 0.35, 0.18));
        p.fillPath(Painting::ellipse(QRectF(78.5 - 1.1, 15 - 1.1, 2.2, 2.2)), boss);
    }

    bool m_playing = false;
    ShapeShadow m_deskShadow;
    ShapeShadow m_sideShadow;
    ShapeShadow m_cabinetShadow;
    ShapeShadow m_buttonShadow;
    ShapeShadow m_lampGlow;
    ShapeShadow m_wordShadow;
    ShapeShadow m_wordGlow;
};

VintageRadioView::VintageRadioView(SpotifyService& spotify, AppState& appState,
                                   std::function<void()> action, QGraphicsItem* parent)
    : RoomItem(parent), m_spotify(spotify), m_appState(appState), m_action(std::move(action))
{
    m_drawing = new Drawing(this);
    m_notes = new FloatingNotesView(appState, this);
    m_notes->setZValue(1);

    Gestures& g = gestures();
    g.onDoubleTap([this] { m_spotify.openSpotify(); });
    g.onTap([this] { toggleMiniPlayer(); });
    g.setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });

    connect(&m_spotify, &SpotifyService::isPlayingChanged, this, &VintageRadioView::follow);
    connect(&m_spotify, &SpotifyService::trackTitleChanged, this, &VintageRadioView::follow);
    connect(&m_spotify, &SpotifyService::artistNameChanged, this, &VintageRadioView::follow);
    onSizeChanged();
    follow();
}

QRectF VintageRadioView::contentRect() const
{
    QRectF content(QPointF(), contentSize);
    content.moveCenter(rect().center());
    return content;
}

QString VintageRadioView::helpText() const
{
    if (m_spotify.isPlaying())
        return QStringLiteral("Radio: ") + m_spotify.trackTitle() + QStringLiteral(" - ") +
               m_spotify.artistName();
    return QStringLiteral("Radio Spotify: Klik untuk memutar lagu");
}

void VintageRadioView::follow()
{
    const bool playing = m_spotify.isPlaying();
    m_drawing->setPlaying(playing);
    m_notes->setPlaying(playing);
    m_notes->setVisible(playing);
    // Plain text: a title of the player's is never read as markup.
    gestures().setToolTip(helpText());
}

void VintageRadioView::onSizeChanged()
{
    const QRectF content = contentRect();
    m_drawing->setPos(content.topLeft());
    // The notes' top-right corner 6 points in from the radio's, rising 22 above it.
    m_notes->setPos(content.topRight() + QPointF(-6 - FloatingNotesView::viewSize.width(), -22));
    QPainterPath hit;
    hit.addRect(content);
    setHitShape(hit);
    setPaintMargins(QMarginsF(std::max<qreal>(0, -content.left()) + 4, 24,
                              std::max<qreal>(0, content.right() - size().width()) + 4, 8));
}

void VintageRadioView::toggleMiniPlayer()
{
    if (!m_appState.showSpotifyPopup()) {
        withAnimation(AppState::quickViewOpenSpring, [this] {
            m_appState.setActiveQuickView(std::nullopt);
            m_appState.setActiveShelfPopoverURL(std::nullopt);
            m_appState.setShowSpotifyPopup(true);
        });
    } else {
        withAnimation(AppState::quickViewCloseSpring,
                      [this] { m_appState.setShowSpotifyPopup(false); });
    }
}

void VintageRadioView::toggleMiniPlayerFromMenu()
{
    withAnimation(Animation::spring(0.5, 1.0),
                  [this] { m_appState.setShowSpotifyPopup(!m_appState.showSpotifyPopup()); });
}

void VintageRadioView::populateContextMenu(QMenu& menu)
{
    Gestures::addMenuAction(menu, QStringLiteral("Buka Pemutar Mini"),
                            [this] { toggleMiniPlayerFromMenu(); });
    Gestures::addMenuAction(menu, QStringLiteral("Buka Aplikasi Spotify"),
                            [this] { m_spotify.openSpotify(); });
    menu.addSeparator();
    Gestures::addMenuAction(menu,
                            m_spotify.isPlaying() ? QStringLiteral("Jeda (Pause)")
                                                  : QStringLiteral("Putar (Play)"),
                            [this] { m_spotify.playPause(); });
    Gestures::addMenuAction(menu, QStringLiteral("Lagu Berikutnya"),
                            [this] { m_spotify.nextTrack(); });
    Gestures::addMenuAction(menu, QStringLiteral("Lagu Sebelumnya"),
                            [this] { m_spotify.previousTrack(); });
}
