#pragma once

// The order of the directory and file lists: case-insensitive natural order (file2 before
// file10), accents as the user's language sorts them. Names are raw bytes; they are decoded as
// UTF-8 for the collator (a byte that is not valid UTF-8 reads as U+FFFD), and names the
// collator finds equal ("a" and "A", "007" and "7") fall back to byte order, so the order is
// total and the same on every run.

#include <QCollator>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <string_view>
#include <vector>

struct UCollator;

namespace quervelle {

class AsciiKeys;

class NameOrder {
public:
    NameOrder();
    explicit NameOrder(const QLocale &locale);
    ~NameOrder();
    NameOrder(const NameOrder &) = delete;
    NameOrder &operator=(const NameOrder &) = delete;

    // Writes the name's sort key into out, which holds capacity bytes, and returns the key's
    // length; when that is more than capacity, nothing usable was written: call again with room
    // for it. keyRoom() is room enough for nearly every name. Keys end with a zero byte that
    // occurs nowhere else in them, and compare byte by byte as unsigned (strcmp) in the order
    // of their names; names with equal keys are ordered by their bytes. One thread at a time.
    std::size_t writeKey(std::string_view name, unsigned char *out, std::size_t capacity) const;
    static std::size_t keyRoom(std::size_t nameLength) { return 4 * nameLength + 16; }

    // A name's sort key as the collator's own object; compare keys with compareKeys.
    QCollatorSortKey sortKey(std::string_view name) const;

    // Negative, zero or positive as a sorts before, with or after b; zero only for equal bytes.
    int compare(std::string_view a, std::string_view b) const;

    // The order of two names given with their keys; zero only for equal bytes.
    static int compareKeys(const QCollatorSortKey &keyA, std::string_view a,
                           const QCollatorSortKey &keyB, std::string_view b);

    // A name as text for display or collation: UTF-8, with U+FFFD for bytes that are not.
    static QString decode(std::string_view name);

    // The locale the lists collate in: the user's, unless it is the bare "C" locale, which
    // collates by code point and without numbers; French, the program's language, stands in.
    static QLocale collationLocale();

    const QCollator &collator() const { return m_collator; }

private:
    struct CollatorCloser {
        void operator()(UCollator *collator) const;
    };

    QCollator m_collator;
    // The same collation, asked directly for keys written where the caller wants them.
    std::unique_ptr<UCollator, CollatorCloser> m_keyCollator;
    // Names of printable ASCII characters are keyed without asking the collator; the table that
    // does it is learnt from the collator at the first such name.
    mutable std::unique_ptr<AsciiKeys> m_ascii;
    mutable QStringDecoder m_decoder{QStringDecoder::Utf8, QStringConverter::Flag::Stateless};
    mutable std::vector<QChar> m_text;
};

} // namespace quervelle
