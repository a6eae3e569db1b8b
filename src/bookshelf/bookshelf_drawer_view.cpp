#include "bookshelf/bookshelf_drawer_view.h"

#include "bookshelf/shelf_drop.h"
#include "bookshelf/shelf_listing.h"
#include "bookshelf/shelf_metrics.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/label_button.h"
#include "kit/painting.h"
#include "kit/panel_backdrop.h"
#include "kit/scroll_area.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "platform/background_work.h"
#include "state/tolvane_colors.h"
#include "storage/storage_manager.h"

#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

using Colors::white;

namespace {
constexpr qreal kTitleRowHeight = 61; // 14 + the title and count lines + 14
constexpr qreal kButtonRowHeight = 30;
constexpr qreal kSide = 18;
constexpr qreal kRowHeight = 52;
constexpr qreal kRowSpacing = 8;
constexpr qreal kTitleLeft = kSide + 18 + 8;

PanelSurface drawerSurface()
{
    PanelSurface s;
    s.cornerRadius = 14;
    const QColor fill = Colors::srgb(0.14, 0.16, 0.20, 0.97);
    s.tints = {{fill, fill}};
    s.rim = {white(0.16)};
    s.shadows = {ShadowStyle{Colors::black(0.6), 20, QPointF(0, 10)}};
    return s;
}

ButtonLabel bordered(const QString& symbol, const QString& title, QFont::Weight weight)
{
    ButtonLabel l;
    l.symbol = symbol;
    l.title = title;
    l.font = Units::systemFont(11, weight);
    l.symbolSize = 11;
    l.background = white(0.14);
    l.border = white(0.1);
    l.shape = ButtonLabel::Shape::Rounded;
    l.padding = QMarginsF(8, 4, 8, 4);
    return l;
}

ButtonLabel roundGlyph(const QString& symbol, qreal glyph, const QColor& color)
{
    ButtonLabel l;
    l.symbol = symbol;
    l.symbolSize = glyph;
    l.foreground = color;
    l.background = white(0.12);
    l.shape = ButtonLabel::Shape::Circle;
    l.size = QSizeF(26, 26);
    return l;
}

} // namespace

// One row of the list, showing whichever entry it is handed (the list keeps only the rows
// in view and hands them on as it scrolls or changes): its tile, name, kind and age, and
// its four buttons, which act on the entry shown when they are clicked. Drawn into the
// item's cache, again only when what it shows changes.
class BookshelfDrawerView::Row : public RoomItem {
public:
    Row(BookshelfDrawerView& drawer, QGraphicsItem* parent) : RoomItem(parent)
    {
        setCacheMode(DeviceCoordinateCache);
        // A button may take this row's entry away (the list is published anew): what it
        // acts on is copied first.
        QPointer<BookshelfDrawerView> panel(&drawer);
        StorageManager* storage = &drawer.m_storage;
        const ShelfActions* actions = &drawer.m_actions;
        ButtonLabel open;
        open.title = QStringLiteral("Buka");
        open.font = Units::systemFont(11, QFont::Bold);
        open.background = TOLVANEColors::electricBlue();
        open.padding = QMarginsF(10, 4, 10, 4);
        m_buttons << makeLabelButton(
            open,
            [this, panel, actions] {
                const QString path = m_line.url.toLocalFile();
                if (!panel)
                    return;
                if (actions->open)
                    actions->open(path);
                panel->m_close();
            },
            this, QStringLiteral("Buka file ini"));
        m_buttons << makeLabelButton(
            roundGlyph(QStringLiteral("folder"), 12, white(0.8)),
            [this, panel, actions] {
                if (panel && actions->reveal)
                    actions->reveal(m_line.url.toLocalFile());
            },
            this, QStringLiteral("Tampilkan di Finder"));
        m_buttons << makeLabelButton(
            roundGlyph(QStringLiteral("arrow.down.forward.and.arrow.up.backward"), 11,
                       TOLVANEColors::highlighterGreen()),
            [this, panel, storage] {
                const QUrl url = m_line.url;
                if (panel)
                    storage->moveBookshelfItemToCarpet(url);
            },
            this, QStringLiteral("Keluarkan ke Lantai Rumput"));
        m_buttons << makeLabelButton(
            roundGlyph(QStringLiteral("arrow.up.forward.app"), 12,
                       Colors::system(Colors::System::Yellow)),
            [this, panel, storage] {
                const QUrl url = m_line.url;
                if (panel)
                    storage->returnBookToDesktop(url);
            },
            this, QStringLiteral("Kembalikan ke Desktop"));
    }

    const QUrl& url() const { return m_line.url; }

    void show(const ShelfListing::DrawerLine& line)
    {
        if (line == m_line)
            return;
        m_line = line;
        update();
    }

