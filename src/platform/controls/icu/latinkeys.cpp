#include "platform/controls/icu/latinkeys.h"

#include <QString>

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace quervelle {

namespace {

// The layout of ICU's sort keys, as ICU 72.1 writes them (the version Debian 12 ships; the
// layout is that of ICU's own sources, icu4c/source/i18n/ of that release). Each LatinKeys
// checks what it learns against the ICU in use and keys no name where they differ; the test
// of this class fails then.
//
// At secondary strength a key is the primary weights, a level separator, then the secondary
// weights and a final zero (collationkeys.cpp, CollationKeys::writeSortKeyUpToQuaternary). A
// run of n common secondary weights is written as (n - 1) / 33 middle bytes followed by
// 5 + (n - 1) % 33 when what follows is lower (the end of the key), or by 0x45 - (n - 1) % 33
// when it is a higher weight, such as an accent's: SEC_COMMON_LOW, SEC_COMMON_MIDDLE,
// SEC_COMMON_HIGH and SEC_COMMON_MAX_COUNT of collationkeys.h; the separator is
// Collation::LEVEL_SEPARATOR_BYTE of collation.h.
constexpr unsigned char LevelSeparator = 0x01;
constexpr unsigned char CommonLow = 0x05;
constexpr unsigned char CommonMiddle = 0x25;
constexpr unsigned char CommonHigh = 0x45;
constexpr std::size_t CommonMaxCount = 33;

// Longer names are left to the collator: the secondary weights are gathered on the stack.
constexpr std::size_t MaxNameBytes = 1024;

// Numbers, in numeric mode (collationiterator.cpp, CollationIterator::appendNumericCEs and
// appendNumericSegmentCEs): leading zeros dropped, at most 254 digits in one run of weights.
// Each weight starts with the collator's numeric lead byte (learnt from the key of "0"); the
// second byte of a number's first weight tells small numbers apart by value and large ones by
// their count of digit pairs. Bytes of weights run from 2 to 255, 254 values.
constexpr std::size_t MaxSegmentDigits = 254;
constexpr std::uint32_t ByteValues = 254;
constexpr std::uint32_t SmallNumbers = 74; // 0..73, second byte 2..75, one weight byte
constexpr std::uint32_t MediumFirst = 76;  // second bytes 76..115: two bytes of value
constexpr std::uint32_t MediumLeads = 40;
constexpr std::uint32_t LargeFirst = 116; // second bytes 116..131: three bytes of value
constexpr std::uint32_t LargeLeads = 16;
constexpr std::uint32_t PairCountBase = 128; // 128 + pairs of digits (4 pairs: 132), beyond
constexpr std::uint32_t PairBase = 11;       // a pair of digits p is written 11 + 2p

using Bytes = std::string; // key bytes

// The UTF-8 of a code point below U+0100.
std::string utf8(char16_t c) {
    if (c < 0x80)
        return std::string(1, char(c));
    return {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
}

// The collator's key of a name, decoded as the lists decode names (an invalid byte as U+FFFD).
Bytes collatorKey(const UCollator *collator, std::string_view name) {
    const QString decoded = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const auto *text = reinterpret_cast<const UChar *>(decoded.utf16());
    const auto units = static_cast<int32_t>(decoded.size());
    std::vector<std::uint8_t> key(4 * std::size_t(units) + 64);
    int32_t length =
        ucol_getSortKey(collator, text, units, key.data(), static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(length));
        length = ucol_getSortKey(collator, text, units, key.data(), length);
    }
    return Bytes(reinterpret_cast<const char *>(key.data()), std::size_t(std::max(length, 0)));
}

Bytes countOfWeights(std::size_t count) {
    Bytes suffix(1, char(LevelSeparator));
    std::size_t rest = count - 1;
    for (; rest >= CommonMaxCount; rest -= CommonMaxCount)
        suffix.push_back(char(CommonMiddle));
    suffix.push_back(char(CommonLow + rest));
    suffix.push_back('\0');
    return suffix;
}

using CodePoints = std::array<bool, 256>;

// The characters below U+0100 that the user's language tailors, alone or in a sequence.
CodePoints tailoredCharacters(const UCollator *collator) {
    CodePoints tailored{};
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<USet, decltype(&uset_close)> set(ucol_getTailoredSet(collator, &status),
                                                           &uset_close);
    if (U_FAILURE(status) || !set) {
        tailored.fill(true);
        return tailored;
    }
    const int32_t items = uset_getItemCount(set.get());
    for (int32_t i = 0; i < items; ++i) {
        UChar32 start = 0, end = 0;
        UChar text[64];
        status = U_ZERO_ERROR;
        const int32_t length = uset_getItem(set.get(), i, &start, &end, text, 64, &status);
        if (U_FAILURE(status)) { // a sequence too long to read: trust no character
            tailored.fill(true);
            break;
        }
        if (length == 0) {
            for (UChar32 c = start; c <= end && c < 256; ++c)
                tailored[static_cast<std::size_t>(c)] = true;
        } else {
            for (int32_t k = 0; k < length; ++k)
                if (text[k] < 256)
                    tailored[text[k]] = true;
        }
    }
    return tailored;
}

// Names whose keys must come out exactly as the collator's before any name is keyed here: the
// count of weights past each step of its encoding, numbers at each step of theirs (leading
// zeros, 7 digits, pairs of digits, trailing zero pairs, runs longer than 254 digits), every
// character side by side.
std::vector<std::string> sampleNames(char letter) {
    std::vector<std::string> names;
    for (const std::size_t n : {1, 2, 33, 34, 66, 67, 68, 100, 255})
        names.emplace_back(n, letter);
    for (const char *number : {"0",
                               "00",
                               "7",
                               "007",
                               "73",
                               "74",
                               "327",
                               "10233",
                               "10234",
                               "1042489",
                               "1042490",
                               "9999999",
                               "10000000",
                               "12345678",
                               "100000000",
                               "1234567890123",
                               "99999999999999999999",
                               "00000000000000000000001",
                               "12000000",
                               "120000000"})
        names.emplace_back(number);
    // Runs of 254 digits (the most in one run of weights), 255 and 256 digits, many zeros.
    std::string run(254, '0');
    run[0] = '1';
    names.push_back(run);
    names.emplace_back(255, '9');
    run += "05";
    names.push_back(run);
    run.assign(300, '0');
    run += "42";
    names.push_back(run);
    std::string all;
    for (char c = ' '; c <= '~'; ++c)
        all += c;
    names.push_back(all);
    std::reverse(all.begin(), all.end());
    names.push_back(all);
    names.emplace_back("Rapport_000123 (v2).TXT");
    names.emplace_back("a0b00c007d 1.5-x_99~y100");
    return names;
}

// Names that mix accents with plain letters and numbers: accents after runs of common weights
// of every length the encoding tells apart, accents side by side, numbers beside them, and every
// character of Latin-1 in a row.
std::vector<std::string> accentedSampleNames(char letter, const std::string &accented) {
    std::vector<std::string> names;
    for (const std::size_t n : {1, 2, 32, 33, 34, 66, 67, 100}) {
        names.push_back(std::string(n, letter) + accented);
        names.push_back(accented + std::string(n, letter));
        names.push_back(std::string(n, letter) + accented + std::string(n, letter) + accented);
    }
    names.push_back(accented + accented + "12" + accented + "007" + letter);
    names.push_back("R\xC3\xA9sum\xC3\xA9 2024-10 (\xC3\xA9t\xC3\xA9).txt");
    names.push_back("r\xE9sum\xE9 12 caf\xE9.doc \xC3\xA9t\xC3\xA9\x80 " + accented);
    std::string all;
    for (char16_t c = 0xA0; c <= 0xFF; ++c)
        all += utf8(c);
    names.push_back(all);
    names.push_back(all + all);
    return names;
}

} // namespace

std::u16string_view LatinKeys::rootContractionTails() {
    return u"\u00B7";
}

// The weights of the secondary level, gathered while the primary ones are written and written
// after them: each weight other than the common one as its byte, each run of common weights
// before it as a count.
class LatinKeys::SecondaryLevel {
public:
    void common(std::size_t count = 1) { m_commons += count; }
    // The most bytes writeTo() writes.
    std::size_t size() const {
        return static_cast<std::size_t>(m_end - m_bytes.data()) + m_commons / CommonMaxCount + 1;
    }

    void weight(unsigned char w) {
        if (m_commons != 0)
            endRun(w < CommonLow ? CommonLow : CommonHigh);
        *m_end++ = w;
    }

    // Writes the level, the run of common weights that ends it included; returns the end.
    unsigned char *writeTo(unsigned char *out) {
        if (m_commons != 0)
            endRun(CommonLow);
        const auto length = static_cast<std::size_t>(m_end - m_bytes.data());
        std::memcpy(out, m_bytes.data(), length);
        return out + length;
    }

private:
    void endRun(unsigned char base) {
        std::size_t rest = m_commons - 1;
        for (; rest >= CommonMaxCount; rest -= CommonMaxCount)
            *m_end++ = CommonMiddle;
        *m_end++ =
            static_cast<unsigned char>(base == CommonLow ? CommonLow + rest : CommonHigh - rest);
        m_commons = 0;
    }

    // At most one weight other than the common one for each byte of a name, each after a count,
    // and a middle byte for every 33 common weights.
    std::array<unsigned char, 2 * MaxNameBytes + MaxNameBytes / 8 + 8> m_bytes;
    unsigned char *m_end = m_bytes.data();
    std::size_t m_commons = 0;
};

// Reads the key of the one character written text into weight: its primary weights, then its
// secondary ones, the counts of common weights read back into as many common weights. False when
// that key is not of the shape this class writes. (Whether keys written from it are the
// collator's is checked by the caller, beside other characters.)
bool LatinKeys::learn(const UCollator *collator, std::string_view text, Weight &weight) const {
    const Bytes key = collatorKey(collator, text);
    const std::size_t separator = key.find(char(LevelSeparator));
    if (separator == Bytes::npos || separator == 0 || separator > weight.primary.size())
        return false;
    Weight learnt;
    learnt.primaryLength = static_cast<std::uint8_t>(separator);
    std::copy(key.begin(), key.begin() + std::ptrdiff_t(separator), learnt.primary.begin());
    const auto add = [&learnt](std::uint8_t w, std::size_t count) {
        for (; count > 0; --count) {
            if (learnt.secondaryCount == learnt.secondary.size())
                return false;
            learnt.secondary[learnt.secondaryCount++] = w;
        }
        return true;
    };
    for (std::size_t i = separator + 1; i + 1 < key.size(); ++i) {
        const auto b = static_cast<unsigned char>(key[i]);
        bool fits = false;
        if (b >= CommonLow && b < CommonMiddle && i + 2 == key.size())
            fits = add(0, std::size_t(b - CommonLow) + 1);
        else if (b > CommonMiddle && b <= CommonHigh && i + 2 < key.size())
            fits = add(0, std::size_t(CommonHigh - b) + 1);
        else if (b > CommonHigh)
            fits = add(b, 1);
        if (!fits)
            return false;
    }
    // Room for the key of any name: at most four bytes of it for each byte of the name.
    std::size_t bytes = learnt.primaryLength;
    for (std::size_t k = 0; k < learnt.secondaryCount; ++k)
        bytes += learnt.secondary[k] != 0 ? 2 : 0;
    if (learnt.secondaryCount == 0 || bytes > 4 * text.size())
        return false;
    weight = learnt;
    return true;
}

LatinKeys::LatinKeys(const UCollator *collator) {
    const CodePoints tailored = tailoredCharacters(collator);
    UErrorCode status = U_ZERO_ERROR;
    // Accents read from the end of the name (Canadian French) are left to the collator.
    const bool backwards = ucol_getAttribute(collator, UCOL_FRENCH_COLLATION, &status) == UCOL_ON;
    const auto usable = [&](char16_t c) {
        return !tailored[c] && rootContractionTails().find(c) == std::u16string_view::npos;
    };
    char letter = 0;
    for (char c = ' '; c <= '~'; ++c) {
        if ((c >= '0' && c <= '9') || !usable(char16_t(c)))
            continue;
        // Weights of its own: twice the character gives them twice (no compression of a shared
        // lead byte), and nothing but the common weight at the secondary level.
        Weight w;
        if (!learn(collator, std::string(1, c), w) || w.secondaryCount != 1 || w.secondary[0] != 0)
            continue;
        m_weights[static_cast<std::size_t>(c)] = w;
        if (!agreesWithCollator(collator, std::string(2, c), true)) {
            m_weights[static_cast<std::size_t>(c)] = {};
            continue;
        }
        if (!letter && c >= 'a' && c <= 'z')
            letter = c;
    }
    const bool digitsTailored =
        std::any_of(tailored.begin() + '0', tailored.begin() + '9' + 1, [](bool t) { return t; });
    const Bytes zero = collatorKey(collator, "0");
    const bool numeric = ucol_getAttribute(collator, UCOL_NUMERIC_COLLATION, &status) == UCOL_ON;
    if (numeric && !digitsTailored && zero.size() == 5 && zero[1] == '\x02' &&
        zero.substr(2) == countOfWeights(1))
        m_numberLead = static_cast<std::uint8_t>(zero[0]);
    m_enabled = letter != 0;
    if (!m_enabled)
        return;
    for (const std::string &name : sampleNames(letter)) {
        if (!agreesWithCollator(collator, name)) {
            m_weights = {};
            m_numberLead = 0;
            m_enabled = false;
            return;
        }
    }

    // Latin-1 beyond ASCII: each character checked beside itself, a plain letter and a digit.
    if (backwards)
        return;
    const std::string plain(1, letter);
    // Keys of text beside itself (or beside another of its kind), a plain letter and a digit, as
    // written here, are the collator's.
    const auto keyedBeside = [&](const std::string &text, const std::string &twice) {
        std::vector<std::string> names{twice, plain + text, text + plain,
                                       std::string(40, letter) + text + plain};
        if (m_numberLead) {
            names.push_back(text + "1");
            names.push_back("1" + text);
        }
        return std::all_of(names.begin(), names.end(), [&](const std::string &name) {
            return agreesWithCollator(collator, name, true);
        });
    };
    std::string accented;
    for (char16_t c = 0xA0; c <= 0xFF; ++c) {
        Weight &w = m_weights[c];
        const std::string text = utf8(c);
        if (!usable(c) || !learn(collator, text, w))
            continue;
        if (!keyedBeside(text, text + text))
            w = {};
        if (w.primaryLength != 0 && accented.empty() && w.secondaryCount == 2 &&
            w.secondary[0] == 0 && w.secondary[1] != 0)
            accented = text;
    }
    // A byte that is not UTF-8, alone between characters that are, reads as U+FFFD.
    const std::string invalid = "\xFF";
    if (learn(collator, invalid, m_replacement) &&
        !keyedBeside(invalid, invalid + plain + "\xE9" + plain + "\x80"))
        m_replacement = {};
    m_accentsEnabled = !accented.empty();
    if (!m_accentsEnabled) {
        m_replacement = {};
        return;
    }
    for (const std::string &name : accentedSampleNames(letter, accented)) {
        if (!agreesWithCollator(collator, name)) {
            for (char16_t c = 0x80; c <= 0xFF; ++c)
                m_weights[c] = {};
            m_replacement = {};
            m_accentsEnabled = false;
            return;
        }
    }
}

bool LatinKeys::agreesWithCollator(const UCollator *collator, std::string_view name,
                                   bool mustKey) const {
    std::vector<unsigned char> key(maxKeyLength(name.size()));
    const std::size_t length = writeKey(name, key.data());
    if (length == 0)
        return !mustKey;
    return Bytes(reinterpret_cast<const char *>(key.data()), length) == collatorKey(collator, name);
}

std::size_t LatinKeys::write(std::string_view name, unsigned char *out) const {
    return m_enabled ? writeKey(name, out) : 0;
}

std::size_t LatinKeys::writeKey(std::string_view name, unsigned char *out) const {
    if (name.empty() || name.size() > MaxNameBytes)
        return 0;
    const auto *text = reinterpret_cast<const unsigned char *>(name.data());
    const std::size_t size = name.size();
    unsigned char *p = out;
    SecondaryLevel secondaries;
    for (std::size_t i = 0; i < size;) {
        const unsigned char c = text[i];
        if (c >= '0' && c <= '9') {
            if (!m_numberLead)
                return 0;
            std::size_t end = i + 1;
            while (end < size && text[end] >= '0' && text[end] <= '9')
                ++end;
            p += writeNumber(text + i, end - i, p, secondaries);
            i = end;
            continue;
        }
        const Weight *w = nullptr;
        if (c < 0x80) {
            w = &m_weights[c];
            ++i;
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < size && (text[i + 1] & 0xC0) == 0x80) {
            w = &m_weights[(c & 0x1Fu) << 6 | (text[i + 1] & 0x3Fu)];
            i += 2;
        } else if (i + 1 == size || text[i + 1] < 0x80) {
            // A byte that is not UTF-8, with whole characters on each side: one U+FFFD.
            w = &m_replacement;
            ++i;
        } else {
            return 0; // beyond Latin-1, or bytes not UTF-8 side by side
        }
        if (w->primaryLength == 0)
            return 0;
        std::memcpy(p, w->primary.data(), w->primary.size()); // room for it: maxKeyLength
        p += w->primaryLength;
        for (std::size_t k = 0; k < w->secondaryCount; ++k) {
            if (w->secondary[k] == 0)
                secondaries.common();
            else
                secondaries.weight(w->secondary[k]);
        }
    }
    if (static_cast<std::size_t>(p - out) + secondaries.size() + 2 > maxKeyLength(size))
        return 0;
    *p++ = LevelSeparator;
    p = secondaries.writeTo(p);
    *p++ = 0;
    return static_cast<std::size_t>(p - out);
}

// The weights of a run of digits, as the collator makes them in numeric mode: leading zeros
// dropped, small numbers in one weight of two to four bytes, larger ones as pairs of digits,
// three pairs to a weight. Each has the common secondary weight.
std::size_t LatinKeys::writeNumber(const unsigned char *digits, std::size_t count,
                                   unsigned char *out, SecondaryLevel &secondaries) const {
    unsigned char *p = out;
    const std::uint32_t lead = std::uint32_t(m_numberLead) << 24;
    const auto put = [&](std::uint32_t weight) {
        *p++ = static_cast<unsigned char>(weight >> 24);
        for (int shift = 16; shift >= 0; shift -= 8) {
            const auto byte = static_cast<unsigned char>(weight >> shift);
            if (byte == 0)
                break;
            *p++ = byte;
        }
        secondaries.common();
    };
    std::size_t pos = 0;
    do {
        while (pos + 1 < count && digits[pos] == '0')
            ++pos;
        const unsigned char *segment = digits + pos;
        std::size_t length = std::min(count - pos, MaxSegmentDigits);
        pos += length;
        const auto at = [segment](std::size_t i) { return std::uint32_t(segment[i] - '0'); };
        if (length <= 7) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < length; ++i)
                value = value * 10 + at(i);
            if (value < SmallNumbers) {
                put(lead | (2 + value) << 16);
                continue;
            }
            value -= SmallNumbers;
            if (value < MediumLeads * ByteValues) {
                put(lead | (MediumFirst + value / ByteValues) << 16 |
                    (2 + value % ByteValues) << 8);
                continue;
            }
            value -= MediumLeads * ByteValues;
            if (value < LargeLeads * ByteValues * ByteValues) {
                std::uint32_t weight = lead | (2 + value % ByteValues);
                value /= ByteValues;
                weight |= (2 + value % ByteValues) << 8;
                value /= ByteValues;
                weight |= (LargeFirst + value) << 16;
                put(weight);
                continue;
            }
        }
        const std::size_t pairs = (length + 1) / 2;
        std::uint32_t weight = lead | std::uint32_t(PairCountBase + pairs) << 16;
        while (at(length - 1) == 0 && at(length - 2) == 0)
            length -= 2;
        std::size_t i = length % 2 ? 1 : 2;
        std::uint32_t pair = PairBase + 2 * (length % 2 ? at(0) : at(0) * 10 + at(1));
        int shift = 8;
        while (i < length) {
            if (shift == 0) {
                put(weight | pair);
                weight = lead;
                shift = 16;
            } else {
                weight |= pair << shift;
                shift -= 8;
            }
            pair = PairBase + 2 * (at(i) * 10 + at(i + 1));
            i += 2;
        }
        put(weight | (pair - 1) << shift);
    } while (pos < count);
    return static_cast<std::size_t>(p - out);
}

} // namespace quervelle
