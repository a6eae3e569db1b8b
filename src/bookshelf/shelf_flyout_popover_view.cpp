#include "bookshelf/shelf_flyout_popover_view.h"

#include "bookshelf/shelf_listing.h"
#include "bookshelf/shelf_metrics.h"
#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/formats.h"
#include "kit/label_button.h"
#include "kit/painting.h"
#include "kit/panel_backdrop.h"
#include "kit/scroll_area.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "platform/background_work.h"
#include "platform/file_operations.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"
#include "storage/storage_manager.h"

#include <QClipboard>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

using Colors::primaryLabel;
using Colors::secondaryLabel;
using Colors::white;

namespace {
constexpr qreal kCardWidth = ShelfFlyoutPopoverView::kWidth - ShelfFlyoutPopoverView::kArrowWidth;
constexpr qreal kCardLeft = ShelfFlyoutPopoverView::kArrowWidth;
constexpr qreal kHeaderHeight = 40;
constexpr qreal kBodyTop = kHeaderHeight + 1;
constexpr qreal kRowHeight = 30;
constexpr qreal kRowSpacing = 2;

QColor primary(qreal opacity)
{
    return Colors::withOpacity(primaryLabel(), opacity);
}

// The popover's labelled capsules: a glyph and a title of one point size.
ButtonLabel capsuleLabel(const QString& symbol, const QString& title, qreal size,
                         QFont::Weight weight, const QColor& foreground, const QColor& background,
                         qreal padX, qreal padY)
{
    ButtonLabel label;
    label.symbol = symbol;
    label.title = title;
    label.font = Units::systemFont(size, weight);
    label.symbolSize = size;
    label.foreground = foreground;
    label.background = background;
    label.padding = QMarginsF(padX, padY, padX, padY);
    return label;
}

// The popover's quiet round buttons (close, back to the desktop).
ButtonLabel roundLabel(const QString& symbol, qreal symbolSize, qreal diameter)
{
    ButtonLabel label;
    label.symbol = symbol;
    label.symbolSize = symbolSize;
    label.foreground = secondaryLabel();
    label.background = primary(0.08);
    label.shape = ButtonLabel::Shape::Circle;
    label.size = QSizeF(diameter, diameter);
    return label;
}

PanelSurface popoverSurface()
{
    PanelSurface s;
    s.cornerRadius = 16;
    const QColor window = Colors::withOpacity(Colors::windowBackground(), 0.65);
    s.tints = {{window, window}, {white(0.22), white(0.04)}};
    s.rim = {white(0.7), white(0.22), white(0.08), white(0.35)};
    s.shadows = {ShadowStyle{Colors::black(0.2), 24, QPointF(0, 12)},
                 ShadowStyle{Colors::black(0.08), 6, QPointF(0, 2)}};
    return s;
}

void paintIcon(QPainter& p, const QString& name, const QRectF& frame, qreal size)
{
    const ShelfListing::Icon icon = ShelfListing::iconFor(name);
    Symbols::paint(p, icon.symbol,
                   QRectF(frame.center() - QPointF(size / 2, size / 2), QSizeF(size, size)),
                   icon.color);
}

DesignFont emptyFont()
{
    return DesignFont::system(11.5, QFont::Medium);
}

// A file card's name, two lines at most in a box 205 wide, laid out with the face the
// name is drawn from (drawn scaled to its design size).
const DesignFont& cardNameFont()
{
    static const DesignFont font = DesignFont::system(12.5, QFont::DemiBold);
    return font;
}

FittedText::Layout cardName(const QString& name)
{
    FittedText::Options options;
    options.maxLines = 2;
    options.elide = Qt::ElideMiddle;
    const DesignFont& font = cardNameFont();
    return FittedText::fit(name, font, QSizeF(205, 1000), options);
}

qreal cardNameHeight(const FittedText::Layout& name)
{
    return name.lineHeight * name.lines.size();
}
} // namespace

