#include "platform/controls/icu/keywriter.h"

#include "platform/controls/icu/latinkeys.h"

#include <QLocale>

#include <unicode/ucol.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

namespace quervelle {

// The settings QCollator gives ICU for the same collation: with case ignored, the secondary
// strength (accents count, case does not), else the locale's own; numbers by value or digit by
// digit; punctuation compared or skipped; canonical equivalents equal.
CollatorHandle openCollator(const Collation &collation) {
    const QByteArray name = collation.locale.bcp47Name().toLatin1().replace('-', '_');
    UErrorCode status = U_ZERO_ERROR;
    CollatorHandle collator(ucol_open(name.constData(), &status));
    if (U_FAILURE(status))
        throw std::runtime_error("no collator for the locale " + name.toStdString());
    const auto onIf = [](bool on) { return on ? UCOL_ON : UCOL_OFF; };
    UCollator *c = collator.get();
    ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(c, UCOL_STRENGTH,
                      collation.caseSensitivity == Qt::CaseInsensitive ? UCOL_SECONDARY
                                                                       : UCOL_DEFAULT_STRENGTH,
                      &status);
    ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, onIf(collation.numbersByValue), &status);
    ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING,
                      collation.ignorePunctuation ? UCOL_SHIFTED : UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status))
        throw std::runtime_error("the collator refused the lists' settings");
    return collator;
}

void CollatorCloser::operator()(UCollator *collator) const {
    ucol_close(collator);
}

KeyWriter::KeyWriter(const Collation &collation) : m_collator(openCollator(collation)) {}

KeyWriter::~KeyWriter() = default;

std::size_t KeyWriter::write(std::string_view name, unsigned char *out, std::size_t capacity) {
    if (capacity >= LatinKeys::maxKeyLength(name.size())) {
        if (!m_latin)
            m_latin = std::make_unique<LatinKeys>(m_collator.get());
        if (const std::size_t length = m_latin->write(name, out))
            return length;
    }
    // Decoded as QString::fromUtf8 decodes, so that an invalid byte reads as the same U+FFFD.
    const auto size = static_cast<qsizetype>(name.size());
    m_text.resize(static_cast<std::size_t>(m_decoder.requiredSpace(size)));
    const QChar *end = m_decoder.appendToBuffer(m_text.data(), QByteArrayView(name.data(), size));
    const auto units = static_cast<int32_t>(end - m_text.data());
    const int32_t length =
        ucol_getSortKey(m_collator.get(), reinterpret_cast<const UChar *>(m_text.data()), units,
                        out, static_cast<int32_t>(std::min<std::size_t>(capacity, INT32_MAX)));
    if (length <= 0)
        throw std::bad_alloc(); // the collator's only failure here
    return static_cast<std::size_t>(length);
}

} // namespace quervelle
