#include "support/test_registry.h"

namespace TestRegistry {
std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}

int add(const char* name, std::function<QObject*()> create)
{
    entries().push_back({name, std::move(create)});
    return int(entries().size());
}
} // namespace TestRegistry