// One row of a folder's listing, showing whichever entry is handed to it (as the list
// scrolls): its icon and name, lit while the pointer is on it.
class ShelfFlyoutPopoverView::Row : public RoomItem {
public:
    Row(ShelfFlyoutPopoverView& popover, QGraphicsItem* parent)
        : RoomItem(parent), m_appState(popover.m_appState)
    {
        setCacheMode(DeviceCoordinateCache);
        QPointer<ShelfFlyoutPopoverView> owner(&popover);
        gestures().onTap([this, owner] {
            if (owner && owner->m_actions.open)
                owner->m_actions.open(m_url.toLocalFile());
        });
        gestures().onHover([this](bool inside) { hoverChanged(inside); });
        gestures().setContextMenu([this, owner](QMenu& menu) {
            if (owner)
                owner->populateRowMenu(menu, m_url);
        });
        connect(&m_appState, &AppState::hoveredFlyoutURLChanged, this, [this] {
            if (isHovered() != m_shownHovered)
                update();
        });
    }

    void showEntry(const QUrl& fileURL)
    {
        if (fileURL == m_url)
            return;
        m_url = fileURL;
        m_name = QFileInfo(fileURL.toLocalFile()).fileName();
        // Scrolled under a resting pointer: the entry now under it is the lit one.
        if (isUnderMouse())
            m_appState.setHoveredFlyoutURL(m_url);
        update();
    }

    const QUrl& url() const { return m_url; }
    bool isHovered() const { return m_appState.hoveredFlyoutURL() == m_url; }

    // The pointer moving from one row to the next leaves the next lit, whichever of the
    // two events comes first.
    void hoverChanged(bool inside)
    {
        if (inside)
            m_appState.setHoveredFlyoutURL(m_url);
        else if (isHovered())
            m_appState.setHoveredFlyoutURL(std::nullopt);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        p.setRenderHint(QPainter::Antialiasing);
        m_shownHovered = isHovered();
        if (m_shownHovered)
            p.fillPath(Painting::continuousRoundedRect(rect(), 8), primary(0.09));
        paintIcon(p, m_name, QRectF(8, (kRowHeight - 18) / 2, 18, 18), 12);
        const DesignFont font = DesignFont::system(12);
        p.setPen(primaryLabel());
        font.drawText(p, QPointF(34, (kRowHeight - font.height()) / 2 + font.ascent()),
                      FittedText::elided(m_name, font, size().width() - 34 - 8, Qt::ElideMiddle));
    }

private:
    QUrl m_url;
    QString m_name;
    AppState& m_appState;
    bool m_shownHovered = false;
};

ShelfFlyoutPopoverView::ShelfFlyoutPopoverView(const QUrl& url, int, AppState& appState,
                                               StorageManager& storage, std::function<void()> close,
                                               ShelfActions actions, QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_storage(storage), m_url(url),
      m_close(std::move(close)), m_actions(std::move(actions))
{
    setPaintMargins(QMarginsF(4, 4, 0, 4)); // the arrow's shadow
    auto* backdrop = new PanelBackdrop(popoverSurface(), this);
    connect(this, &RoomItem::sizeChanged, backdrop, [this, backdrop] {
        backdrop->setCardRect(QRectF(kCardLeft, 0, kCardWidth, size().height()));
    });

    const ButtonLabel closeLabel = roundLabel(QStringLiteral("xmark"), 9.5, 20);
    QPointer<ShelfFlyoutPopoverView> self(this);
    ButtonItem* closeButton = makeLabelButton(
        closeLabel,
        [self] {
            if (self)
                self->m_close();
        },
        this, QStringLiteral("Tutup"));
    closeButton->setPos(kWidth - 14 - 20, 12);
    m_buttons.insert(QStringLiteral("Tutup"), closeButton);

    // A highlight left from an earlier popover is no row of this one.
    if (m_appState.hoveredFlyoutURL())
        m_appState.setHoveredFlyoutURL(std::nullopt);
    connect(&m_appState, &AppState::activeShelfPopoverURLChanged, this, [this] {
        if (m_appState.activeShelfPopoverURL() != m_url)
            clearHoverOfRows();
    });
    connect(&m_storage, &StorageManager::bookshelfItemsChanged, this,
            &ShelfFlyoutPopoverView::refresh);
    refresh();
}

ShelfFlyoutPopoverView::~ShelfFlyoutPopoverView() = default;

void ShelfFlyoutPopoverView::clearHoverOfRows()
{
    const std::optional<QUrl>& hovered = m_appState.hoveredFlyoutURL();
    if (hovered && m_listing.contains(*hovered))
        m_appState.setHoveredFlyoutURL(std::nullopt);
}

void ShelfFlyoutPopoverView::refresh()
{
    const QString path = m_url.toLocalFile();
    const bool wasFolder = m_isFolder;
    m_isFolder = ShelfMetrics::isFolderItem(path);
    if (!m_isFolder) {
        m_readable = true;
        ++m_listingsAsked;
        m_listingsShown = m_listingsAsked; // a listing still on its way is of no use now
        showListing({});
        return;
    }
    // Opened on a folder (or a file's card that became one): the card keeps the room of an
    // empty listing while the first is read.
    if (!wasFolder)
        showListing({});

    // A big folder takes a while to read and sort: off the GUI thread, and only the latest
    // listing asked for is shown, if the popover is still there to show it.
    const quint64 asked = ++m_listingsAsked;
    using Listed = std::pair<QList<QUrl>, bool>; // the entries, and whether it could be read
    auto* watcher = new QFutureWatcher<Listed>(this);
    connect(watcher, &QFutureWatcher<Listed>::finished, this, [this, watcher, asked] {
        watcher->deleteLater();
        if (asked != m_listingsAsked || !m_isFolder)
            return;
        m_listingsShown = asked;
        m_readable = watcher->result().second;
        showListing(watcher->result().first);
    });
    watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [path] {
        bool readable = true;
        QList<QUrl> listed = ShelfListing::folderContents(path, &readable);
        return Listed(std::move(listed), readable);
    }));
}

