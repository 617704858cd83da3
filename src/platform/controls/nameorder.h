#pragma once

// The order of the directory and file lists: case-insensitive natural order (file2 before
// file10), accents as the user's language sorts them. Names are raw bytes; they are decoded as
// UTF-8 for the collator (a byte that is not valid UTF-8 reads as U+FFFD), and names the
// collator finds equal ("a" and "A", "007" and "7") fall back to byte order, so the order is
// total and the same on every run.

#include <QCollator>
#include <QString>

#include <memory>
#include <string_view>

namespace quervelle {

class NameOrder {
public:
    NameOrder();
    explicit NameOrder(const QLocale &locale);
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

    const QCollator &collator() const { return m_collator; }

    // What the sort keeps for this order from one sort to the next (where it writes the
    // collator's keys itself: its own collator and tables), made by the sort when it first
    // needs it. A name order, and this with it, is used by one thread at a time.
    struct SortState {
        virtual ~SortState() = default;
    };
    std::unique_ptr<SortState> &sortState() const { return m_sortState; }

private:
    QCollator m_collator;
    mutable std::unique_ptr<SortState> m_sortState;
};

} // namespace quervelle
