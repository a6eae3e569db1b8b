#pragma once

#include <QString>

#include <functional>

// What the shelf asks of the desktop: open an entry in its default application, show an
// entry in the file manager, throw one away. The room uses the desktop's own; tests put their own
// in.
struct ShelfActions {
    std::function<void(const QString& path)> open;
    // Shows the entry selected, its links resolved (the file a shelf link points to).
    std::function<void(const QString& path)> reveal;
    // Moves an entry into the user's Trash (the freedesktop one); true when it got there.
    std::function<bool(const QString& path)> trash;

    static ShelfActions desktop();
};
