#pragma once

#include <QMetaType>
#include <QUrl>

// Names the one quick-view card that may be open over the room. A plain value:
// `photo` carries its frame slot, `carpetItem` the file URL of a carpet file.
class ActiveDesktopQuickView {
public:
    // The order is the case index.
    enum Kind {
        Photo,
        CarpetItem,
        Clock,
        Calendar,
        Monitor,
        Mail,
        Whatsapp,
        Trash,
        Guitar,
        AcousticGuitar,
        QuennetPlaque,
        TolvanePlaque,
    };

    ActiveDesktopQuickView() = default;

    static ActiveDesktopQuickView photo(int slot);
    static ActiveDesktopQuickView carpetItem(const QUrl& url);
    static ActiveDesktopQuickView clock() { return ActiveDesktopQuickView(Clock); }
    static ActiveDesktopQuickView calendar() { return ActiveDesktopQuickView(Calendar); }
    static ActiveDesktopQuickView monitor() { return ActiveDesktopQuickView(Monitor); }
    static ActiveDesktopQuickView mail() { return ActiveDesktopQuickView(Mail); }
    static ActiveDesktopQuickView whatsapp() { return ActiveDesktopQuickView(Whatsapp); }
    static ActiveDesktopQuickView trash() { return ActiveDesktopQuickView(Trash); }
    static ActiveDesktopQuickView guitar() { return ActiveDesktopQuickView(Guitar); }
    static ActiveDesktopQuickView acousticGuitar() { return ActiveDesktopQuickView(AcousticGuitar); }
    static ActiveDesktopQuickView quennetPlaque() { return ActiveDesktopQuickView(QuennetPlaque); }
    static ActiveDesktopQuickView tolvanePlaque() { return ActiveDesktopQuickView(TolvanePlaque); }

    Kind kind() const { return m_kind; }
    int slot() const { return m_slot; }
    const QUrl& url() const { return m_url; }

    // Same case and equal payload; URLs compare as URLs, not as the files they name,
    // so "file:///a/b" and "file:///a/b/" differ.
    friend bool operator==(const ActiveDesktopQuickView& a, const ActiveDesktopQuickView& b);

private:
    explicit ActiveDesktopQuickView(Kind kind) : m_kind(kind) {}

    Kind m_kind = Clock;
    int m_slot = 0;
    QUrl m_url;
};

Q_DECLARE_METATYPE(ActiveDesktopQuickView)
