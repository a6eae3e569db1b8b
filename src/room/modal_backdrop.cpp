#include "room/modal_backdrop.h"

#include "kit/colors.h"
#include "state/app_state.h"

#include <QPainter>

// The content's host: clips it to the rounded sheet, draws the sheet's shadow, and keeps
// clicks on the sheet from reaching the backdrop.
class ModalBackdrop::Sheet : public RoomItem {
public:
    explicit Sheet(QGraphicsItem* parent) : RoomItem(parent)
    {
        gestures().onTap([] {});
        setFlag(ItemClipsChildrenToShape);
    }

    void fit(RoomItem* content)
    {
        setSize(content->size());
        setHitShape(Painting::continuousRoundedRect(rect(), 12));
        setPaintMargins(QMarginsF(30, 30, 30, 40));
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->setRenderHint(QPainter::Antialiasing);
        m_shadow.paint(*painter, shape(), ShadowStyle{Colors::black(0.5), 16, QPointF(0, 8)});
    }

private:
    ShapeShadow m_shadow;
};

ModalBackdrop::ModalBackdrop(std::function<void()> dismiss, RoomItem* content,
                             QGraphicsItem* parent)
    : TransitionItem(Transition{}, parent), m_content(content)
{
    m_dimmingLayer = new TransitionItem(Transition::opacity(), this);
    m_dimming = new TapLayer(
        [dismiss = std::move(dismiss)] {
            withAnimation(AppState::quickViewCloseSpring, [&] {
                if (dismiss)
                    dismiss();
            });
        },
        m_dimmingLayer);
    m_dimming->setFillColor(Colors::black(0.4));

    m_sheetLayer = new TransitionItem(Transition::scaled(0.88)
                                          .combined(Transition::offsetBy(QPointF(0, 12)))
                                          .combined(Transition::opacity()),
                                      Transition::scaled(0.92)
                                          .combined(Transition::offsetBy(QPointF(0, 6)))
                                          .combined(Transition::opacity()),
                                      this);
    m_sheet = new Sheet(m_sheetLayer);
    if (m_content) {
        m_content->setParentItem(m_sheet);
        m_content->setPos(0, 0);
        m_sheet->fit(m_content);
        connect(m_content, &RoomItem::sizeChanged, this, [this] { m_sheet->fit(m_content); });
    }
}

void ModalBackdrop::setRoomSize(const QSizeF& size)
{
    m_dimming->setSize(size);
    m_sheet->setCentre(QPointF(size.width() / 2, size.height() / 2));
    m_sheetLayer->setAnchorRect(m_sheet->mapRectToParent(m_sheet->rect()));
}

void ModalBackdrop::appear()
{
    TransitionItem::appear();
    m_dimmingLayer->appear();
    m_sheetLayer->appear();
}

void ModalBackdrop::disappear()
{
    m_dimmingLayer->disappear();
    m_sheetLayer->disappear();
    TransitionItem::disappear();
}
