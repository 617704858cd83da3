#pragma once

#include <cstddef>
#include <memory>

namespace quervelle {

class NameList;
class NameOrder;

// Puts the names in list order. Each name's key is made once; with a helper order (its own
// collator, and the same Collation) the keys of half the names are made, and that half sorted,
// on a second thread joined before returning. The keys are freed before returning; what the
// sort learns of the collator stays with each order (NameOrder::sortKeys). How keys are made and
// sorted depends on how Qt collates (src/platform/controls/icu/ or windows/, chosen by CMake).
void sortNames(NameList &names, NameOrder &order, NameOrder *helper = nullptr);

// The same order for a list that arrives in batches, as a large folder is read: each batch's
// keys are made as it is added, so that making them goes on while the rest is still being
// read, and take() then only orders the keys. add() and take() may be called from different
// threads, one at a time.
class BatchSort {
public:
    explicit BatchSort(NameOrder &order);
    ~BatchSort();
    BatchSort(const BatchSort &) = delete;
    BatchSort &operator=(const BatchSort &) = delete;

    // Room for about so many names of so many bytes in all, made at once rather than by growing.
    void reserve(std::size_t names, std::size_t nameBytes);

    // The names of batch join the list, after those added before.
    void add(NameList batch);

    // Every name added, in list order; the sort is then empty again.
    NameList take();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace quervelle
