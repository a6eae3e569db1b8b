#include "state/active_desktop_quick_view.h"

ActiveDesktopQuickView ActiveDesktopQuickView::photo(int slot)
{
    ActiveDesktopQuickView v(Photo);
    v.m_slot = slot;
    return v;
}

ActiveDesktopQuickView ActiveDesktopQuickView::carpetItem(const QUrl& url)
{
    ActiveDesktopQuickView v(CarpetItem);
    v.m_url = url;
    return v;
}

bool operator==(const ActiveDesktopQuickView& a, const ActiveDesktopQuickView& b)
{
    if (a.m_kind != b.m_kind)
        return false;
    switch (a.m_kind) {
    case ActiveDesktopQuickView::Photo:
        return a.m_slot == b.m_slot;
    case ActiveDesktopQuickView::CarpetItem:
        return a.m_url == b.m_url;
    default:
        return true;
    }
}
