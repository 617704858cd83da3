#include "platform/controls/namesort.h"

#include "platform/controls/nameorder.h"
#include "platform/controls/twothreads.h"
#include "platform/files/namelist.h"

#include <algorithm>
#include <exception>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

namespace quervelle {

// Qt for Windows collates with the system's own functions, whose keys it keeps to itself: the
// sort holds one collator key object per name.

namespace {

struct Keyed {
    QCollatorSortKey key;
    std::uint32_t offset;
};

// Below this many names a second thread costs more than it saves.
constexpr std::size_t twoThreadThreshold = 4096;

} // namespace

// The collator's key objects are made afresh for each sort: nothing is kept with the order.
struct NameOrder::SortKeys {};

void NameOrder::SortKeysDeleter::operator()(SortKeys *keys) const {
    delete keys;
}

void sortNames(NameList &names, NameOrder &order, NameOrder *helper) {
    const std::span<std::uint32_t> rows = names.rows();
    const std::size_t count = rows.size();
    if (count < 2)
        return;
    const char *bytes = names.bytes();
    auto less = [bytes](const Keyed &a, const Keyed &b) {
        return NameOrder::compareKeys(a.key, bytes + a.offset, b.key, bytes + b.offset) < 0;
    };
    auto keyAndSort = [&](const NameOrder &by, std::size_t begin, std::size_t end,
                          std::vector<Keyed> &out) {
        out.reserve(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            out.push_back(Keyed{by.sortKey(bytes + rows[i]), rows[i]});
        std::sort(out.begin(), out.end(), less);
    };

    std::vector<Keyed> first;
    std::vector<Keyed> second;
    const std::size_t half = helper && count >= twoThreadThreshold ? count / 2 : count;
    if (half < count)
        runOnTwoThreads([&] { keyAndSort(*helper, half, count, second); },
                        [&] { keyAndSort(order, 0, half, first); });
    else
        keyAndSort(order, 0, count, first);

    std::size_t out = 0;
    auto a = first.begin();
    auto b = second.begin();
    while (a != first.end() || b != second.end()) {
        if (b == second.end() || (a != first.end() && !less(*b, *a)))
            rows[out++] = (a++)->offset;
        else
            rows[out++] = (b++)->offset;
    }

    // Freeing a million keys takes a while too: each thread frees the half it made.
    if (!second.empty()) {
        try {
            std::thread freer([&second] { std::vector<Keyed>().swap(second); });
            std::vector<Keyed>().swap(first);
            freer.join();
        } catch (const std::system_error &) {
            // The vectors free themselves on the way out.
        }
    }
}

struct BatchSort::Private {
    NameOrder &order;
    NameList names;
};

BatchSort::BatchSort(NameOrder &order) : d(std::make_unique<Private>(Private{order, {}})) {}

BatchSort::~BatchSort() = default;

void BatchSort::reserve(std::size_t names, std::size_t nameBytes) {
    d->names.reserve(names, nameBytes);
}

// The system's keys are objects of their own, made and sorted at the end.
void BatchSort::add(NameList batch) {
    d->names.appendAll(batch);
}

NameList BatchSort::take() {
    NameList names = std::move(d->names);
    d->names = NameList();
    sortNames(names, d->order);
    return names;
}

} // namespace quervelle
