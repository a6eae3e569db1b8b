#include "bookshelf/bookshelf_view.h"

#include "bookshelf/shelf_drop.h"
#include "bookshelf/shelf_item_view.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "platform/background_work.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"
#include "storage/storage_manager.h"

#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QGraphicsSceneDragDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

namespace {
constexpr qreal kRowPadding = 8;

// "Tarik file ke sini" on its dark card, while the shelf is empty. Never in the pointer's
// way: a click on it reaches the cabinet.
class EmptyShelfHint : public RoomItem {
public:
    explicit EmptyShelfHint(QGraphicsItem* parent) : RoomItem(parent)
    {
        setCacheMode(DeviceCoordinateCache);
        qreal w = 0, h = 0;
        for (const Line& line : lines()) {
            const QFontMetricsF m(line.font);
            w = std::max(w, m.horizontalAdvance(line.text));
            h += m.height();
        }
        setSize(QSizeF(w + 18, h + 2 * 3 + 12));
        setPaintMargins(QMarginsF(6, 6, 6, 8));
        stopTakingPointer(this);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        p.setRenderHint(QPainter::Antialiasing);
        const QPainterPath card = Painting::continuousRoundedRect(rect(), 6);
        m_shadow.paint(p, card, ShadowStyle{Colors::black(0.4), 4, QPointF(0, 2)});
        p.fillPath(card, Colors::black(0.7));
        p.strokePath(card, QPen(Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.4), 1));
        qreal y = 6;
        for (const Line& line : lines()) {
            const QFontMetricsF m(line.font);
            p.setFont(line.font);
            p.setPen(line.color);
            p.drawText(QRectF(0, y, size().width(), m.height()), Qt::AlignCenter, line.text);
            y += m.height() + 3;
        }
    }

private:
    struct Line {
        QString text;
        QFont font;
        QColor color;
    };
    static QList<Line> lines()
    {
        return {
            {QStringLiteral("Tarik file ke sini"), Units::systemFont(10, QFont::Bold), Qt::white},
            {QStringLiteral("jadi buku 📚"), Units::systemFont(9, QFont::DemiBold),
             TOLVANEColors::highlighterGreen()},
            {QStringLiteral("Folder jadi kardus arsip 🗃️"),
             Units::systemFont(8, QFont::Medium),
             Colors::withOpacity(TOLVANEColors::cleanWhite(), 0.9)},
        };
    }

    ShapeShadow m_shadow;
};

QString badgeText(qsizetype count)
{
    return QString::number(count);
}
} // namespace

BookshelfView::BookshelfView(StorageManager& storage, AppState& appState, ShelfActions actions,
                             QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_appState(appState), m_actions(std::move(actions)),
      m_drops(ShelfDrop::target(
          storage, [this](bool targeted) { m_appState.setBookshelfTargeted(targeted); }))
{
    setAcceptDrops(true);
    // The drop highlight's frame is stroked on the view's edge, half of it outside: what is
    // repainted when the highlight goes must reach that far, or a trace of it stays.
    setPaintMargins(QMarginsF(3, 3, 3, 3));
    gestures().onTap([this] {
        withAnimation(AppState::quickViewOpenSpring,
                      [this] { m_appState.setShowBookshelfDrawer(true); });
    });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });

    m_hint = new EmptyShelfHint(this);
    m_hint->setZValue(1);

    m_badge = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF pill = r.adjusted(6, 6, -6, -6);
            p.fillPath(Painting::capsule(pill), Colors::black(0.65));
            const QFont font = Units::systemFont(9, QFont::Bold);
            const qreal text = QFontMetricsF(font).horizontalAdvance(badgeText(m_count));
            const qreal left = pill.center().x() - (9 + 3 + text) / 2;
            Symbols::paint(p, QStringLiteral("books.vertical.fill"),
                           QRectF(left, pill.center().y() - 4.5, 9, 9), Qt::white);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(left + 12, pill.top(), text + 1, pill.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, badgeText(m_count));
        },
        [this] { m_appState.setShowBookshelfDrawer(true); }, this);
    m_badge->setZValue(2);
    m_badge->gestures().setToolTip(QStringLiteral("Buka Rak Buku di Laci / Finder"));

    connect(&m_storage, &StorageManager::bookshelfEntriesChanged, this, &BookshelfView::remeasure);
    connect(&m_storage, &StorageManager::bookshelfItemsChanged, this, &BookshelfView::measure);
    connect(&m_appState, &AppState::isBookshelfTargetedChanged, this, [this] { update(); });
    measure();
}

