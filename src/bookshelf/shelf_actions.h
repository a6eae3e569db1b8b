#pragma once

#include <QString>

#include <functional>

// What the shelf asks of the desktop: open an entry in its default application, show an
// entry in the file manager. The room uses the desktop's own; tests put their own in.
struct ShelfActions {
    std::function<void(const QString& path)> open;
    // Shows the entry selected, its links resolved (the file a shelf link points to).
    std::function<void(const QString& path)> reveal;

    static ShelfActions desktop();
};
