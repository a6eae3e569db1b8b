#pragma once

#include <QString>

// Opens a file or folder in the application the desktop chose for its type (GIO).
namespace DefaultApplication {
// True when an application was started for it.
bool open(const QString& path);
} // namespace DefaultApplication
