#include "desk/floating_notes_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/soft_shadow.h"
#include "kit/units.h"
#include "room/effects/fire_part.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>
#include <memory>
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

// One note: its glyph and its coloured glow, drawn into an image centred on the note's
// origin the first time the notes show (the radio is silent when the room starts) and from
// then on only moved, scaled, turned and faded.
class FloatingNotesView::Glyph {
public:
    explicit Glyph(const NoteParticle& particle) : m_particle(particle) {}

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
        m_image = std::move(image);
        m_rect = QRectF(QPointF(), QSizeF(m_image.size()) / ratio);
        m_rect.moveCenter(QPointF(0, 0));
    }

    bool isDrawn() const { return !m_image.isNull(); }
    // What the note covers about its origin, before it is moved.
    QRectF bounds() const { return m_rect.adjusted(0, 0, 0, 1); }

    // The note at its place: `place` maps the note's coordinates to the painter's.
    void paint(QPainter& painter, const QTransform& place)
    {
        // Turned and scaled anew on every frame: resampled here, one small image, and laid
        // down at whole device pixels, rather than by the raster engine's transform path,
        // which hands even a glyph's few rows to other threads.
        const QTransform world = painter.worldTransform();
        painter.setWorldTransform(place * world);
        m_pixels.paintImage(painter, m_rect, 0, m_image);
        painter.setWorldTransform(world);
    }

private:
    NoteParticle m_particle;
    QImage m_image;
    QRectF m_rect;
    DevicePixelsCache m_pixels;
};

// The four notes, drawn by one item that lies still over the radio: a frame repaints where
// each note was and where it is, and the scene keeps no notes of its own that move. Drawn
// like the fire's moving parts, so the room round them can be kept as still pictures while
// they rise.
class FloatingNotesView::Notes : public QGraphicsItem {
public:
    explicit Notes(QGraphicsItem* parent) : QGraphicsItem(parent)
    {
        setAcceptedMouseButtons(Qt::NoButton);
        // The exposed area, so that a repaint beside one note draws none of the others.
        setFlag(ItemUsesExtendedStyleOption);
        for (const NoteParticle& particle : FloatingNotes::defaultParticles())
            m_glyphs.push_back(std::make_unique<Glyph>(particle));
        m_places.resize(m_glyphs.size());
    }
    ~Notes() override { MovingPartWatcher::gone(this); }

    void ensureDrawn()
    {
        for (const auto& glyph : m_glyphs)
            glyph->ensureDrawn();
    }

    // Every note where `poses` puts it (its place about `centre` and its pose), the notes
    // drawn first; repaints where each was and is.
    void place(const QPointF& centre, const QList<NotePose>& poses)
    {
        if (m_glyphs.front()->isDrawn() && (centre != m_centre || m_area.isEmpty())) {
            prepareGeometryChange();
            m_centre = centre;
            m_area = QRectF();
            const QList<NoteParticle>& particles = FloatingNotes::defaultParticles();
            for (size_t i = 0; i < m_glyphs.size(); ++i)
                m_area |= reachOf(particles[qsizetype(i)], m_glyphs[i]->bounds(), centre);
        }
        std::vector<Place> places(m_glyphs.size());
        for (size_t i = 0; i < places.size() && i < size_t(poses.size()); ++i) {
            const NotePose& pose = poses[qsizetype(i)];
            const QPointF at = centre + pose.offset;
            Place& place = places[i];
            // As an item at `at` turned and scaled about its origin would lie.
            place.transform = QTransform().rotate(pose.rotation).scale(pose.scale, pose.scale) *
                              QTransform::fromTranslate(at.x(), at.y());
            place.opacity = pose.opacity;
            place.reach = place.shows() ? place.transform.mapRect(m_glyphs[i]->bounds()) : QRectF();
        }
        repaint(places);
        m_places = std::move(places);
    }

    // No note shows (the view is hidden or quiet): repaints where they were.
    void clear() { place(m_centre, {}); }