BookshelfView::~BookshelfView() = default;

qreal BookshelfView::shelfLine(int shelf, qreal height)
{
    return RoomGeometry::shelfLineFraction(shelf) * height;
}

QList<ShelfItemView*> BookshelfView::shelfItems(int shelf) const
{
    return m_shelves[shelf == 0 ? 0 : 1];
}

void BookshelfView::measure()
{
    // An entry is measured once while it stays on the list (and again when the watcher
    // says it changed); a change of the list only measures what is new.
    const ItemURLs& items = m_storage.bookshelfItems();
    const QSet<QUrl> listed(items.begin(), items.end());
    m_measured.removeIf([&listed](const auto& it) { return !listed.contains(it.key()); });
    m_count = items.size();
    m_hint->setVisible(items.isEmpty());
    layoutBadge();
    showMeasured();
    startMeasuring();
}

void BookshelfView::startMeasuring()
{
    // Measuring reads the disk (a folder is listed to be counted, and a shelved folder may
    // hold 100,000 names): on a worker thread, one batch at a time, and what asks while one
    // runs is measured after it.
    if (m_measuring) {
        m_measureAgain = true;
        return;
    }
    QList<QUrl> todo;
    for (const QUrl& url : m_storage.bookshelfItems()) {
        if (!m_measured.contains(url) || m_stale.contains(url.toLocalFile()))
            todo.append(url);
    }
    m_stale.clear();
    m_measureAgain = false;
    if (todo.isEmpty())
        return;
    m_measuring = true;
    ++m_measurings;
    auto* watcher = new QFutureWatcher<QList<ShelfMetrics::Entry>>(this);
    connect(watcher, &QFutureWatcher<QList<ShelfMetrics::Entry>>::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_measuring = false;
        const ItemURLs& items = m_storage.bookshelfItems();
        const QSet<QUrl> listed(items.begin(), items.end());
        for (const ShelfMetrics::Entry& entry : watcher->result()) {
            if (listed.contains(entry.url))
                m_measured.insert(entry.url, entry);
        }
        showMeasured();
        startMeasuring();
    });
    watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [todo] {
        QList<ShelfMetrics::Entry> entries;
        entries.reserve(todo.size());
        for (const QUrl& url : todo)
            entries.append(ShelfMetrics::measure(url));
        return entries;
    }));
}

void BookshelfView::showMeasured()
{
    // In the shelf's order; one still being measured takes its place when it is done.
    QList<ShelfMetrics::Entry> entries;
    entries.reserve(m_storage.bookshelfItems().size());
    for (const QUrl& url : m_storage.bookshelfItems()) {
        const auto it = m_measured.constFind(url);
        if (it != m_measured.cend())
            entries.append(*it);
    }
    if (entries == m_entries && !m_views.isEmpty() == !entries.isEmpty())
        return;
    m_entries = std::move(entries);
    layoutShelves();
}

void BookshelfView::remeasure(const QStringList& paths)
{
    for (const QString& path : paths)
        m_stale.insert(path);
    startMeasuring();
}

void BookshelfView::onSizeChanged()
{
    layoutBadge();
    layoutShelves();
    m_hint->setCentre(QPointF(0.48 * size().width(), 0.25 * size().height()));
}

void BookshelfView::layoutBadge()
{
    const QFont font = Units::systemFont(9, QFont::Bold);
    const qreal text = QFontMetricsF(font).horizontalAdvance(badgeText(m_count));
    const QSizeF badge(9 + 3 + text + 12 + 12, QFontMetricsF(font).height() + 6 + 12);
    m_badge->setSize(badge);
    m_badge->setPos(size().width() - badge.width(), 0);
    m_badge->update();
}

