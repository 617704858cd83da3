#pragma once

// The order of the directory and file lists: case-insensitive natural order (file2 before
// file10), accents as the user's language sorts them. Names are raw bytes; they are decoded as
// UTF-8 for the collator (a byte that is not valid UTF-8 reads as U+FFFD), and names the
// collator finds equal ("a" and "A", "007" and "7") fall back to byte order, so the order is
// total and the same on every run.

#include <QCollator>
#include <QLocale>
#include <QString>

#include <memory>
#include <string_view>

namespace quervelle {

// What the order is, written once: the collator behind NameOrder::compare() and the keys the
// lists' sort writes itself (icu/keywriter) are both set from it.
struct Collation {
    // Whose alphabet: the user's, French for the bare "C" locale (see NameOrder).
    QLocale locale;
    // Insensitive: "a" and "A" are equal and accents still count (the collator's secondary
    // strength); sensitive: case counts after accents (the locale's own strength).
    Qt::CaseSensitivity caseSensitivity = Qt::CaseInsensitive;
    // Runs of digits compare as numbers: "file2" before "file10", "007" equal to "7".
    bool numbersByValue = true;
    // Spaces and punctuation are skipped rather than compared as characters.
    bool ignorePunctuation = false;

    // The lists' order in locale (the user's collation locale by default).
    static Collation lists(const QLocale &locale);
    static Collation lists();
};

class NameOrder {
public:
    NameOrder();
    explicit NameOrder(const QLocale &locale);
    explicit NameOrder(const Collation &collation);
    ~NameOrder();
    NameOrder(const NameOrder &) = delete;
    NameOrder &operator=(const NameOrder &) = delete;

    // A name's sort key; compare keys with compareKeys. Computing one key per name and sorting
    // by keys is much faster than compare() on every comparison.
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

    const Collation &collation() const { return m_collation; }
    const QCollator &collator() const { return m_collator; }

    // What the lists' sort keeps for this order from one sort to the next (where it writes the
    // collator's keys itself: its own collator and what it learnt of it). Its type is the
    // sort's own (namesort.cpp of icu/ or windows/); it is made at the first sort that wants
    // it. Sorting changes it: a name order is used by one thread at a time.
    struct SortKeys;
    SortKeys &sortKeys();

private:
    struct SortKeysDeleter {
        void operator()(SortKeys *keys) const;
    };

    Collation m_collation;
    QCollator m_collator;
    std::unique_ptr<SortKeys, SortKeysDeleter> m_sortKeys;
};

} // namespace quervelle
