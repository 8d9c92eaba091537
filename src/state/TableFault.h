#pragma once

#include "state/Failure.h"

#include <cstddef>

// Failure numbers of inconsistent tables, as the panel's runtime has always numbered them.
enum : int { SubscriptOutOfRange = 9, InvalidPropertyValue = 380 };

// A table (or the source box) that does not agree with the channel counts. Tables come from the
// server and need not agree with each other; an operation throws this where it finds such a
// disagreement and catches it at its end, where it logs the failure and leaves the state as it is.
struct TableFault {
    Failure failure;
};

inline Failure OutOfRangeFailure(const char* table, qint64 index, qint64 size)
{
    return {SubscriptOutOfRange,
            QStringLiteral("Subscript out of range: %1(%2) of %3").arg(QLatin1String(table)).arg(index).arg(size)};
}

// Entry i of a table, or nullptr when the table has no such entry.
template <class Vector>
auto* EntryIfAny(Vector& table, qint64 i)
{
    return i >= 0 && i < static_cast<qint64>(table.size()) ? &table[static_cast<std::size_t>(i)] : nullptr;
}

// Entry i of a table, or a TableFault when the table has no such entry.
template <class Vector>
auto& CheckedAt(Vector& table, qint64 i, const char* name)
{
    if (auto* entry = EntryIfAny(table, i))
        return *entry;
    throw TableFault{OutOfRangeFailure(name, i, static_cast<qint64>(table.size()))};
}
