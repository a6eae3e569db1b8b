#pragma once

#include <QObject>

#include <functional>
#include <vector>

// Every test class of a test executable registers itself here; the shared main runs them
// all in one process, each in a fresh object.
namespace TestRegistry {
struct Entry {
    const char* name;
    std::function<QObject*()> create;
};

std::vector<Entry>& entries();
int add(const char* name, std::function<QObject*()> create);
} // namespace TestRegistry

#define PONDSILL_TEST(Class)                                                                       \
    namespace {                                                                                    \
    const int pondsill_registered_##Class =                                                        \
        TestRegistry::add(#Class, [] { return static_cast<QObject*>(new Class); });                \
    }
