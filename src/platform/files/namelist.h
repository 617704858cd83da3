#pragma once

// The names a list shows, packed: every name's bytes, each followed by a NUL, in one buffer,
// and one 32-bit offset per name in list order. About the name's length plus five bytes per
// entry, with no allocation per name.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quervelle {

class NameList {
public:
    std::size_t size() const { return m_offsets.size(); }
    bool empty() const { return m_offsets.empty(); }
    std::string_view name(std::size_t row) const;

    // Throws std::length_error past 4 GiB of names.
    void append(std::string_view name);
    // Every name of other after those here, in other's order.
    void appendAll(const NameList &other);
    void clear();

    // The packed bytes, and the offset of each name in list order. Sorting the list is
    // permuting rows(); the list itself knows nothing of the order its names are shown in.
    const char *bytes() const { return m_bytes.data(); }
    std::size_t byteCount() const { return m_bytes.size(); }
    std::span<std::uint32_t> rows() { return m_offsets; }

    // Room for so many names of so many bytes in all, made at once rather than by growing.
    void reserve(std::size_t names, std::size_t nameBytes);
    // Gives back the spare capacity left by growing, when it is more than half the room used.
    void shrinkToFit();

    // The row of the name with exactly these bytes, or -1.
    long long find(std::string_view name) const;

private:
    std::vector<char> m_bytes;
    std::vector<std::uint32_t> m_offsets;
};

} // namespace quervelle
