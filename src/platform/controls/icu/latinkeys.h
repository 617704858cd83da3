#pragma once

// Sort keys of names made of printable ASCII characters and of the letters and signs of
// Latin-1 (U+00A0 to U+00FF, in UTF-8), written without asking the collator, and byte for byte
// the keys the collator itself gives them. In the lists' settings (secondary strength, numbers by
// value, punctuation not ignored) the collator gives each such character its primary weights
// (e-acute those of e) and one or two secondary weights (the common one for a plain letter, one
// more for an accent), reads a run of digits as one number, and writes every secondary weight
// after the primary ones, each run of common weights as a count. This class learns each
// character's weights from the collator once and writes keys from that table. A character the
// collator treats in any other way (part of a contraction, tailored by the user's language,
// weights that share a compressed lead byte or that its checks do not reproduce) is left to the
// collator, with every name that holds it. A byte that is not UTF-8, between whole characters,
// is keyed as the U+FFFD the lists read for it; other bytes that are not UTF-8 are the
// collator's.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

struct UCollator;

namespace quervelle {

class LatinKeys {
public:
    // Learns the weights from collator, which must use the lists' settings. Checks what it
    // learned against the collator on sample names; where they differ it takes no name at all.
    explicit LatinKeys(const UCollator *collator);

    // The most bytes a key of a name of that many bytes can take.
    static std::size_t maxKeyLength(std::size_t nameLength) { return 4 * nameLength + 16; }

    // Writes the key of name, its final zero byte included, into out (at least
    // maxKeyLength(name.size()) bytes) and returns its length; returns 0, writing nothing
    // meaningful, when the name is not one this class can key.
    std::size_t write(std::string_view name, unsigned char *out) const;

    // True when at least the ASCII letters are keyed here (false when the checks failed).
    bool enabled() const { return m_enabled; }
    // True when runs of digits are keyed here, as numbers.
    bool numbersEnabled() const { return m_enabled && m_numberLead != 0; }
    // True when the accented letters of Latin-1 are keyed here too.
    bool accentsEnabled() const { return m_accentsEnabled; }

    // The characters below U+0100 that continue a contraction of every language begun by
    // another such character: the middle dot of "l·". A name holding one may be read otherwise
    // than character by character, and is left to the collator. (Asking the collator for its
    // contractions takes milliseconds; the test of this class asks it and holds this list to the
    // answer. A language's own contractions are among the characters it tailors.)
    static std::u16string_view rootContractionTails();

    class SecondaryLevel;

private:
    struct Weight {
        std::uint8_t primaryLength = 0; // 0: left to the collator
        std::array<std::uint8_t, 4> primary{};
        std::uint8_t secondaryCount = 0;
        std::array<std::uint8_t, 2> secondary{}; // in order; 0 stands for the common weight
    };

    bool learn(const UCollator *collator, std::string_view text, Weight &weight) const;
    std::size_t writeNumber(const unsigned char *digits, std::size_t count, unsigned char *out,
                            SecondaryLevel &secondaries) const;
    std::size_t writeKey(std::string_view name, unsigned char *out) const;
    // True when the key written here is the collator's, or when none is written here and
    // mustKey is false.
    bool agreesWithCollator(const UCollator *collator, std::string_view name,
                            bool mustKey = false) const;

    std::array<Weight, 256> m_weights{}; // by code point
    Weight m_replacement;                // U+FFFD, read for a byte that is not UTF-8
    std::uint8_t m_numberLead = 0; // the lead byte of numbers; 0 leaves digits to the collator
    bool m_enabled = false;
    bool m_accentsEnabled = false;
};

} // namespace quervelle
