#pragma once

// File patterns with the Windows wildcard rules, matched against the whole name without regard
// to case: "*" stands for any run of characters, "?" for exactly one, every other character is
// itself; several patterns may be given separated by ";". Names are raw bytes: a valid UTF-8
// sequence is one character, any other byte is a character of its own. Letters compare without
// case for ASCII and for the Latin, Greek and Cyrillic letters of UTF-8 names.

#include <string>
#include <string_view>
#include <vector>

namespace quervelle {

// True when name matches one of the patterns of patternList. Never throws.
bool matchesPattern(std::string_view patternList, std::string_view name) noexcept;

// A pattern list prepared once for matching many names; gives the same answers as
// matchesPattern, faster for the common shapes ("*", "*.txt").
class PatternMatcher {
public:
    explicit PatternMatcher(std::string_view patternList = "*");

    bool matches(std::string_view name) const noexcept;

private:
    enum class Shape { Anything, AsciiSuffix, General };
    struct Alternative {
        Shape shape = Shape::General;
        std::string text; // the suffix, lowered, for AsciiSuffix; the pattern for General
    };
    std::vector<Alternative> m_alternatives;
};

} // namespace quervelle
