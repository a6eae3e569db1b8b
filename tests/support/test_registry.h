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

inline std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}
inline int add(const char* name, std::function<QObject*()> create)
{
    entries().push_back({name, std::move(create)});
    return int(entries().size());
}
} // namespace TestRegistry

#define PONDSILL_TEST(Class)                                                                       \
    namespace {                                                                                    \
    const int pondsill_registered_##Class =                                                        \
        TestRegistry::add(#Class, [] { return static_cast<QObject*>(new Class); });                \
    }
