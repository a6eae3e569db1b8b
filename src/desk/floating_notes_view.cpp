#include "desk/floating_notes_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/soft_shadow.h"
#include "kit/units.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace FloatingNotes {
const QList<NoteParticle>& defaultParticles()
{
    static const QList<NoteParticle> particles = {
        {QString(QChar(0x266A)), TOLVANEColors::highlighterGreen(), 14, -14, 0, 2.8, 24},
        {QString(QChar(0x266B)), Colors::srgb(1, 0.85, 0.25), 17, -2, 0.55, 2.2, 30},
        {QString(QChar(0x2669)), TOLVANEColors::pink(), 12, 10, 1.1, 3.2, 22},
        {QString(QChar(0x266C)), Colors::srgb(0.4, 0.88, 1.0), 15, 4, 1.65, 2.5, 28},
    };
    return particles;
}

double clockSeconds(const QDateTime& date)
{
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return double(reference.msecsTo(date)) / 1000.0;
}

double phase(const NoteParticle& particle, double t)
{
    const double p = std::fmod(t + particle.delay, cycleSeconds) / cycleSeconds;
    return std::clamp(p, 0.0, 1.0);
}

NotePose pose(const NoteParticle& particle, int index, double p, double t)
{
    NotePose pose;
    if (p < 0.2)
        pose.opacity = p / 0.2;
    else if (p <= 0.7)
        pose.opacity = 1;
    else
        pose.opacity = std::max((1 - p) / 0.3, 0.0);
    pose.scale = p < 0.2 ? 0.6 + (p / 0.2) * 0.4 : 1 + std::sin(p * std::numbers::pi) * 0.15;
    pose.offset = QPointF(particle.baseX + std::sin(t * particle.swaySpeed + index) * 4.5,
                          -4 - particle.floatDistance * p);
    pose.rotation = std::sin(2 * t + index) * 12;
    return pose;
}
} // namespace FloatingNotes

// One note: its glyph and its coloured glow, drawn into an image centred on the item's
// origin the first time the notes show (the radio is silent when the room starts) and from
// then on only moved, scaled, turned and faded.
class FloatingNotesView::Glyph : public QGraphicsItem {
public:
    Glyph(const NoteParticle& particle, QGraphicsItem* parent)
        : QGraphicsItem(parent), m_particle(particle)
    {
    }

    void ensureDrawn()
    {
        if (!m_image.isNull())
            return;
        constexpr qreal ratio = 3; // sharp up to the largest scale on a 2x screen
        const QFont font = Units::systemFont(m_particle.size, QFont::Bold);
        const QFontMetricsF metrics(font);
        const QRectF ink = metrics.tightBoundingRect(m_particle.symbol);
        const QSizeF box = ink.size() + QSizeF(2, 2);
        QImage silhouette((box * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        silhouette.setDevicePixelRatio(ratio);
        silhouette.fill(Qt::transparent);
        {
            QPainter p(&silhouette);
            p.setRenderHint(QPainter::Antialiasing);
            p.setFont(font);
            p.setPen(m_particle.color);
            p.drawText(QPointF(1, 1) - ink.topLeft(), m_particle.symbol);
        }
        const QImage glow =
            SoftShadow::blurred(silhouette, 3, Colors::withOpacity(m_particle.color, 0.8));
        const qreal spread = SoftShadow::spread(3);
        QImage image(glow.size(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.drawImage(QPointF(0, 1), glow);
            p.drawImage(QPointF(spread, spread), silhouette);
        }
        prepareGeometryChange();
        m_image = std::move(image);
        m_rect = QRectF(QPointF(), QSizeF(m_image.size()) / ratio);
        m_rect.moveCenter(QPointF(0, 0));
    }

    QRectF boundingRect() const override { return m_rect.adjusted(0, 0, 0, 1); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        if (m_image.isNull())
            return;
        // Turned and scaled anew on every frame: resampled here, one small image, and laid
        // down at whole device pixels, rather than by the raster engine's transform path,
        // which hands even a glyph's few rows to other threads.
        m_pixels.paintImage(*painter, m_rect, 0, m_image);
    }

private:
    NoteParticle m_particle;
    QImage m_image;
    QRectF m_rect;
    DevicePixelsCache m_pixels;
};

FloatingNotesView::FloatingNotesView(AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_timeLine(appState, 1.0 / 30, 1.0 / 30)
{
    setSize(viewSize);
    stopTakingPointer(this);
    for (const NoteParticle& particle : FloatingNotes::defaultParticles()) {
        m_glyphs.append(new Glyph(particle, this));
        m_glyphs.back()->setZValue(m_glyphs.size()); // later notes on top
    }
    connect(&m_timeLine, &TimeLine::tick, this, [this] { showAt(m_timeLine.date()); });
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, &FloatingNotesView::follow);
    connect(&m_appState, &AppState::isLowPowerChanged, this, &FloatingNotesView::follow);
    follow();
}

void FloatingNotesView::setPlaying(bool playing)
{
    m_playing = playing;
    follow();
}

bool FloatingNotesView::isShowingNotes() const
{
    return m_playing && !m_appState.isLowPower() && m_timeLine.canDraw();
}

void FloatingNotesView::follow()
{
    // Low power stops the notes outright rather than slowing them.
    m_timeLine.setWanted(m_playing && !m_appState.isLowPower());
    const bool showing = isShowingNotes();
    for (Glyph* glyph : m_glyphs) {
        if (showing)
            glyph->ensureDrawn();
        glyph->setVisible(showing);
    }
    if (showing)
        showAt(m_timeLine.date().isValid() ? m_timeLine.date() : QDateTime::currentDateTimeUtc());
}

void FloatingNotesView::showAt(const QDateTime& date)
{
    const double t = FloatingNotes::clockSeconds(date);
    const QList<NoteParticle>& particles = FloatingNotes::defaultParticles();
    const QPointF centre = rect().center();
    for (int i = 0; i < m_glyphs.size(); ++i) {
        const NotePose pose =
            FloatingNotes::pose(particles[i], i, FloatingNotes::phase(particles[i], t), t);
        Glyph* glyph = m_glyphs[i];
        // Scaled and turned about its centre in one change: each change of an item's
        // geometry is a round of the scene's bookkeeping.
        glyph->setPos(centre + pose.offset);
        glyph->setTransform(QTransform().rotate(pose.rotation).scale(pose.scale, pose.scale));
        glyph->setOpacity(pose.opacity);
    }
}
