#pragma once

// Sort keys of names made only of printable ASCII characters, written without asking the
// collator, and byte for byte the keys the collator itself gives them. In the lists' settings
// (secondary strength, numbers by value, punctuation not ignored) the collator gives each such
// character one weight of its own, reads a run of digits as one number, and ends the key with a
// count of those weights; this class learns each character's weight from the collator once and
// writes keys from that table. A character the collator treats in any other way (a contraction
// or a tailoring of the user's language, several weights, weights that share a compressed lead
// byte) is left to the collator, with every name that holds it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

struct UCollator;

namespace quervelle {

class AsciiKeys {
public:
    // Learns the weights from collator, which must use the lists' settings. Checks what it
    // learned against the collator on sample names; where they differ it takes no name at all.
    explicit AsciiKeys(const UCollator *collator);

    // The most bytes a key of a name of that many bytes can take.
    static std::size_t maxKeyLength(std::size_t nameLength) { return 4 * nameLength + 16; }

    // Writes the key of name, its final zero byte included, into out (at least
    // maxKeyLength(name.size()) bytes) and returns its length; returns 0, writing nothing
    // meaningful, when the name is not one this class can key.
    std::size_t write(std::string_view name, unsigned char *out) const;

    // True when at least the letters are keyed here (false when the checks failed).
    bool enabled() const { return m_enabled; }

private:
    struct Weight {
        std::uint8_t length = 0; // 0: left to the collator
        std::array<std::uint8_t, 4> bytes{};
    };

    std::size_t writeNumber(const unsigned char *digits, std::size_t count, unsigned char *out,
                            std::size_t &weights) const;
    bool agreesWithCollator(const UCollator *collator, std::string_view name) const;

    std::array<Weight, 128> m_weights{};
    std::uint8_t m_numberLead = 0; // the lead byte of numbers; 0 leaves digits to the collator
    bool m_enabled = false;
};

} // namespace quervelle
