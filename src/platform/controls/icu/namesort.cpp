#include "platform/controls/namesort.h"

#include "platform/controls/icu/keywriter.h"
#include "platform/controls/nameorder.h"
#include "platform/controls/sorthalves.h"
#include "platform/files/namelist.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <span>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace quervelle {

// Kept with each name order: the writer of its keys, its own ICU collator and what it learnt of
// it, made once for all the sorts in that order.
struct NameOrder::SortKeys {
    explicit SortKeys(const Collation &collation) : writer(collation) {}
    KeyWriter writer;
};

void NameOrder::SortKeysDeleter::operator()(SortKeys *keys) const {
    delete keys;
}

NameOrder::SortKeys &NameOrder::sortKeys() {
    if (!m_sortKeys)
        m_sortKeys.reset(new SortKeys(m_collation));
    return *m_sortKeys;
}

namespace {

// The sort keys of some names, one after another in one buffer, each ended by its zero byte,
// with eight bytes of room after the last.
class KeyArena {
public:
    explicit KeyArena(std::size_t expected) { reserve(expected); }

    // Writes the key of name and returns where it starts.
    std::uint32_t append(KeyWriter &writer, std::string_view name) {
        std::size_t room = KeyWriter::room(name.size());
        reserve(room + 8);
        std::size_t length = writer.write(name, m_bytes.get() + m_size, room);
        if (length > room) {
            reserve(length + 8);
            length = writer.write(name, m_bytes.get() + m_size, length);
        }
        if (m_size + length > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("too many names in one folder");
        const auto start = static_cast<std::uint32_t>(m_size);
        m_size += length;
        return start;
    }

    const unsigned char *data() const { return m_bytes.get(); }

    // Makes room for room more bytes (and the eight past the last key).
    void reserve(std::size_t room) {
        if (m_capacity - m_size >= room)
            return;
        const std::size_t capacity = std::max(2 * m_capacity, m_size + room);
        std::unique_ptr<unsigned char[]> bytes(new unsigned char[capacity]);
        if (m_size)
            std::memcpy(bytes.get(), m_bytes.get(), m_size);
        m_bytes = std::move(bytes);
        m_capacity = capacity;
    }

private:
    std::unique_ptr<unsigned char[]> m_bytes;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// One name being sorted: the next eight bytes of its key to compare, as one number (zeros past
// the key's end), where its key starts, and where the name starts in the name list.
struct Entry {
    std::uint64_t head;
    std::uint32_t key;
    std::uint32_t name;
};

// Eight bytes of a key from key on, as one big-endian number, the bytes past its end made zero.
// Reads eight bytes whatever the key's length: the arena keeps that much room past its last key.
std::uint64_t loadHead(const unsigned char *key) {
    std::uint64_t word; // the first byte lowest
    std::memcpy(&word, key, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    // The lowest byte that is zero is the key's end; the ones after it belong to the next key.
    const std::uint64_t zeros = (word - 0x0101010101010101) & ~word & 0x8080808080808080;
    word &= ((zeros & (~zeros + 1)) >> 7) - 1;
    return __builtin_bswap64(word);
}

// Moves the heads of the entries eight bytes further into their keys, from depth + 8 on. The keys
// lie in the arena in the order the folder was read, the entries in another: each key is asked for
// a few entries ahead, so that fetching it from memory overlaps the work on the ones before.
void advanceHeads(Entry *first, Entry *last, const unsigned char *keys, std::size_t depth) {
    constexpr std::ptrdiff_t ahead = 16;
    for (Entry *e = first; e != last; ++e) {
        if (last - e > ahead)
            __builtin_prefetch(keys + e[ahead].key + depth + 8);
        e->head = loadHead(keys + e->key + depth + 8);
    }
}

// A head whose last byte is zero holds the end of its key.
bool endsKey(std::uint64_t head) {
    return (head & 0xFF) == 0;
}

void sortByNames(Entry *first, Entry *last, const char *names) {
    std::sort(first, last, [names](const Entry &a, const Entry &b) {
        return std::strcmp(names + a.name, names + b.name) < 0;
    });
}

// Sorts entries whose keys agree before depth by the rest of their keys, then by their names,
// comparing heads.
void compareSort(Entry *first, Entry *last, const unsigned char *keys, const char *names,
                 std::size_t depth) {
    std::sort(first, last, [](const Entry &a, const Entry &b) { return a.head < b.head; });
    for (Entry *run = first; run != last;) {
        Entry *end = run + 1;
        while (end != last && end->head == run->head)
            ++end;
        if (end - run > 1) {
            if (endsKey(run->head)) {
                sortByNames(run, end, names);
            } else {
                advanceHeads(run, end, keys, depth);
                compareSort(run, end, keys, names, depth + 8);
            }
        }
        run = end;
    }
}

// Below this many entries comparing heads is quicker than distributing them by bytes.
constexpr std::ptrdiff_t radixThreshold = 64;

// Sorts the entries by their keys, then by their names: distributed in place by one byte of
// their heads at a time (most significant first), a bucket whose keys all ended there being
// sorted by names, and a small bucket by comparing heads.
void sortByKeys(Entry *first, Entry *last, const unsigned char *keys, const char *names) {
    struct Bucket {
        Entry *first;
        Entry *last;
        std::size_t depth; // of the head
        int byte;          // within the head, 0 the most significant
    };
    std::vector<Bucket> pending{{first, last, 0, 0}};
    while (!pending.empty()) {
        Bucket bucket = pending.back();
        pending.pop_back();
        if (bucket.last - bucket.first < radixThreshold) {
            compareSort(bucket.first, bucket.last, keys, names, bucket.depth);
            continue;
        }
        // Names alike share long beginnings of keys ("rapport_000" in every "rapport_000123"):
        // the bytes all the heads share are passed over at once, not distributed one by one.
        std::uint64_t differ = 0;
        for (const Entry *e = bucket.first + 1; e != bucket.last; ++e)
            differ |= e->head ^ bucket.first->head;
        if (differ == 0) {
            if (endsKey(bucket.first->head)) { // every key ended here: all equal
                sortByNames(bucket.first, bucket.last, names);
            } else {
                advanceHeads(bucket.first, bucket.last, keys, bucket.depth);
                pending.push_back({bucket.first, bucket.last, bucket.depth + 8, 0});
            }
            continue;
        }
        bucket.byte = std::countl_zero(differ) / 8;
        const int shift = 56 - 8 * bucket.byte;
        const auto digit = [shift](const Entry &e) { return unsigned(e.head >> shift) & 0xFF; };
        std::array<std::size_t, 256> count{};
        for (const Entry *e = bucket.first; e != bucket.last; ++e)
            ++count[digit(*e)];
        std::array<std::size_t, 256> next{}, end{};
        for (std::size_t b = 0, sum = 0; b < 256; ++b) {
            next[b] = sum;
            sum += count[b];
            end[b] = sum;
        }
        for (unsigned b = 0; b < 256; ++b) {
            while (next[b] < end[b]) {
                Entry e = bucket.first[next[b]];
                for (unsigned d = digit(e); d != b; d = digit(e))
                    std::swap(e, bucket.first[next[d]++]);
                bucket.first[next[b]++] = e;
            }
        }
        Entry *from = bucket.first;
        for (unsigned b = 0; b < 256; from += count[b], ++b) {
            if (count[b] < 2)
                continue;
            Entry *to = from + count[b];
            if (b == 0) { // the keys ended here: all equal
                sortByNames(from, to, names);
            } else if (bucket.byte < 7) {
                pending.push_back({from, to, bucket.depth, bucket.byte + 1});
            } else {
                advanceHeads(from, to, keys, bucket.depth);
                pending.push_back({from, to, bucket.depth + 8, 0});
            }
        }
    }
}

// As sortByKeys, the work shared with a second thread where it is worth one: the entries are
// first parted by the first byte of their keys, and the two sides, each made of whole parts,
// sorted at once.
void sortByKeysOnTwoThreads(Entry *first, Entry *last, const unsigned char *keys,
                            const char *names) {
    const std::size_t count = static_cast<std::size_t>(last - first);
    if (count < twoThreadThreshold) {
        sortByKeys(first, last, keys, names);
        return;
    }
    const auto byte = [](const Entry &e) { return unsigned(e.head >> 56); };
    std::array<std::size_t, 256> perByte{};
    for (const Entry *e = first; e != last; ++e)
        ++perByte[byte(*e)];
    // The first byte below which about half the entries fall.
    unsigned splitByte = 0;
    std::size_t below = 0;
    while (below + perByte[splitByte] <= count / 2)
        below += perByte[splitByte++];
    // Too lopsided (most keys start alike): one thread does it all.
    if (below < count / 4) {
        sortByKeys(first, last, keys, names);
        return;
    }
    Entry *middle =
        std::partition(first, last, [&](const Entry &e) { return byte(e) < splitByte; });
    runOnTwoThreads([&] { sortByKeys(middle, last, keys, names); },
                    [&] { sortByKeys(first, middle, keys, names); });
}

// The keys and the sorted entries of some of the rows.
struct SortedPart {
    explicit SortedPart(std::size_t count) : keys(count * 20 + 4096) { entries.reserve(count); }
    KeyArena keys;
    std::vector<Entry> entries;
};

void keyAndSort(NameOrder &order, const char *names, std::span<const std::uint32_t> rows,
                std::unique_ptr<SortedPart> &out) {
    KeyWriter &writer = order.sortKeys().writer;
    out = std::make_unique<SortedPart>(rows.size());
    SortedPart &part = *out;
    for (const std::uint32_t offset : rows) {
        const std::uint32_t key = part.keys.append(writer, std::string_view(names + offset));
        part.entries.push_back(Entry{loadHead(part.keys.data() + key), key, offset});
    }
    sortByKeys(part.entries.data(), part.entries.data() + part.entries.size(), part.keys.data(),
               names);
}

} // namespace

struct BatchSort::Private {
    explicit Private(NameOrder &o) : order(o), keys(1 << 16) {}
    NameOrder &order;
    KeyArena keys;
    std::vector<Entry> entries;
    NameList names; // every batch, one after another
};

BatchSort::BatchSort(NameOrder &order) : d(std::make_unique<Private>(order)) {}

BatchSort::~BatchSort() = default;

void BatchSort::reserve(std::size_t names, std::size_t nameBytes) {
    d->names.reserve(names, nameBytes);
    d->entries.reserve(names);
    d->keys.reserve(nameBytes + 4 * names);
}

void BatchSort::add(NameList batch) {
    KeyWriter &writer = d->order.sortKeys().writer;
    const std::size_t base = d->names.byteCount();
    const std::span<std::uint32_t> rows = batch.rows();
    // Where the folder held more names than its size foretold, room grows by doubling: grown to
    // the exact need at each batch, every batch would copy all the entries before it.
    if (const std::size_t needed = d->entries.size() + rows.size(); needed > d->entries.capacity())
        d->entries.reserve(std::max(needed, 2 * d->entries.capacity()));
    for (const std::uint32_t offset : rows) {
        const std::uint32_t key = d->keys.append(writer, std::string_view(batch.bytes() + offset));
        d->entries.push_back(
            Entry{loadHead(d->keys.data() + key), key, static_cast<std::uint32_t>(base + offset)});
    }
    // The batch's bytes land at base on, so that each entry already names its row there.
    d->names.appendAll(batch);
}

NameList BatchSort::take() {
    NameList names = std::move(d->names);
    sortByKeysOnTwoThreads(d->entries.data(), d->entries.data() + d->entries.size(), d->keys.data(),
                           names.bytes());
    const std::span<std::uint32_t> rows = names.rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = d->entries[i].name;
    d = std::make_unique<Private>(d->order);
    return names;
}

void sortNames(NameList &names, NameOrder &order, NameOrder *helper) {
    const std::span<std::uint32_t> rows = names.rows();
    if (rows.size() < 2)
        return;
    const char *bytes = names.bytes();

    std::unique_ptr<SortedPart> first;
    std::unique_ptr<SortedPart> second;
    sortInHalves(rows.size(), helper != nullptr,
                 [&](bool aside, std::size_t begin, std::size_t end) {
                     keyAndSort(aside ? *helper : order, bytes, rows.subspan(begin, end - begin),
                                aside ? second : first);
                 });

    if (!second) {
        std::size_t out = 0;
        for (const Entry &e : first->entries)
            rows[out++] = e.name;
        return;
    }
    // The two sorted halves merged; their heads now stand at different depths, so whole keys
    // are compared.
    const auto firstKeys = reinterpret_cast<const char *>(first->keys.data());
    const auto secondKeys = reinterpret_cast<const char *>(second->keys.data());
    const auto secondBefore = [&](const Entry &b, const Entry &a) {
        const int c = std::strcmp(secondKeys + b.key, firstKeys + a.key);
        return c != 0 ? c < 0 : std::strcmp(bytes + b.name, bytes + a.name) < 0;
    };
    mergeHalves<Entry>(
        first->entries, second->entries, secondBefore, [](const Entry &e) { return e.name; }, rows);
}

} // namespace quervelle
