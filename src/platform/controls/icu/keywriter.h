#pragma once

// The collator's sort keys of names, written as bytes where the sort wants them. Qt collates
// with ICU here; this asks ICU directly, its collator set from the same Collation as
// QCollator sets its own (openCollator), so that the keys are QCollator's own, and keys names
// of printable ASCII characters
// and Latin-1 letters without asking it (LatinKeys). A key ends with a zero byte that occurs
// nowhere else in it; keys compare byte by byte as unsigned (strcmp) in the order of their names,
// and names with equal keys are ordered by their bytes.

#include "platform/controls/nameorder.h"

#include <QStringDecoder>

#include <memory>
#include <string_view>
#include <vector>

struct UCollator;

namespace quervelle {

class LatinKeys;

// An ICU collator set as QCollator sets its own for collation; throws when ICU has none.
struct CollatorCloser {
    void operator()(UCollator *collator) const;
};
using CollatorHandle = std::unique_ptr<UCollator, CollatorCloser>;
CollatorHandle openCollator(const Collation &collation);

class KeyWriter final {
public:
    explicit KeyWriter(const Collation &collation);
    ~KeyWriter();
    KeyWriter(const KeyWriter &) = delete;
    KeyWriter &operator=(const KeyWriter &) = delete;

    // Writes the name's key into out, which holds capacity bytes, and returns the key's length;
    // when that is more than capacity, nothing usable was written: call again with room for
    // it. room() is enough for nearly every name.
    std::size_t write(std::string_view name, unsigned char *out, std::size_t capacity);
    static std::size_t room(std::size_t nameLength) { return 4 * nameLength + 16; }

private:
    CollatorHandle m_collator;
    std::unique_ptr<LatinKeys> m_latin; // learnt from the collator at the first name
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringConverter::Flag::Stateless};
    std::vector<QChar> m_text;
};

} // namespace quervelle