void ShelfFlyoutPopoverView::clearBody()
{
    // What the last listing built goes once the event that asked for this one is over.
    for (QGraphicsItem* item : std::as_const(m_body)) {
        item->hide();
        if (auto* object = dynamic_cast<QGraphicsObject*>(item))
            object->deleteLater();
    }
    m_body.clear();
    m_rows.clear();
    m_list = nullptr;
    for (const QString& title : m_buttons.keys()) {
        if (title != u"Tutup")
            m_buttons.remove(title);
    }
}

void ShelfFlyoutPopoverView::showListing(const QList<QUrl>& listed)
{
    // The same folder listed again keeps where it was scrolled to.
    const qreal offset = m_list ? m_list->offset() : 0;
    clearBody();
    // A row that went (thrown away, moved) is lit no more.
    const std::optional<QUrl> hovered = m_appState.hoveredFlyoutURL();
    m_listing = listed;
    if (hovered && !m_listing.contains(*hovered) && m_isFolder)
        m_appState.setHoveredFlyoutURL(std::nullopt);

    qreal height = kBodyTop;
    m_sizeLine.clear();
    if (!m_isFolder) {
        height += buildFileCard(kBodyTop);
    } else if (m_listing.isEmpty()) {
        // Also the room kept while a folder's first listing is on its way.
        height += 30 + 22 + 8 + emptyFont().height() + 30;
    } else {
        height += buildList(kBodyTop, offset);
    }
    m_cardHeight = height;
    setSize(QSizeF(kWidth, height));
    update();
}

qreal ShelfFlyoutPopoverView::buildList(qreal top, qreal offset)
{
    m_list = new ScrollArea(this);
    m_body << m_list;
    const qreal pitch = kRowHeight + kRowSpacing;
    const qreal contentHeight = 6 + m_listing.size() * pitch - kRowSpacing + 6;
    const qreal shown = std::min(contentHeight, kListMaxHeight);
    m_list->setPos(kCardLeft, top);
    m_list->setSize(QSizeF(kCardWidth, shown));
    m_list->setContentHeight(contentHeight);
    // Enough rows to cover the view wherever it is scrolled to, whatever the folder holds.
    const qsizetype built =
        std::min<qsizetype>(m_listing.size(), qsizetype(std::ceil(shown / pitch)) + 1);
    for (qsizetype i = 0; i < built; ++i) {
        auto* row = new Row(*this, m_list->content());
        row->setSize(QSizeF(kCardWidth - 16, kRowHeight));
        m_rows << row;
    }
    connect(m_list, &ScrollArea::scrolled, this, &ShelfFlyoutPopoverView::placeRows);
    m_list->scrollTo(offset);
    placeRows();
    return shown;
}

