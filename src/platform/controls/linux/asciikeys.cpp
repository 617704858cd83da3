#include "platform/controls/linux/asciikeys.h"

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace quervelle {

namespace {

// Bytes of the collator's keys at secondary strength: the primary weights, a level separator,
// then the secondary weights, where a run of n common weights is written as (n - 1) / 33 middle
// bytes followed by 5 + (n - 1) % 33, and a final zero.
constexpr unsigned char LevelSeparator = 0x01;
constexpr unsigned char CommonLow = 0x05;
constexpr unsigned char CommonMiddle = 0x25;
constexpr std::size_t CommonMaxCount = 33;

// Numbers: at most 254 digits in one run of weights; the second byte of a number's first weight
// tells small numbers apart by value and large ones by their count of digit pairs.
constexpr std::size_t MaxSegmentDigits = 254;

using Bytes = std::string; // key bytes

Bytes collatorKey(const UCollator *collator, std::string_view ascii) {
    const std::u16string text(ascii.begin(), ascii.end());
    std::vector<std::uint8_t> key(4 * text.size() + 64);
    int32_t length = ucol_getSortKey(collator, text.data(), static_cast<int32_t>(text.size()),
                                     key.data(), static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(length));
        length = ucol_getSortKey(collator, text.data(), static_cast<int32_t>(text.size()),
                                 key.data(), length);
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

// The printable ASCII characters that the user's language tailors, alone or in a sequence.
std::array<bool, 128> tailoredCharacters(const UCollator *collator) {
    std::array<bool, 128> tailored{};
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
            for (UChar32 c = start; c <= end && c < 128; ++c)
                tailored[static_cast<std::size_t>(c)] = true;
        } else {
            for (int32_t k = 0; k < length; ++k)
                if (text[k] < 128)
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

} // namespace

AsciiKeys::AsciiKeys(const UCollator *collator) {
    const std::array<bool, 128> tailored = tailoredCharacters(collator);
    char letter = 0;
    for (char c = ' '; c <= '~'; ++c) {
        if ((c >= '0' && c <= '9') || tailored[static_cast<std::size_t>(c)])
            continue;
        // One weight of its own: the key of the character alone is its weight, the separator and
        // one common secondary weight, and twice the character gives the weight twice (no
        // compression of a shared lead byte).
        const Bytes once = collatorKey(collator, std::string(1, c));
        const std::size_t end = once.find(char(LevelSeparator));
        if (end == Bytes::npos || end == 0 || end > 4 || once.substr(end) != countOfWeights(1))
            continue;
        const Bytes weight = once.substr(0, end);
        if (collatorKey(collator, std::string(2, c)) != weight + weight + countOfWeights(2))
            continue;
        Weight &w = m_weights[static_cast<std::size_t>(c)];
        w.length = static_cast<std::uint8_t>(weight.size());
        std::copy(weight.begin(), weight.end(), w.bytes.begin());
        if (!letter && c >= 'a' && c <= 'z')
            letter = c;
    }
    const bool digitsTailored =
        std::any_of(tailored.begin() + '0', tailored.begin() + '9' + 1, [](bool t) { return t; });
    const Bytes zero = collatorKey(collator, "0");
    if (!digitsTailored && zero.size() == 5 && zero[1] == '\x02' &&
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
}

bool AsciiKeys::agreesWithCollator(const UCollator *collator, std::string_view name) const {
    std::vector<unsigned char> key(maxKeyLength(name.size()));
    const std::size_t length = write(name, key.data());
    return length == 0 ||
           Bytes(reinterpret_cast<const char *>(key.data()), length) == collatorKey(collator, name);
}

std::size_t AsciiKeys::write(std::string_view name, unsigned char *out) const {
    if (!m_enabled || name.empty())
        return 0;
    const auto *text = reinterpret_cast<const unsigned char *>(name.data());
    const std::size_t size = name.size();
    unsigned char *p = out;
    std::size_t weights = 0;
    for (std::size_t i = 0; i < size;) {
        const unsigned char c = text[i];
        if (c >= '0' && c <= '9') {
            if (!m_numberLead)
                return 0;
            std::size_t end = i + 1;
            while (end < size && text[end] >= '0' && text[end] <= '9')
                ++end;
            p += writeNumber(text + i, end - i, p, weights);
            i = end;
            continue;
        }
        if (c >= 128 || m_weights[c].length == 0)
            return 0;
        std::memcpy(p, m_weights[c].bytes.data(), 4); // room for it: maxKeyLength
        p += m_weights[c].length;
        ++weights;
        ++i;
    }
    *p++ = LevelSeparator;
    std::size_t rest = weights - 1;
    for (; rest >= CommonMaxCount; rest -= CommonMaxCount)
        *p++ = CommonMiddle;
    *p++ = static_cast<unsigned char>(CommonLow + rest);
    *p++ = 0;
    return static_cast<std::size_t>(p - out);
}

// The weights of a run of digits, as the collator makes them in numeric mode: leading zeros
// dropped, small numbers in one weight of two to four bytes, larger ones as pairs of digits,
// three pairs to a weight.
std::size_t AsciiKeys::writeNumber(const unsigned char *digits, std::size_t count,
                                   unsigned char *out, std::size_t &weights) const {
    unsigned char *p = out;
    const std::uint32_t lead = std::uint32_t(m_numberLead) << 24;
    const auto emit = [&](std::uint32_t weight) {
        *p++ = static_cast<unsigned char>(weight >> 24);
        for (int shift = 16; shift >= 0; shift -= 8) {
            const auto byte = static_cast<unsigned char>(weight >> shift);
            if (byte == 0)
                break;
            *p++ = byte;
        }
        ++weights;
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
            if (value < 74) {
                emit(lead | (2 + value) << 16);
                continue;
            }
            value -= 74;
            if (value < 40 * 254) {
                emit(lead | (76 + value / 254) << 16 | (2 + value % 254) << 8);
                continue;
            }
            value -= 40 * 254;
            if (value < 16 * 254 * 254) {
                std::uint32_t weight = lead | (2 + value % 254);
                value /= 254;
                weight |= (2 + value % 254) << 8;
                value /= 254;
                weight |= (116 + value) << 16;
                emit(weight);
                continue;
            }
        }
        const std::size_t pairs = (length + 1) / 2;
        std::uint32_t weight = lead | std::uint32_t(128 + pairs) << 16;
        while (at(length - 1) == 0 && at(length - 2) == 0)
            length -= 2;
        std::size_t i = length % 2 ? 1 : 2;
        std::uint32_t pair = 11 + 2 * (length % 2 ? at(0) : at(0) * 10 + at(1));
        int shift = 8;
        while (i < length) {
            if (shift == 0) {
                emit(weight | pair);
                weight = lead;
                shift = 16;
            } else {
                weight |= pair << shift;
                shift -= 8;
            }
            pair = 11 + 2 * (at(i) * 10 + at(i + 1));
            i += 2;
        }
        emit(weight | (pair - 1) << shift);
    } while (pos < count);
    return static_cast<std::size_t>(p - out);
}

} // namespace quervelle
