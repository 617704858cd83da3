#include "platform/files/namelist.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace quervelle {

std::string_view NameList::name(std::size_t row) const {
    return std::string_view(m_bytes.data() + m_offsets[row]);
}

void NameList::append(std::string_view name) {
    const std::size_t offset = m_bytes.size();
    if (offset + name.size() + 1 > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many names in one folder");
    m_bytes.insert(m_bytes.end(), name.begin(), name.end());
    m_bytes.push_back('\0');
    m_offsets.push_back(static_cast<std::uint32_t>(offset));
}

void NameList::appendAll(const NameList &other) {
    const std::size_t base = m_bytes.size();
    if (base + other.m_bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many names in one folder");
    m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end());
    // Room grows by doubling, so that appending batch after batch copies each offset a few
    // times at most, not once per batch.
    if (const std::size_t needed = m_offsets.size() + other.m_offsets.size();
        needed > m_offsets.capacity())
        m_offsets.reserve(std::max(needed, 2 * m_offsets.capacity()));
    for (const std::uint32_t offset : other.m_offsets)
        m_offsets.push_back(static_cast<std::uint32_t>(base + offset));
}

void NameList::clear() {
    std::vector<char>().swap(m_bytes);
    std::vector<std::uint32_t>().swap(m_offsets);
}

void NameList::reserve(std::size_t names, std::size_t nameBytes) {
    m_offsets.reserve(names);
    m_bytes.reserve(nameBytes + names); // each name's ending NUL
}

void NameList::shrinkToFit() {
    // Copying a large list costs more than the little room it would give back.
    if (m_bytes.capacity() - m_bytes.size() > m_bytes.size() / 2)
        m_bytes.shrink_to_fit();
    if (m_offsets.capacity() - m_offsets.size() > m_offsets.size() / 2)
        m_offsets.shrink_to_fit();
}

long long NameList::find(std::string_view name) const {
    for (std::size_t row = 0; row < m_offsets.size(); ++row) {
        if (this->name(row) == name)
            return static_cast<long long>(row);
    }
    return -1;
}

} // namespace quervelle
