#include "platform/controls/nameorder.h"

namespace quervelle {

namespace {

int compareBytes(std::string_view a, std::string_view b) {
    const int c = a.compare(b); // char_traits<char>::compare orders as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QLocale collatingLocale(const QLocale &locale) {
    return locale.language() == QLocale::C ? QLocale(QLocale::French, QLocale::France) : locale;
}

QCollator collatorFor(const Collation &collation) {
    QCollator collator(collation.locale);
    collator.setCaseSensitivity(collation.caseSensitivity);
    collator.setNumericMode(collation.numbersByValue);
    collator.setIgnorePunctuation(collation.ignorePunctuation);
    return collator;
}

} // namespace

Collation Collation::lists(const QLocale &locale) {
    Collation collation;
    collation.locale = collatingLocale(locale);
    return collation;
}

Collation Collation::lists() {
    return lists(QLocale());
}

NameOrder::NameOrder() : NameOrder(Collation::lists()) {}

NameOrder::NameOrder(const QLocale &locale) : NameOrder(Collation::lists(locale)) {}

NameOrder::NameOrder(const Collation &collation)
    : m_collation(collation), m_collator(collatorFor(collation)) {}

NameOrder::~NameOrder() = default;

QLocale NameOrder::collationLocale() {
    return collatingLocale(QLocale());
}

QString NameOrder::decode(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QCollatorSortKey NameOrder::sortKey(std::string_view name) const {
    return m_collator.sortKey(decode(name));
}

int NameOrder::compare(std::string_view a, std::string_view b) const {
    const int c = m_collator.compare(decode(a), decode(b));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return compareBytes(a, b);
}

int NameOrder::compareKeys(const QCollatorSortKey &keyA, std::string_view a,
                           const QCollatorSortKey &keyB, std::string_view b) {
    const int c = keyA.compare(keyB);
    if (c != 0)
        return c < 0 ? -1 : 1;
    return compareBytes(a, b);
}

} // namespace quervelle