    void layout(qreal width)
    {
        setSize(QSizeF(width, kRowHeight));
        qreal x = width - 12;
        for (qsizetype i = m_buttons.size() - 1; i >= 0; --i) {
            ButtonItem* b = m_buttons[i];
            x -= b->size().width();
            b->setPos(x, (kRowHeight - b->size().height()) / 2);
            x -= 6;
        }
        m_textRight = x - 12 + 6;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        p.setRenderHint(QPainter::Antialiasing);
        const QPainterPath back = Painting::continuousRoundedRect(rect(), 8);
        p.fillPath(back, white(0.06));
        p.strokePath(back, QPen(white(0.08), 1));

        const QRectF tile(12, 8, 36, 36);
        QColor fill = Colors::withOpacity(TOLVANEColors::electricBlue(), 0.3);
        QColor glyph = Colors::system(Colors::System::Cyan);
        QString symbol = QStringLiteral("doc.text.fill");
        if (m_line.isFolder) {
            fill = Colors::srgb(0.72, 0.54, 0.36, 0.3);
            glyph = Colors::srgb(0.95, 0.82, 0.60);
            symbol = QStringLiteral("archivebox.fill");
        } else if (m_line.isApp) {
            fill = Colors::system(Colors::System::Purple, 0.3);
            glyph = Colors::system(Colors::System::Purple);
            symbol = QStringLiteral("app.fill");
        }
        p.fillPath(Painting::continuousRoundedRect(tile, 6), fill);
        Symbols::paint(p, symbol, QRectF(tile.center() - QPointF(8, 8), QSizeF(16, 16)), glyph);

        const qreal left = tile.right() + 12;
        const qreal width = std::max(m_textRight - left, qreal(0));
        const DesignFont nameFont = DesignFont::system(12, QFont::Bold);
        const DesignFont small = DesignFont::system(10);
        const qreal top = (kRowHeight - (nameFont.height() + 2 + small.height())) / 2;
        p.setPen(Qt::white);
        nameFont.drawText(p, QPointF(left, top + nameFont.ascent()),
                          FittedText::elided(m_line.name, nameFont, width, Qt::ElideMiddle));

        qreal x = left;
        const qreal base = top + nameFont.height() + 2 + small.ascent();
        const auto piece = [&](const QString& text, const DesignFont& font, const QColor& color) {
            const QString shown = FittedText::elided(text, font, left + width - x, Qt::ElideRight);
            p.setPen(color);
            font.drawText(p, QPointF(x, base), shown);
            x += font.horizontalAdvance(shown) + 4;
        };
        piece(m_line.subtitle, small, white(0.65));
        piece(QStringLiteral("•"), DesignFont::system(9), white(0.4));
        piece(m_line.time, small, Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.9));
    }

private:
    ShelfListing::DrawerLine m_line;
    qreal m_textRight = 0;
    QList<ButtonItem*> m_buttons;
};

BookshelfDrawerView::BookshelfDrawerView(StorageManager& storage, std::function<void()> close,
                                         ShelfActions actions, QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_close(std::move(close)),
      m_actions(std::move(actions)), m_drops(ShelfDrop::target(storage))
{
    setSize(kSize);
    setAcceptDrops(true);
    new PanelBackdrop(drawerSurface(), this);

    m_list = new ScrollArea(this);
    connect(m_list, &ScrollArea::scrolled, this, &BookshelfDrawerView::placeRows);

    connect(&m_storage, &StorageManager::bookshelfItemsChanged, this, &BookshelfDrawerView::reload);
    connect(&m_storage, &StorageManager::bookshelfEntriesChanged, this,
            &BookshelfDrawerView::reload);
    reload();
}

BookshelfDrawerView::~BookshelfDrawerView() = default;

void BookshelfDrawerView::reload()
{
    const ItemURLs items = m_storage.bookshelfItems();
    const bool headerChanged = m_header.isEmpty() || (m_count == 0) != items.isEmpty();
    m_count = items.size();
    if (headerChanged) {
        layoutHeader();
        update();
    } else {
        update(QRectF(0, 0, kSize.width(), m_headerHeight)); // the count line
    }
    // Reading every entry (a folder is listed to be counted) takes a while on a busy shelf:
    // off the GUI thread, one reading at a time, and a change during one asks for another
    // once it is done. The rows keep showing the last reading meanwhile.
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    m_readAgain = false;
    ++m_readings;
    auto* watcher = new QFutureWatcher<QList<ShelfListing::DrawerLine>>(this);
    connect(watcher, &QFutureWatcher<QList<ShelfListing::DrawerLine>>::finished, this,
            [this, watcher] {
                watcher->deleteLater();
                m_reading = false;
                showLines(watcher->result());
                if (m_readAgain)
                    reload();
            });
    const QDateTime now = QDateTime::currentDateTime();
    watcher->setFuture(QtConcurrent::run(
        BackgroundWork::pool(), [items, now] { return ShelfListing::drawerLines(items, now); }));
}

void BookshelfDrawerView::showLines(const QList<ShelfListing::DrawerLine>& lines)
{
    m_lines = lines;
    const qreal pitch = kRowHeight + kRowSpacing;
    m_list->setContentHeight(m_lines.isEmpty() ? 0 : m_lines.size() * pitch - kRowSpacing + 16);
    m_list->setVisible(!m_lines.isEmpty());
    // Enough rows to cover the view wherever it is scrolled to; made once, handed on after.
    const qsizetype needed = std::min<qsizetype>(
        m_lines.size(), qsizetype(std::ceil(m_list->size().height() / pitch)) + 1);
    const qreal width = kSize.width() - 2 * kSide;
    while (m_rows.size() < needed) {
        auto* row = new Row(*this, m_list->content());
        row->layout(width);
        m_rows.append(row);
    }
    placeRows();
}

void BookshelfDrawerView::placeRows()
{
    const qreal pitch = kRowHeight + kRowSpacing;
    const qsizetype shown = std::min(m_rows.size(), m_lines.size());
    const qsizetype first = std::clamp<qsizetype>(qsizetype(std::floor(m_list->offset() / pitch)),
                                                  0, m_lines.size() - shown);
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        Row* row = m_rows[i];
        row->setVisible(i < shown);
        if (i >= shown)
            continue;
        row->setPos(kSide, (first + i) * pitch);
        row->show(m_lines[first + i]);
    }
}

