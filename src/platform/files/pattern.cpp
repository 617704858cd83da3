#include "platform/files/pattern.h"

#include <array>
#include <cstdint>

namespace quervelle {

namespace {

constexpr std::array<unsigned char, 128> makeAsciiLower() {
    std::array<unsigned char, 128> table{};
    for (unsigned c = 0; c < 128; ++c)
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return table;
}
constexpr std::array<unsigned char, 128> asciiLower = makeAsciiLower();

// Bytes that are not part of a valid UTF-8 sequence get values above every code point, so that
// they only ever equal the same byte.
constexpr char32_t invalidByteBase = 0x110000;

struct Character {
    char32_t value;
    std::size_t length;
};

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The character starting at text[i] (i < text.size()): one valid UTF-8 sequence, or one byte.
Character characterAt(std::string_view text, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80)
        return {b0, 1};
    const std::size_t left = text.size() - i;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (b0 >= 0xC2 && b0 <= 0xDF && left >= 2 && isContinuation(at(1)))
        return {char32_t((b0 & 0x1F) << 6 | (at(1) & 0x3F)), 2};
    if (b0 >= 0xE0 && b0 <= 0xEF && left >= 3 && isContinuation(at(1)) && isContinuation(at(2))) {
        const bool overlong = b0 == 0xE0 && at(1) < 0xA0;
        const bool surrogate = b0 == 0xED && at(1) > 0x9F;
        if (!overlong && !surrogate)
            return {char32_t((b0 & 0x0F) << 12 | (at(1) & 0x3F) << 6 | (at(2) & 0x3F)), 3};
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && left >= 4 && isContinuation(at(1)) && isContinuation(at(2)) &&
        isContinuation(at(3))) {
        const bool overlong = b0 == 0xF0 && at(1) < 0x90;
        const bool tooLarge = b0 == 0xF4 && at(1) > 0x8F;
        if (!overlong && !tooLarge)
            return {char32_t((b0 & 0x07) << 18 | (at(1) & 0x3F) << 12 | (at(2) & 0x3F) << 6 |
                             (at(3) & 0x3F)),
                    4};
    }
    return {invalidByteBase + b0, 1};
}

// Simple case folding for the letters of names seen in practice. Never maps a non-ASCII letter
// to an ASCII one (the dotted I and the long s stay themselves), which keeps the suffix shortcut
// of PatternMatcher equal to the general rule.
char32_t foldCase(char32_t c) {
    if (c < 0x80)
        return asciiLower[c];
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c >= 0x100 && c <= 0x17E) {
        if (c == 0x130 || c == 0x131 || c == 0x138)
            return c;
        if (c == 0x178)
            return 0xFF;
        const bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (evenUpper)
            return (c % 2 == 0) ? c + 1 : c;
        return (c % 2 == 1) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

// One pattern against the whole name: the two-pointer walk that goes back to the last "*"
// on a mismatch. Iterative, so a long pattern costs time, never stack.
bool matchesOne(std::string_view pattern, std::string_view name) noexcept {
    constexpr std::size_t none = std::string_view::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = none; // just after the last "*" seen
    std::size_t starN = 0;    // where that "*" has taken the name up to
    while (n < name.size()) {
        if (p < pattern.size()) {
            if (pattern[p] == '*') {
                starP = ++p;
                starN = n;
                continue;
            }
            const Character nc = characterAt(name, n);
            if (pattern[p] == '?') {
                ++p;
                n += nc.length;
                continue;
            }
            const Character pc = characterAt(pattern, p);
            if (pc.value == nc.value || foldCase(pc.value) == foldCase(nc.value)) {
                p += pc.length;
                n += nc.length;
                continue;
            }
        }
        if (starP == none)
            return false;
        starN += characterAt(name, starN).length;
        n = starN;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

template <typename Each> void forEachAlternative(std::string_view list, Each each) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = list.find(';', start);
        if (end == std::string_view::npos) {
            each(list.substr(start));
            return;
        }
        each(list.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

bool matchesPattern(std::string_view patternList, std::string_view name) noexcept {
    bool matched = false;
    forEachAlternative(patternList, [&](std::string_view pattern) {
        if (!matched && matchesOne(pattern, name))
            matched = true;
    });
    return matched;
}

PatternMatcher::PatternMatcher(std::string_view patternList) {
    forEachAlternative(patternList, [&](std::string_view pattern) {
        Alternative alternative;
        const std::size_t firstNonStar = pattern.find_first_not_of('*');
        if (!pattern.empty() && firstNonStar == std::string_view::npos) {
            alternative.shape = Shape::Anything;
        } else if (pattern.size() > 1 && pattern[0] == '*' &&
                   pattern.find_first_of("*?", 1) == std::string_view::npos) {
            bool ascii = true;
            for (std::size_t i = 1; i < pattern.size(); ++i)
                ascii = ascii && static_cast<unsigned char>(pattern[i]) < 0x80;
            if (ascii) {
                alternative.shape = Shape::AsciiSuffix;
                for (std::size_t i = 1; i < pattern.size(); ++i)
                    alternative.text +=
                        static_cast<char>(asciiLower[static_cast<unsigned char>(pattern[i])]);
            }
        }
        if (alternative.shape == Shape::General)
            alternative.text = pattern;
        m_alternatives.push_back(std::move(alternative));
    });
}

bool PatternMatcher::matches(std::string_view name) const noexcept {
    for (const Alternative &alternative : m_alternatives) {
        switch (alternative.shape) {
        case Shape::Anything:
            return true;
        case Shape::AsciiSuffix: {
            const std::string &suffix = alternative.text;
            if (name.size() < suffix.size())
                break;
            const std::string_view tail = name.substr(name.size() - suffix.size());
            bool same = true;
            for (std::size_t i = 0; same && i < tail.size(); ++i) {
                const auto b = static_cast<unsigned char>(tail[i]);
                same = b < 0x80 && asciiLower[b] == static_cast<unsigned char>(suffix[i]);
            }
            if (same)
                return true;
            break;
        }
        case Shape::General:
            if (matchesOne(alternative.text, name))
                return true;
            break;
        }
    }
    return false;
}

} // namespace quervelle
