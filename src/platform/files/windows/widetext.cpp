#include "platform/files/windows/widetext.h"

static_assert(sizeof(wchar_t) == 2, "Windows texts are 16-bit units");

namespace quervelle::widetext {

namespace {

bool isLead(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isTrail(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::optional<std::wstring> fromWtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    bool afterLead = false; // the code point before was an unpaired lead surrogate
    std::size_t i = 0;
    while (i < text.size()) {
        const auto first = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t point = 0;
        if (first < 0x80) {
            length = 1;
            point = first;
        } else if (first >= 0xC2 && first <= 0xDF) {
            length = 2;
            point = first & 0x1F;
        } else if (first >= 0xE0 && first <= 0xEF) {
            length = 3;
            point = first & 0x0F;
        } else if (first >= 0xF0 && first <= 0xF4) {
            length = 4;
            point = first & 0x07;
        } else {
            return std::nullopt;
        }
        if (length > text.size() - i)
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        if ((length == 3 && point < 0x800) ||
            (length == 4 && (point < 0x10000 || point > 0x10FFFF)))
            return std::nullopt;
        if (afterLead && isTrail(point))
            return std::nullopt;
        afterLead = isLead(point);
        if (point >= 0x10000) {
            point -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (point >> 10));
            out += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
        } else {
            out += static_cast<wchar_t>(point);
        }
        i += length;
    }
    return out;
}

std::string toWtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t point = static_cast<char16_t>(text[i]);
        if (isLead(point) && i + 1 < text.size() && isTrail(static_cast<char16_t>(text[i + 1]))) {
            point =
                0x10000 + ((point - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
            ++i;
        }
        if (point < 0x80) {
            out += static_cast<char>(point);
        } else if (point < 0x800) {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return out;
}

} // namespace quervelle::widetext