void ShelfFlyoutPopoverView::placeRows()
{
    if (!m_list || m_rows.isEmpty())
        return;
    const qreal pitch = kRowHeight + kRowSpacing;
    const qsizetype last = m_listing.size() - m_rows.size();
    const qsizetype first =
        std::clamp<qsizetype>(qsizetype(std::floor((m_list->offset() - 6) / pitch)), 0, last);
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const qsizetype index = first + i;
        m_rows[i]->setPos(8, 6 + index * pitch);
        m_rows[i]->showEntry(m_listing[index]);
    }
}

qreal ShelfFlyoutPopoverView::buildFileCard(qreal top)
{
    const QString path = m_url.toLocalFile();
    // Only where the entry can be read at all; through a link, the size of what it points to.
    if (FileOperations::entryExists(path))
        m_sizeLine = ShelfListing::fileCardSizeLine(path);

    QPointer<ShelfFlyoutPopoverView> self(this);
    const auto act = [self](std::function<void(ShelfFlyoutPopoverView&)> fn) {
        return [self, fn] {
            if (self)
                fn(*self);
        };
    };
    ButtonLabel open =
        capsuleLabel(QStringLiteral("arrow.up.forward.app"), QStringLiteral("Buka"), 11,
                     QFont::Bold, Qt::white, Colors::system(Colors::System::Blue), 12, 6);
    ButtonLabel finder = capsuleLabel(QStringLiteral("folder"), QStringLiteral("Finder"), 11,
                                      QFont::Medium, primaryLabel(), primary(0.08), 10, 6);
    // Ink on a lime capsule, as the board's "Memo" button: lime letters on the light card
    // could not be read.
    ButtonLabel floor = capsuleLabel(QStringLiteral("arrow.down.right.and.arrow.up.left"),
                                     QStringLiteral("Ke Lantai"), 10, QFont::DemiBold,
                                     TOLVANEColors::ink(), TOLVANEColors::highlighterGreen(), 8, 5);
    floor.border = Colors::withOpacity(TOLVANEColors::ink(), 0.18);
    const ButtonLabel back = roundLabel(QStringLiteral("arrowshape.turn.up.backward.fill"), 11, 25);

    // Where the room's face sets the labels wider than the card, the labelled buttons give
    // up some of their padding (never below 4) rather than overlap.
    const qreal spare = kCardWidth - 28 - 3 * 8 - open.sizeHint().width() -
                        finder.sizeHint().width() - floor.sizeHint().width() -
                        back.sizeHint().width();
    if (spare < 0) {
        const qreal room =
            (open.padding.left() - 4) + (finder.padding.left() - 4) + (floor.padding.left() - 4);
        const qreal share = std::min(qreal(1), -spare / (2 * room));
        for (ButtonLabel* l : {&open, &finder, &floor}) {
            const qreal pad = l->padding.left() - (l->padding.left() - 4) * share;
            l->padding.setLeft(pad);
            l->padding.setRight(pad);
        }
    }
    struct Made {
        QString title;
        ButtonItem* item;
    };
    const QList<Made> made = {
        {open.title, makeLabelButton(open, act([](ShelfFlyoutPopoverView& v) {
                                         if (v.m_actions.open)
                                             v.m_actions.open(v.m_url.toLocalFile());
                                         v.m_close();
                                     }),
                                     this)},
        {finder.title, makeLabelButton(finder, act([](ShelfFlyoutPopoverView& v) {
                                           if (v.m_actions.reveal)
                                               v.m_actions.reveal(v.m_url.toLocalFile());
                                       }),
                                       this)},
        {floor.title, makeLabelButton(floor, act([](ShelfFlyoutPopoverView& v) {
                                          const QUrl url = v.m_url;
                                          v.m_storage.moveBookshelfItemToCarpet(url);
                                          v.m_close();
                                      }),
                                      this, QStringLiteral("Keluarkan ke lantai rumput"))},
        {QStringLiteral("Kembalikan"),
         makeLabelButton(back, act([](ShelfFlyoutPopoverView& v) {
                             const QUrl url = v.m_url;
                             v.m_storage.returnBookToDesktop(url);
                             v.m_close();
                         }),
                         this, QStringLiteral("Kembalikan ke Desktop"))},
    };
    const FittedText::Layout name = cardName(QFileInfo(path).fileName());
    const qreal text =
        cardNameHeight(name) +
        (m_sizeLine.isEmpty() ? 0 : 3 + QFontMetricsF(Units::systemFont(10)).height());
    const qreal line = top + 12 + std::max(qreal(30), text) + 12;
    const qreal rowHeight = made[0].item->size().height();
    qreal x = kCardLeft + 14;
    for (int i = 0; i < 2; ++i) {
        made[i].item->setPos(x, line + (rowHeight - made[i].item->size().height()) / 2);
        x += made[i].item->size().width() + 8;
    }
    qreal right = kWidth - 14;
    for (int i = 3; i >= 2; --i) {
        right -= made[i].item->size().width();
        made[i].item->setPos(right, line + (rowHeight - made[i].item->size().height()) / 2);
        right -= 8;
    }
    for (const Made& m : made) {
        m_buttons.insert(m.title, m.item);
        m_body << m.item;
    }
    return line + rowHeight + 12 - top;
}

