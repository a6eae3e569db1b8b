#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// PONDSILL_TEST_BULK_SLICE=N has the fixtures' storage move N items of a move of many per
// turn of the event loop, as a loaded machine may: a test that reads before the move has
// ended then fails every time instead of once in a while.
inline std::optional<int> forcedBulkSliceItems()
{
    bool ok = false;
    const int items = qEnvironmentVariableIntValue("PONDSILL_TEST_BULK_SLICE", &ok);
    return ok && items > 0 ? std::optional<int>(items) : std::nullopt;
}