void BookshelfDrawerView::layoutHeader()
{
    for (const HeaderButton& b : std::as_const(m_header)) {
        b.item->hide();
        b.item->deleteLater();
    }
    m_header.clear();
    QPointer<BookshelfDrawerView> self(this);
    const auto guarded = [self](std::function<void(BookshelfDrawerView&)> fn) {
        return [self, fn] {
            if (self)
                fn(*self);
        };
    };
    const auto add = [this, &guarded](const ButtonLabel& label,
                                      std::function<void(BookshelfDrawerView&)> fn) {
        m_header << HeaderButton{label.title, makeLabelButton(label, guarded(std::move(fn)), this)};
    };
    ButtonLabel choose =
        bordered(QStringLiteral("plus"), QStringLiteral("Tambah File"), QFont::DemiBold);
    choose.background = TOLVANEColors::electricBlue();
    choose.border = Qt::transparent;
    add(choose, [](BookshelfDrawerView& v) { v.m_storage.chooseItemsForBookshelf(); });
    add(bordered(QStringLiteral("folder"), QStringLiteral("Buka di Finder"), QFont::Normal),
        [](BookshelfDrawerView& v) {
            if (v.m_actions.open)
                v.m_actions.open(v.m_storage.baseDirectory().toLocalFile());
        });
    if (m_count > 0) {
        add(bordered(QString(), QStringLiteral("Keluarkan Semua ke Lantai"), QFont::Normal),
            [](BookshelfDrawerView& v) { v.m_storage.moveAllBookshelfItemsToCarpet(); });
        add(bordered(QString(), QStringLiteral("Kembalikan Semua"), QFont::Normal),
            [](BookshelfDrawerView& v) { v.m_storage.returnAllBookshelfItemsToDesktop(); });
    }
    ButtonLabel close;
    close.symbol = QStringLiteral("xmark.circle.fill");
    close.symbolSize = 16;
    close.foreground = white(0.8);
    close.shape = ButtonLabel::Shape::None;
    close.padding = QMarginsF(4, 0, 0, 0);
    m_header << HeaderButton{
        QStringLiteral("close"),
        makeLabelButton(close, guarded([](BookshelfDrawerView& v) { v.m_close(); }), this)};
    // Beside the title while they fit there; else the close button stays beside it and
    // the other buttons take a row of their own below it.
    qreal needed = 0;
    for (const HeaderButton& b : std::as_const(m_header))
        needed += b.item->size().width() + 8;
    const qreal title = QFontMetricsF(Units::systemFont(15, QFont::Bold))
                            .horizontalAdvance(QStringLiteral("Rak File Desktop"));
    const bool wraps = kTitleLeft + title + 16 + needed > kSize.width() - kSide;
    m_headerHeight = kTitleRowHeight + (wraps ? kButtonRowHeight : 0);
    qreal x = kSize.width() - kSide;
    for (qsizetype i = m_header.size() - 1; i >= 0; --i) {
        ButtonItem* b = m_header[i].item;
        const bool onTitleRow = !wraps || i == m_header.size() - 1;
        if (wraps && i == m_header.size() - 2)
            x = kSize.width() - kSide; // the second row starts again at the right
        x -= b->size().width();
        const qreal rowTop = onTitleRow ? 0 : kTitleRowHeight - 10;
        const qreal rowHeight = onTitleRow ? kTitleRowHeight : kButtonRowHeight;
        b->setPos(x, rowTop + (rowHeight - b->size().height()) / 2);
        x -= 8;
    }
    const qreal listTop = m_headerHeight + 1 + 12 + 16 + 10;
    m_list->setPos(0, listTop);
    m_list->setSize(QSizeF(kSize.width(), kSize.height() - listTop - 4));
}

