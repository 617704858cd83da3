#pragma once

#include <cstddef>

namespace quervelle {

class NameList;
class NameOrder;

// Puts the names in list order. Each key is computed once; with a helper order (its own
// collator) the keys of half the names are made, and that half sorted, on a second thread
// joined before returning. The keys are freed before returning.
void sortNames(NameList &names, const NameOrder &order, const NameOrder *helper = nullptr);

} // namespace quervelle
