#pragma once

// Path texts on Windows are WTF-8: UTF-8 that may also carry unpaired surrogates, each written
// as the three bytes of its code point. Windows names are sequences of 16-bit units that need
// not be valid UTF-16; WTF-8 gives every one of them a text of its own, so a name listed by the
// system comes back to that same name. The system calls take UTF-16.

#include <optional>
#include <string>
#include <string_view>

namespace quervelle::widetext {

// The 16-bit units of a WTF-8 text; none when the text is not WTF-8: a byte that cannot start
// or continue a sequence, a sequence cut short, an overlong form, a code point beyond U+10FFFF,
// or a surrogate pair written as two three-byte sequences (its one form is the four-byte one).
// Nothing is ever replaced.
std::optional<std::wstring> fromWtf8(std::string_view text);

// The WTF-8 text of 16-bit units: a surrogate pair as its four bytes, an unpaired surrogate as
// three. Never fails.
std::string toWtf8(std::wstring_view text);

} // namespace quervelle::widetext