void BookshelfView::layoutShelves()
{
    QList<qreal> widths;
    for (const ShelfMetrics::Entry& e : m_entries)
        widths.append(e.width);
    const ShelfMetrics::Distribution placed =
        ShelfMetrics::distribute(widths, rowWidth(size().width()));

    QHash<QUrl, ShelfItemView*> kept;
    for (int shelf = 0; shelf < 2; ++shelf) {
        m_shelves[shelf].clear();
        const qreal line = shelfLine(shelf, size().height());
        qreal x = (size().width() - rowWidth(size().width())) / 2;
        for (int i = 0; i < placed.shelves[shelf].size(); ++i) {
            const ShelfMetrics::Entry& entry = m_entries[placed.shelves[shelf][i]];
            ShelfItemView* view = m_views.take(entry.url);
            if (view)
                view->setPlace(entry, shelf, i);
            else
                view = new ShelfItemView(entry, shelf, i, m_storage, m_appState, m_actions, this);
            view->setPos(x, line - view->size().height());
            x += entry.width + ShelfMetrics::kItemSpacing;
            kept.insert(entry.url, view);
            m_shelves[shelf].append(view);
        }
    }
    // What left the shelves goes once the event that removed it (a menu, a click) is over.
    for (ShelfItemView* gone : std::as_const(m_views)) {
        gone->hide();
        gone->deleteLater();
    }
    m_views = kept;
}

void BookshelfView::populateContextMenu(QMenu& menu)
{
    QPointer<BookshelfView> self(this);
    const auto add = [&menu, self](const QString& title, std::function<void(BookshelfView&)> fn) {
        Gestures::addMenuAction(menu, title, [self, fn] {
            if (self)
                fn(*self);
        });
    };
    add(QStringLiteral("Buka Rak Buku"), [](BookshelfView& v) { v.openDrawer(); });
    add(QStringLiteral("Tambah File/Folder..."),
        [](BookshelfView& v) { v.m_storage.chooseItemsForBookshelf(); });
    add(QStringLiteral("Buka di Finder"), [](BookshelfView& v) { v.revealStorageFolder(); });
    if (m_storage.bookshelfItems().isEmpty())
        return;
    menu.addSeparator();
    add(QStringLiteral("Keluarkan Semua ke Lantai Rumput"),
        [](BookshelfView& v) { v.m_storage.moveAllBookshelfItemsToCarpet(); });
    add(QStringLiteral("Kembalikan Semua ke Desktop"),
        [](BookshelfView& v) { v.m_storage.returnAllBookshelfItemsToDesktop(); });
}

void BookshelfView::openDrawer()
{
    withAnimation(Animation::spring(0.5, 1.0), [this] { m_appState.setShowBookshelfDrawer(true); });
}

void BookshelfView::revealStorageFolder()
{
    // The storage folder itself, opened to show what it holds.
    if (m_actions.open)
        m_actions.open(m_storage.baseDirectory().toLocalFile());
}

void BookshelfView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_appState.isBookshelfTargeted())
        return;
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Colors::withOpacity(TOLVANEColors::electricBlue(), 0.18));
    p.strokePath(Painting::continuousRoundedRect(rect(), 6),
                 QPen(TOLVANEColors::highlighterGreen(), 3));

    const QString text = QStringLiteral("Simpan ke Rak Buku TOLVANE");
    const QFont font = Units::systemFont(12, QFont::Bold);
    const QFontMetricsF m(font);
    const qreal stack = 32 + 6 + m.height();
    const qreal top = size().height() / 2 - stack / 2;
    Symbols::paint(p, QStringLiteral("square.and.arrow.down.fill"),
                   QRectF(size().width() / 2 - 16, top, 32, 32), TOLVANEColors::highlighterGreen());
    const QPointF baseline(size().width() / 2 - m.horizontalAdvance(text) / 2,
                           top + 38 + m.ascent());
    QPainterPath outline;
    outline.addText(baseline, font, text);
    m_dropTextShadow.paint(p, outline, ShadowStyle{Colors::black(), 4, QPointF()});
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(baseline, text);
}

void BookshelfView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.enter(event);
}

void BookshelfView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.move(event);
}

void BookshelfView::dragLeaveEvent(QGraphicsSceneDragDropEvent*)
{
    m_drops.leave();
}

void BookshelfView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.drop(event);
}
