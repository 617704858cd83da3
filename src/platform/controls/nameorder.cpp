#include "platform/controls/nameorder.h"

#include "platform/controls/asciikeys.h"

#include <QLocale>

#include <unicode/ucol.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

namespace quervelle {

namespace {

int compareBytes(std::string_view a, std::string_view b) {
    const int c = a.compare(b); // char_traits<char>::compare orders as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A collator set as QCollator sets its own for the locale, numbers by value, case ignored
// (secondary strength) and punctuation kept, so that its keys order names exactly as
// QCollator::compare does.
UCollator *openCollator(const QLocale &locale) {
    const QByteArray name = locale.bcp47Name().toLatin1().replace('-', '_');
    UErrorCode status = U_ZERO_ERROR;
    UCollator *collator = ucol_open(name.constData(), &status);
    if (U_FAILURE(status))
        throw std::runtime_error("no collator for the locale " + name.toStdString());
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        throw std::runtime_error("the collator refused the lists' settings");
    }
    return collator;
}

QLocale collatingLocale(const QLocale &locale) {
    return locale.language() == QLocale::C ? QLocale(QLocale::French, QLocale::France) : locale;
}

} // namespace

void NameOrder::CollatorCloser::operator()(UCollator *collator) const {
    ucol_close(collator);
}

NameOrder::NameOrder() : NameOrder(collationLocale()) {}

NameOrder::NameOrder(const QLocale &locale)
    : m_collator(collatingLocale(locale)), m_keyCollator(openCollator(collatingLocale(locale))) {
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setIgnorePunctuation(false);
}

NameOrder::~NameOrder() = default;

QLocale NameOrder::collationLocale() {
    return collatingLocale(QLocale());
}

QString NameOrder::decode(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

std::size_t NameOrder::writeKey(std::string_view name, unsigned char *out,
                                std::size_t capacity) const {
    if (capacity >= AsciiKeys::maxKeyLength(name.size())) {
        if (!m_ascii)
            m_ascii = std::make_unique<AsciiKeys>(m_keyCollator.get());
        if (const std::size_t length = m_ascii->write(name, out))
            return length;
    }
    // Decoded as QString::fromUtf8 decodes, so that an invalid byte reads as the same U+FFFD.
    const auto size = static_cast<qsizetype>(name.size());
    m_text.resize(static_cast<std::size_t>(m_decoder.requiredSpace(size)));
    const QChar *end = m_decoder.appendToBuffer(m_text.data(), QByteArrayView(name.data(), size));
    const auto units = static_cast<int32_t>(end - m_text.data());
    const int32_t length =
        ucol_getSortKey(m_keyCollator.get(), reinterpret_cast<const UChar *>(m_text.data()), units,
                        out, static_cast<int32_t>(std::min<std::size_t>(capacity, INT32_MAX)));
    if (length <= 0)
        throw std::bad_alloc(); // the collator's only failure here
    return static_cast<std::size_t>(length);
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
