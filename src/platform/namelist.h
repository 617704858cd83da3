#pragma once

// The names a list shows, packed: every name's bytes, each followed by a NUL, in one buffer,
// and one 32-bit offset per name in list order. About the name's length plus five bytes per
// entry, with no allocation per name.

#include <cstdint>
#include <string_view>
#include <vector>

namespace quervelle {

class NameOrder;

class NameList {
public:
    std::size_t size() const { return m_offsets.size(); }
    bool empty() const { return m_offsets.empty(); }
    std::string_view name(std::size_t row) const;

    // Throws std::length_error past 4 GiB of names.
    void append(std::string_view name);
    void clear();

    // Puts the names in list order. Each key is computed once; with a helper order (its own
    // collator) the keys of half the names are made, and that half sorted, on a second
    // thread joined before returning. The keys are freed before returning.
    void sort(const NameOrder &order, const NameOrder *helper = nullptr);

    // Gives back the spare capacity left by growing.
    void shrinkToFit();

    // The row of the name with exactly these bytes, or -1.
    long long find(std::string_view name) const;

private:
    std::vector<char> m_bytes;
    std::vector<std::uint32_t> m_offsets;
};

} // namespace quervelle