QString ShelfFlyoutPopoverView::emptyText() const
{
    return m_readable ? QStringLiteral("Folder ini kosong") : Formats::unreadableContents();
}

RoomItem* ShelfFlyoutPopoverView::row(const QUrl& fileURL) const
{
    for (Row* r : m_rows) {
        if (r->url() == fileURL)
            return r;
    }
    return nullptr;
}

ButtonItem* ShelfFlyoutPopoverView::button(const QString& title) const
{
    return m_buttons.value(title);
}

void ShelfFlyoutPopoverView::populateRowMenu(QMenu& menu, const QUrl& fileURL)
{
    QPointer<ShelfFlyoutPopoverView> self(this);
    const QString path = fileURL.toLocalFile();
    const auto add = [&menu, self](const QString& title,
                                   std::function<void(ShelfFlyoutPopoverView&)> fn) {
        Gestures::addMenuAction(menu, title, [self, fn] {
            if (self)
                fn(*self);
        });
    };
    add(QStringLiteral("Buka"), [path](ShelfFlyoutPopoverView& v) {
        if (v.m_actions.open)
            v.m_actions.open(path);
    });
    add(QStringLiteral("Tampilkan di Finder"), [path](ShelfFlyoutPopoverView& v) {
        if (v.m_actions.reveal)
            v.m_actions.reveal(path);
    });
    menu.addSeparator();
    add(QStringLiteral("Salin Nama File"), [path](ShelfFlyoutPopoverView&) {
        // The plain name, as text.
        QGuiApplication::clipboard()->setText(QFileInfo(path).fileName());
    });
    add(QStringLiteral("Buang ke Tempat Sampah"), [path](ShelfFlyoutPopoverView& v) {
        // A row that went is offered no more, at once; the folder is listed again whatever
        // came of it.
        if (v.m_actions.trash && v.m_actions.trash(path) && !QFileInfo::exists(path)) {
            QList<QUrl> kept = v.m_listing;
            kept.removeOne(QUrl::fromLocalFile(path));
            v.showListing(kept);
        }
        v.refresh();
    });
}