QStringList BookshelfDrawerView::headerButtons() const
{
    QStringList titles;
    for (const HeaderButton& b : m_header)
        titles << b.title;
    return titles;
}

QList<QUrl> BookshelfDrawerView::rows() const
{
    QList<QUrl> urls;
    for (const ShelfListing::DrawerLine& line : m_lines)
        urls << line.url;
    return urls;
}

RoomItem* BookshelfDrawerView::row(const QUrl& url) const
{
    for (Row* r : m_rows) {
        if (r->isVisible() && r->url() == url)
            return r;
    }
    return nullptr;
}

QList<RoomItem*> BookshelfDrawerView::rowItems() const
{
    return {m_rows.begin(), m_rows.end()};
}

void BookshelfDrawerView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    // The header's band, inside the panel's rounded top.
    p.save();
    p.setClipPath(Painting::continuousRoundedRect(rect(), 14));
    p.fillRect(QRectF(0, 0, kSize.width(), m_headerHeight), Colors::black(0.35));
    p.fillRect(QRectF(0, m_headerHeight, kSize.width(), 1), white(0.12));
    p.restore();

    Symbols::paint(p, QStringLiteral("books.vertical.fill"),
                   QRectF(kSide, kTitleRowHeight / 2 - 9, 18, 18),
                   TOLVANEColors::highlighterGreen());
    const DesignFont title = DesignFont::system(15, QFont::Bold);
    const DesignFont count = DesignFont::system(11);
    const qreal textTop = (kTitleRowHeight - (title.height() + 2 + count.height())) / 2;
    const qreal left = kTitleLeft;
    p.setPen(Qt::white);
    title.drawText(p, QPointF(left, textTop + title.ascent()), QStringLiteral("Rak File Desktop"));
    p.setPen(white(0.65));
    const qreal countWidth = m_header.back().item->pos().x() - left - 8;
    count.drawText(p, QPointF(left, textTop + title.height() + 2 + count.ascent()),
                   FittedText::elided(
                       QStringLiteral("%1 item tersimpan • Menampilkan file terbaru").arg(m_count),
                       count, countWidth, Qt::ElideRight));

    if (m_count == 0) {
        // The empty state, centred in what is left below the header.
        const QRectF area(40, m_headerHeight + 1 + 40, kSize.width() - 80,
                          kSize.height() - m_headerHeight - 1 - 80);
        const QFont lead = Units::systemFont(14, QFont::DemiBold);
        const QFont hint = Units::systemFont(12);
        const qreal stack =
            42 + 12 + QFontMetricsF(lead).height() + 12 + 2 * QFontMetricsF(hint).height();
        qreal y = area.center().y() - stack / 2;
        Symbols::paint(p, QStringLiteral("books.vertical"),
                       QRectF(area.center().x() - 21, y, 42, 42), white(0.35));
        y += 42 + 12;
        p.setFont(lead);
        p.setPen(white(0.85));
        p.drawText(QRectF(area.left(), y, area.width(), QFontMetricsF(lead).height()),
                   Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Rak buku masih kosong."));
        y += QFontMetricsF(lead).height() + 12;
        p.setFont(hint);
        p.setPen(white(0.6));
        p.drawText(
            QRectF(area.left() + 60, y, area.width() - 120, 2 * QFontMetricsF(hint).height()),
            Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
            QStringLiteral(
                "Seret file atau folder dari desktop ke lemari buku untuk menyimpannya."));
        return;
    }
    const qreal headingTop = m_headerHeight + 1 + 12;
    Symbols::paint(p, QStringLiteral("clock.arrow.circlepath"),
                   QRectF(kSide, headingTop + 2, 11, 11), TOLVANEColors::highlighterGreen());
    p.setFont(Units::systemFont(12, QFont::Bold));
    p.setPen(TOLVANEColors::highlighterGreen());
    p.drawText(QPointF(kSide + 11 + 8, headingTop + QFontMetricsF(p.font()).ascent()),
               QStringLiteral("File & Folder Terbaru di Rak"));
}

void BookshelfDrawerView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    // Taken here and nowhere below: the floor under the drawer never sees it.
    m_drops.enter(event);
}

void BookshelfDrawerView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.move(event);
}

void BookshelfDrawerView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.drop(event);
}
