#include "corkboard/karsumo_sticker_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/units.h"
#include "state/app_state.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QUrl>

namespace KarsumoSearch {
const QString& bandName()
{
    static const QString name = QStringLiteral("Karsumo");
    return name;
}

QByteArray encodedTerm(const QString& term)
{
    const QByteArray encoded = QUrl::toPercentEncoding(term);
    return encoded.isEmpty() ? QUrl::toPercentEncoding(bandName()) : encoded;
}

QString musicAppUrl(const QString& term)
{
    return QStringLiteral("spotify:search:") + QString::fromLatin1(encodedTerm(term));
}

QString musicWebUrl(const QString& term)
{
    return QStringLiteral("https://open.spotify.com/search/") +
           QString::fromLatin1(encodedTerm(term));
}

QString videoUrl(const QString& term)
{
    return QStringLiteral("https://www.youtube.com/results?search_query=") +
           QString::fromLatin1(encodedTerm(term));
}

AppLauncher::ChainResult searchSpotify(const QString& term)
{
    using K = AppLauncher::Step::Kind;
    // Whether the application opened its search is GIO's answer, never a guess.
    return AppLauncher::launchFirst(
        {{K::SchemeHandler, musicAppUrl(term)}, {K::WebPage, musicWebUrl(term)}});
}

AppLauncher::ChainResult searchVideo(const QString& term)
{
    return AppLauncher::launchFirst({{AppLauncher::Step::Kind::WebPage, videoUrl(term)}});
}
} // namespace KarsumoSearch

namespace {
// The logo: tall condensed serif capitals on black with a small red tag, drawn once into
// the item's cache and turned and scaled as the sticker moves.
class StickerLogo : public QGraphicsItem {
public:
    StickerLogo(QSizeF size, QGraphicsItem* parent) : QGraphicsItem(parent), m_size(size)
    {
        setCacheMode(ItemCoordinateCache);
        setAcceptedMouseButtons(Qt::NoButton);
    }

    void setShadow(const ShadowStyle& style)
    {
        if (style == m_style)
            return;
        m_style = style;
        update();
    }

    QRectF boundingRect() const override
    {
        return QRectF(QPointF(), m_size).adjusted(-6, -6, 6, 8);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        const qreal w = m_size.width();
        const qreal h = m_size.height();
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath ground;
        ground.addRect(QRectF(0, 0, w, h));
        m_shadow.paint(p, ground, m_style);
        p.fillRect(QRectF(0, 0, w, h), Qt::black);
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(QRectF(0.8, 0.8, w - 1.6, h - 1.6));

        const QRectF tagBox(0.28 * w, 0.51 * h, 0.22 * w, 0.41 * h);
        p.fillRect(tagBox, Colors::srgb(0.88, 0.12, 0.14));
        letter(p, QStringLiteral("RSU"), tagBox.center(),
               DesignFont::system(0.27 * h, QFont::Black), Qt::black, 1, 1, tagBox.width());

        const DesignFont serif(QStringLiteral("DejaVu Serif"), 0.76 * h, QFont::Bold);
        const DesignFont small(QStringLiteral("DejaVu Serif"), 0.46 * h, QFont::Bold);
        letter(p, QStringLiteral("K"), {0.155 * w, 0.5 * h}, serif, Qt::white, 0.62, 1.25);
        letter(p, QStringLiteral("A"), {0.39 * w, 0.28 * h}, small, Qt::white, 0.82, 1.05);
        letter(p, QStringLiteral("M"), {0.64 * w, 0.5 * h}, serif, Qt::white, 0.56, 1.25);
        letter(p, QStringLiteral("O"), {0.84 * w, 0.5 * h}, serif, Qt::white, 0.56, 1.25);
        p.restore();
    }

private:
    // `text` centred on `centre`, in a context scaled by (sx, sy) about that point and, when
    // it is wider than `maxWidth`, narrowed to fit.
    static void letter(QPainter& p, const QString& text, QPointF centre, const DesignFont& font,
                       const QColor& color, qreal sx, qreal sy, qreal maxWidth = 0)
    {
        const qreal advance = font.horizontalAdvance(text);
        if (maxWidth > 0 && advance * sx > maxWidth)
            sx = maxWidth / advance;
        p.save();
        p.translate(centre);
        p.scale(sx, sy);
        p.setPen(color);
        // Centred on the middle of ascent and descent (the height is their sum).
        font.drawText(p, QPointF(-advance / 2, font.ascent() - font.height() / 2), text);
        p.restore();
    }

    QSizeF m_size;
    ShadowStyle m_style;
    ShapeShadow m_shadow;
};

qreal mix(qreal from, qreal to, qreal t)
{
    return from + (to - from) * t;
}
} // namespace

const QStringList& KarsumoStickerView::songTitles()
{
    static const QStringList titles = {QStringLiteral("Lampu Kota"), QStringLiteral("Jalan Pulang"),
                                       QStringLiteral("Sore Tanpa Nama"),
                                       QStringLiteral("Kopi & Hujan"),
                                       QStringLiteral("Dari Jendela Kamar")};
    return titles;
}

KarsumoStickerView::KarsumoStickerView(AppState& appState, qreal width, qreal height,
                                       QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_hover(0, [this] { applyLook(); })
{
    setSize({width, height});
    m_logo = new StickerLogo(QSizeF(width, height), this);

    Gestures& g = gestures();
    g.onTap([] { KarsumoSearch::searchSpotify(KarsumoSearch::bandName()); });
    g.onHover([this](bool inside) {
        m_appState.setHoveringKarsumoSticker(inside);
        withAnimation(Animation::spring(0.28, 0.75),
                      [this, inside] { m_hover.set(inside ? 1 : 0); });
    });
    g.setToolTip(QStringLiteral("Stiker Karsumo: Klik untuk memutar lagu di Spotify"));
    g.setContextMenu([](QMenu& menu) {
        const QString& band = KarsumoSearch::bandName();
        Gestures::addMenuAction(menu, QStringLiteral("Putar Karsumo di Spotify"),
                                [band] { KarsumoSearch::searchSpotify(band); });
        menu.addSeparator();
        for (const QString& song : songTitles()) {
            Gestures::addMenuAction(menu, song, [band, song] {
                KarsumoSearch::searchSpotify(band + QLatin1Char(' ') + song);
            });
        }
        menu.addSeparator();
        Gestures::addMenuAction(menu, QStringLiteral("Cari di YouTube"),
                                [band] { KarsumoSearch::searchVideo(band); });
    });
    applyLook();
}

qreal KarsumoStickerView::shownRotation() const
{
    return mix(-3, -1.2, m_hover.value());
}

qreal KarsumoStickerView::shownScale() const
{
    return mix(1, 1.06, m_hover.value());
}

void KarsumoStickerView::applyLook()
{
    const qreal t = m_hover.value();
    const QPointF c = rect().center();
    QTransform look;
    look.translate(c.x(), c.y());
    look.rotate(shownRotation());
    look.scale(shownScale(), shownScale());
    look.translate(-c.x(), -c.y());
    m_logo->setTransform(look);
    static_cast<StickerLogo*>(m_logo)->setShadow(
        {Colors::black(mix(0.25, 0.38, t)), mix(2.2, 3.5, t), QPointF(0.5, mix(1.2, 2.0, t))});
}
