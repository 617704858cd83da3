#pragma once

#include <cstddef>

namespace quervelle {

class NameList;
class NameOrder;

// Puts the names in list order. Each name's key is made once; with a helper order (its own
// collator) the keys of half the names are made, and that half sorted, on a second thread
// joined before returning. The keys are freed before returning. How keys are made and sorted
// depends on the system (src/platform/controls/linux/ or windows/, chosen by CMake).
void sortNames(NameList &names, const NameOrder &order, const NameOrder *helper = nullptr);

} // namespace quervelle
