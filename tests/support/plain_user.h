#pragma once

#include <QString>

#include <functional>

// Runs `work` in a child process as a user without root's right to ignore permissions
// ("nobody" when the tests run as root, the caller itself otherwise) and returns its exit
// code. `folder` and everything in it are handed over to that user first. Codes from 100
// up are the helper's own failures.
int asPlainUser(const QString& folder, const std::function<int()>& work);
