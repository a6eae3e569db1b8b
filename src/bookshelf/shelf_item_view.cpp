#include "bookshelf/shelf_item_view.h"

#include "kit/colors.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"

#include <QMenu>
#include <QPainter>
#include <QPointer>

ShelfItemView::ShelfItemView(const ShelfMetrics::Entry& entry, int shelfIndex, int itemIndex,
                             StorageManager& storage, AppState& appState,
                             const ShelfActions& actions, QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_appState(appState), m_actions(actions),
      m_entry(entry), m_shelfIndex(shelfIndex), m_itemIndex(itemIndex)
{
    // Drawn once per look and scale; the fire and the panels above never repaint it.
    setCacheMode(DeviceCoordinateCache);
    // The double click first, so that it opens the entry without also toggling its popover.
    gestures().onDoubleTap([this] { openItem(); });
    gestures().onTap([this] { toggleFlyout(); });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });
    applyLook();
}

void ShelfItemView::setPlace(const ShelfMetrics::Entry& entry, int shelfIndex, int itemIndex)
{
    if (entry == m_entry && shelfIndex == m_shelfIndex && itemIndex == m_itemIndex)
        return;
    m_entry = entry;
    m_shelfIndex = shelfIndex;
    m_itemIndex = itemIndex;
    applyLook();
    update();
}

void ShelfItemView::applyLook()
{
    setSize(QSizeF(m_entry.width, m_entry.height()));
    // Room for the lean of a tilted book and the soft shadow below either face.
    setPaintMargins(QMarginsF(10, 10, 10, 12));
    gestures().setToolTip(helpText(m_entry.name));
}

qreal ShelfItemView::tilt() const
{
    if (m_entry.isFolder)
        return 0;
    return ShelfMetrics::bookTilt(ShelfMetrics::spineStyle(m_entry.hash, m_shelfIndex, m_itemIndex),
                                  m_entry.hash);
}

ShelfDrawings::BookFace ShelfItemView::bookFace() const
{
    ShelfDrawings::BookFace face;
    face.width = m_entry.width;
    face.height = m_entry.bookHeight;
    face.color = ShelfMetrics::spineColor(m_entry.hash, m_shelfIndex, m_itemIndex);
    face.style = ShelfMetrics::spineStyle(m_entry.hash, m_shelfIndex, m_itemIndex);
    face.hash = m_entry.hash;
    face.title = ShelfMetrics::bookTitle(m_entry.name);
    return face;
}

ShelfDrawings::BoxFace ShelfItemView::boxFace() const
{
    ShelfDrawings::BoxFace face;
    face.width = m_entry.width;
    face.height = m_entry.height();
    face.label = m_entry.name;
    face.count = m_entry.entryCount;
    face.readable = m_entry.readable;
    face.style = ShelfMetrics::boxStyle(m_shelfIndex, m_itemIndex);
    face.seed = m_itemIndex;
    return face;
}

QString ShelfItemView::helpText(const QString& name)
{
    return name + QStringLiteral(" (Klik untuk melihat info/file terbaru, klik 2x untuk membuka)");
}

void ShelfItemView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRect(rect());
    if (m_entry.isFolder) {
        m_shadow.paint(p, outline, ShadowStyle{Colors::black(0.25), 3, QPointF(0, 3)});
        ShelfDrawings::paintBox(p, boxFace());
        return;
    }
    // A leaning book turns about its bottom centre, its shadow with it.
    p.save();
    p.translate(size().width() / 2, size().height());
    p.rotate(tilt());
    p.translate(-size().width() / 2, -size().height());
    m_shadow.paint(p, outline, ShadowStyle{Colors::black(0.25), 2.5, QPointF(0, 2.5)});
    ShelfDrawings::paintBook(p, bookFace());
    p.restore();
}

void ShelfItemView::populateContextMenu(QMenu& menu)
{
    // An action may take this view away (the shelf redraws) while the menu is open.
    QPointer<ShelfItemView> self(this);
    const auto add = [&menu, self](const QString& title, std::function<void(ShelfItemView&)> fn) {
        return Gestures::addMenuAction(menu, title, [self, fn] {
            if (self)
                fn(*self);
        });
    };
    add(QStringLiteral("Buka"), [](ShelfItemView& v) { v.openItem(); });
    add(QStringLiteral("Tampilkan di Finder"), [](ShelfItemView& v) { v.revealInFinder(); });
    menu.addSeparator();
    add(QStringLiteral("Keluarkan ke Lantai Rumput"), [](ShelfItemView& v) { v.moveToFloor(); });
    // The entry's URL is copied: the shelf may drop this view while the storage works.
    add(QStringLiteral("Kembalikan ke Desktop"), [](ShelfItemView& v) {
        const QUrl url = v.m_entry.url;
        v.m_storage.returnBookToDesktop(url);
    });
    add(QStringLiteral("Buang ke Tempat Sampah"), [](ShelfItemView& v) {
        const QUrl url = v.m_entry.url;
        v.m_storage.removeBookshelfItem(url);
    });
}

void ShelfItemView::openItem()
{
    if (m_actions.open)
        m_actions.open(m_entry.url.toLocalFile());
}

void ShelfItemView::revealInFinder()
{
    if (m_actions.reveal)
        m_actions.reveal(m_entry.url.toLocalFile());
}

void ShelfItemView::toggleFlyout()
{
    if (m_appState.activeShelfPopoverURL() == m_entry.url) {
        withAnimation(AppState::quickViewCloseSpring,
                      [this] { m_appState.setActiveShelfPopoverURL(std::nullopt); });
    } else {
        withAnimation(AppState::quickViewOpenSpring, [this] { openFlyout(); });
    }
}

void ShelfItemView::openFlyout()
{
    m_appState.setActiveQuickView(std::nullopt);
    m_appState.setShowSpotifyPopup(false);
    m_appState.setShowBookshelfDrawer(false);
    m_appState.setActiveShelfPopoverURL(m_entry.url);
    m_appState.setActiveShelfIndex(m_shelfIndex);
}

void ShelfItemView::moveToFloor()
{
    // The view may be gone once the entry has left the shelf.
    StorageManager& storage = m_storage;
    AppState& state = m_appState;
    const QUrl url = m_entry.url;
    withAnimation(AppState::quickViewCloseSpring, [&] {
        state.setActiveShelfPopoverURL(std::nullopt);
        storage.moveBookshelfItemToCarpet(url);
    });
}
