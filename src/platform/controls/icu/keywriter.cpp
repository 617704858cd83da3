#include "platform/controls/icu/keywriter.h"

#include "platform/controls/icu/latinkeys.h"

#include <QLocale>

#include <unicode/ucol.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

namespace quervelle {

namespace {

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

} // namespace

void KeyWriter::CollatorCloser::operator()(UCollator *collator) const {
    ucol_close(collator);
}

KeyWriter::KeyWriter(const QLocale &locale) : m_collator(openCollator(locale)) {}

KeyWriter::~KeyWriter() = default;

KeyWriter &KeyWriter::of(const NameOrder &order) {
    std::unique_ptr<NameOrder::SortState> &state = order.sortState();
    if (!dynamic_cast<KeyWriter *>(state.get()))
        state = std::make_unique<KeyWriter>(order.collator().locale());
    return static_cast<KeyWriter &>(*state);
}

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
