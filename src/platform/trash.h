#pragma once

#include <QString>

// Where items go when the user throws them away. The storage service asks through this
// interface so that tests can put a refusing or counting Trash in its place.
class Trash {
public:
    virtual ~Trash() = default;

    // Moves the item at `path` into the Trash; a symbolic link goes as the link itself.
    // On failure the item stays where it was, false is returned and `error` (when given)
    // says why.
    virtual bool moveToTrash(const QString& path, QString* error = nullptr) = 0;
};