    QRectF boundingRect() const override { return m_area; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override
    {
        if (MovingPartWatcher::takePaint(this, *painter))
            return;
        const qreal opacity = painter->opacity();
        for (size_t i = 0; i < m_glyphs.size(); ++i) {
            const Place& place = m_places[i];
            if (!place.shows() || !option->exposedRect.intersects(place.reach))
                continue;
            painter->setOpacity(opacity * place.opacity);
            m_glyphs[i]->paint(*painter, place.transform);
        }
        painter->setOpacity(opacity);
    }

private:
    struct Place {
        QTransform transform;
        qreal opacity = 0;
        QRectF reach; // in the notes' coordinates
        // As the scene draws an item: not at all once it is all but clear.
        bool shows() const { return opacity >= 0.001; }
    };

    // Everything a note can cover over its cycle: its place sways 4.5 either side and rises
    // by its float distance; it grows to 1.15 times its size and turns 12 degrees either way,
    // which a circle round its largest turn and scale covers.
    static QRectF reachOf(const NoteParticle& particle, const QRectF& bounds, const QPointF& centre)
    {
        qreal radius = 0;
        for (const QPointF& corner :
             {bounds.topLeft(), bounds.topRight(), bounds.bottomLeft(), bounds.bottomRight()})
            radius = std::max(radius, std::hypot(corner.x(), corner.y()));
        radius = radius * 1.15 + 1;
        return QRectF(centre.x() + particle.baseX - 4.5 - radius,
                      centre.y() - 4 - particle.floatDistance - radius, 9 + 2 * radius,
                      particle.floatDistance + 2 * radius);
    }

    void repaint(const std::vector<Place>& places)
    {
        QGraphicsScene* room = scene();
        if (!room || !isVisible())
            return;
        // The scene takes each area as it is: an update of this item would repaint one
        // rectangle round every note at once.
        const QTransform toScene = sceneTransform();
        const auto repaintArea = [room, &toScene](const QRectF& area) {
            if (area.isEmpty())
                return;
            const QRectF onScene = toScene.mapRect(area);
            MovingPartWatcher::repaints(room, onScene);
            room->update(onScene);
        };
        for (size_t i = 0; i < m_glyphs.size(); ++i) {
            const QRectF was = i < m_places.size() ? m_places[i].reach : QRectF();
            const QRectF is = i < places.size() ? places[i].reach : QRectF();
            if (was.isEmpty() || is.isEmpty() || !was.intersects(is)) {
                repaintArea(was);
                repaintArea(is);
            } else {
                repaintArea(was.united(is));
            }
        }
    }

    std::vector<std::unique_ptr<Glyph>> m_glyphs;
    std::vector<Place> m_places;
    QPointF m_centre;
    QRectF m_area;
};

FloatingNotesView::FloatingNotesView(AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_timeLine(appState, 1.0 / 30, 1.0 / 30)
{
    setSize(viewSize);
    stopTakingPointer(this);
    m_notes = new Notes(this);
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
    if (isShowingNotes())
        m_notes->ensureDrawn();
    showAt(m_timeLine.date().isValid() ? m_timeLine.date() : QDateTime::currentDateTimeUtc());
}

void FloatingNotesView::showAt(const QDateTime& date)
{
    if (!isShowingNotes()) {
        m_notes->clear();
        MovingPartWatcher::moves(m_notes, false);
        return;
    }
    const double t = FloatingNotes::clockSeconds(date);
    const QList<NoteParticle>& particles = FloatingNotes::defaultParticles();
    QList<NotePose> poses;
    poses.reserve(particles.size());
    for (int i = 0; i < particles.size(); ++i)
        poses.append(
            FloatingNotes::pose(particles[i], i, FloatingNotes::phase(particles[i], t), t));
    m_notes->place(rect().center(), poses);
    // While they rise, the room round them may be kept still. Said on every frame: a room
    // made after the notes began to rise hears it too.
    MovingPartWatcher::moves(m_notes, true);
}
