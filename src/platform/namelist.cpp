#include "platform/namelist.h"

#include "platform/nameorder.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace quervelle {

namespace {

struct Keyed {
    QCollatorSortKey key;
    std::uint32_t offset;
};

// Below this many names a second thread costs more than it saves.
constexpr std::size_t twoThreadThreshold = 4096;

} // namespace

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

void NameList::clear() {
    std::vector<char>().swap(m_bytes);
    std::vector<std::uint32_t>().swap(m_offsets);
}

void NameList::shrinkToFit() {
    m_bytes.shrink_to_fit();
    m_offsets.shrink_to_fit();
}

long long NameList::find(std::string_view name) const {
    for (std::size_t row = 0; row < m_offsets.size(); ++row) {
        if (this->name(row) == name)
            return static_cast<long long>(row);
    }
    return -1;
}

void NameList::sort(const NameOrder &order, const NameOrder *helper) {
    const std::size_t count = m_offsets.size();
    if (count < 2)
        return;
    const char *bytes = m_bytes.data();
    auto less = [bytes](const Keyed &a, const Keyed &b) {
        return NameOrder::compareKeys(a.key, bytes + a.offset, b.key, bytes + b.offset) < 0;
    };
    auto keyAndSort = [&](const NameOrder &by, std::size_t begin, std::size_t end,
                          std::vector<Keyed> &out) {
        out.reserve(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            out.push_back(Keyed{by.sortKey(bytes + m_offsets[i]), m_offsets[i]});
        std::sort(out.begin(), out.end(), less);
    };

    std::vector<Keyed> first;
    std::vector<Keyed> second;
    const std::size_t half = helper && count >= twoThreadThreshold ? count / 2 : count;
    std::exception_ptr failure;
    std::thread worker;
    if (half < count) {
        try {
            worker = std::thread([&] {
                try {
                    keyAndSort(*helper, half, count, second);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error &) {
            // No thread to be had: this one does it all.
            keyAndSort(order, 0, count, first);
        }
    } else {
        keyAndSort(order, 0, count, first);
    }
    if (worker.joinable()) {
        try {
            keyAndSort(order, 0, half, first);
        } catch (...) {
            worker.join();
            throw;
        }
        worker.join();
        if (failure)
            std::rethrow_exception(failure);
    }

    std::size_t out = 0;
    auto a = first.begin();
    auto b = second.begin();
    while (a != first.end() || b != second.end()) {
        if (b == second.end() || (a != first.end() && !less(*b, *a)))
            m_offsets[out++] = (a++)->offset;
        else
            m_offsets[out++] = (b++)->offset;
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

} // namespace quervelle
