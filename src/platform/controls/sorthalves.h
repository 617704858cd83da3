#pragma once

#include "platform/controls/twothreads.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quervelle {

// A list of names sorted as two halves, each keyed and sorted on a thread of its own, then
// merged: the same plan whatever keys the system's collation gives.

// Below this many names a second thread costs more than it saves.
inline constexpr std::size_t twoThreadThreshold = 4096;

// Runs sortPart(aside, begin, end) over the rows [0, count): where a helper is at hand and the
// rows are worth a second thread, the second half aside (aside true) on that thread while the
// first half is sorted here; otherwise all of them here.
template <typename SortPart>
void sortInHalves(std::size_t count, bool helped, SortPart &&sortPart) {
    const std::size_t half = helped && count >= twoThreadThreshold ? count / 2 : count;
    if (half < count)
        runOnTwoThreads([&] { sortPart(true, half, count); },
                        [&] { sortPart(false, std::size_t(0), half); });
    else
        sortPart(false, std::size_t(0), count);
}

// Writes the rows of two sorted halves into rows in one order: secondBefore(b, a) tells whether
// b of the second half goes before a of the first; a tie keeps the first half's entry first.
template <typename Entry, typename SecondBefore, typename RowOf>
void mergeHalves(std::span<const Entry> first, std::span<const Entry> second,
                 SecondBefore &&secondBefore, RowOf &&rowOf, std::span<std::uint32_t> rows) {
    std::size_t out = 0;
    auto a = first.begin();
    auto b = second.begin();
    while (a != first.end() || b != second.end()) {
        if (b == second.end() || (a != first.end() && !secondBefore(*b, *a)))
            rows[out++] = rowOf(*a++);
        else
            rows[out++] = rowOf(*b++);
    }
}

} // namespace quervelle