void ShelfFlyoutPopoverView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    const qreal H = size().height();

    // The arrow pointing left at the shelf, its tip level with the card's middle.
    QPainterPath arrow;
    arrow.moveTo(kArrowWidth, H / 2 - 8);
    arrow.lineTo(0, H / 2);
    arrow.lineTo(kArrowWidth, H / 2 + 8);
    arrow.closeSubpath();
    ShapeShadow().paint(p, arrow, ShadowStyle{Colors::black(0.12), 3, QPointF(-1, 0)});
    p.fillPath(arrow, white(0.4));
    p.fillPath(arrow, Colors::withOpacity(Colors::windowBackground(), 0.85));
    p.strokePath(arrow, QPen(QBrush(Painting::linearGradient(arrow.boundingRect().topLeft(),
                                                             arrow.boundingRect().bottomRight(),
                                                             {white(0.7), white(0.2)})),
                             1));

    // Header: icon, name, count, (the close button is a child).
    const QString path = m_url.toLocalFile();
    const QString name = QFileInfo(path).fileName();
    QString symbol = QStringLiteral("doc.text.fill");
    QColor color = Colors::system(Colors::System::Indigo);
    if (m_isFolder) {
        symbol = QStringLiteral("folder.fill");
        color = Colors::system(Colors::System::Blue);
    } else if (ShelfListing::isApplication(name)) {
        symbol = QStringLiteral("app.fill");
        color = Colors::system(Colors::System::Purple);
    }
    const qreal headerMid = 12 + 10;
    Symbols::paint(p, symbol, QRectF(kCardLeft + 14, headerMid - 7.5, 15, 15), color);
    const DesignFont nameFont = DesignFont::system(13, QFont::DemiBold);
    const qreal nameLeft = kCardLeft + 14 + 15 + 8;
    qreal available = kWidth - 14 - 20 - 8 - nameLeft;
    const DesignFont badgeFont = DesignFont::system(9.5, QFont::DemiBold);
    const QString count = QString::number(m_listing.size());
    const qreal badgeWidth = badgeFont.horizontalAdvance(count) + 12;
    // Until the folder's first listing is in, there is nothing to count or to call empty;
    // a folder that cannot be read has no count either.
    const bool listed = m_isFolder && !(isListing() && m_listing.isEmpty());
    const bool counted = listed && m_readable;
    if (counted)
        available -= badgeWidth + 8;
    const QString shown = FittedText::elided(name, nameFont, available, Qt::ElideMiddle);
    p.setPen(primaryLabel());
    nameFont.drawText(p, QPointF(nameLeft, headerMid - nameFont.height() / 2 + nameFont.ascent()),
                      shown);
    if (counted) {
        const QRectF badge(nameLeft + nameFont.horizontalAdvance(shown) + 8,
                           headerMid - badgeFont.height() / 2 - 2, badgeWidth,
                           badgeFont.height() + 4);
        p.fillPath(Painting::capsule(badge), primary(0.08));
        p.setPen(secondaryLabel());
        badgeFont.drawText(p, badge, Qt::AlignCenter, count);
    }
    p.fillRect(QRectF(kCardLeft, kHeaderHeight, kCardWidth, 1), primary(0.08));

    if (listed && m_listing.isEmpty()) {
        const qreal top = kBodyTop + 30;
        Symbols::paint(p, QStringLiteral("tray"),
                       QRectF(kCardLeft + kCardWidth / 2 - 11, top, 22, 22), secondaryLabel());
        p.setPen(secondaryLabel());
        emptyFont().drawText(p, QRectF(kCardLeft, top + 22 + 8, kCardWidth, emptyFont().height()),
                             Qt::AlignHCenter | Qt::AlignTop, emptyText());
        return;
    }
    if (m_isFolder)
        return;
    // The file card's info line.
    const qreal top = kBodyTop + 12;
    const FittedText::Layout nameLines = cardName(name);
    const qreal nameHeight = cardNameHeight(nameLines);
    const QFont small = Units::systemFont(10);
    const qreal text = nameHeight + (m_sizeLine.isEmpty() ? 0 : 3 + QFontMetricsF(small).height());
    const qreal block = std::max(qreal(30), text);
    paintIcon(p, name, QRectF(kCardLeft + 14, top + (block - 30) / 2, 30, 30), 12);
    const qreal textTop = top + (block - text) / 2;
    const QRectF nameBox(kCardLeft + 14 + 30 + 12, textTop, 205, nameHeight);
    FittedText::draw(p, nameLines, nameBox, Qt::AlignLeft | Qt::AlignTop, primaryLabel());
    if (!m_sizeLine.isEmpty()) {
        const QFontMetricsF sm(small);
        p.setFont(small);
        p.setPen(secondaryLabel());
        p.drawText(QPointF(kCardLeft + 14 + 30 + 12, textTop + nameHeight + 3 + sm.ascent()),
                   m_sizeLine);
    }
}
