#include "platform/controls/namesort.h"

#include "platform/controls/nameorder.h"
#include "platform/controls/sorthalves.h"
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

} // namespace

// The collator's key objects are made afresh for each sort: nothing is kept with the order.
struct NameOrder::SortKeys {};

void NameOrder::SortKeysDeleter::operator()(SortKeys *keys) const {
    delete keys;
}

void sortNames(NameList &names, NameOrder &order, NameOrder *helper) {
    const std::span<std::uint32_t> rows = names.rows();
    if (rows.size() < 2)
        return;
    const char *bytes = names.bytes();
    auto less = [bytes](const Keyed &a, const Keyed &b) {
        return NameOrder::compareKeys(a.key, bytes + a.offset, b.key, bytes + b.offset) < 0;
    };

    std::vector<Keyed> first;
    std::vector<Keyed> second;
    sortInHalves(rows.size(), helper != nullptr,
                 [&](bool aside, std::size_t begin, std::size_t end) {
                     const NameOrder &by = aside ? *helper : order;
                     std::vector<Keyed> &out = aside ? second : first;
                     out.reserve(end - begin);
                     for (std::size_t i = begin; i < end; ++i)
                         out.push_back(Keyed{by.sortKey(bytes + rows[i]), rows[i]});
                     std::sort(out.begin(), out.end(), less);
                 });
    mergeHalves<Keyed>(
        first, second, less, [](const Keyed &k) { return k.offset; }, rows);

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
