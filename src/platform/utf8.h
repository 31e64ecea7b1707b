#pragma once

#include <cwchar>
#include <string_view>

#include "platform/secrets.h"

namespace mirutoka::platform {

// Well-formed UTF-8 only: no overlong forms, no surrogates, nothing past U+10FFFF.
[[nodiscard]] bool is_valid_utf8(std::string_view text);

constexpr bool is_high_surrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool is_low_surrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// `text` is anything with push_back(char): a std::string or a SecretText.
template <typename Text>
void append_utf8(Text& text, char32_t code_point) {
    const auto byte = [&text](char32_t bits) { text.push_back(static_cast<char>(bits)); };
    if (code_point < 0x80) {
        byte(code_point);
    } else if (code_point < 0x800) {
        byte(0xC0U | (code_point >> 6U));
        byte(0x80U | (code_point & 0x3FU));
    } else if (code_point < 0x10000) {
        byte(0xE0U | (code_point >> 12U));
        byte(0x80U | ((code_point >> 6U) & 0x3FU));
        byte(0x80U | (code_point & 0x3FU));
    } else {
        byte(0xF0U | (code_point >> 18U));
        byte(0x80U | ((code_point >> 12U) & 0x3FU));
        byte(0x80U | ((code_point >> 6U) & 0x3FU));
        byte(0x80U | (code_point & 0x3FU));
    }
}

// The UTF-8 of a toolkit's or the system's UTF-16 text, with no copy on the
// way; an unpaired surrogate becomes U+FFFD, as the toolkits turn it too.
// The text comes as Qt hands it (char16_t) or as Windows does (wchar_t), each
// read as its own type.
template <typename Unit>
[[nodiscard]] SecretText utf8_from_utf16(std::basic_string_view<Unit> utf16);
extern template SecretText utf8_from_utf16(std::u16string_view utf16);
#if WCHAR_MAX == 0xFFFF
extern template SecretText utf8_from_utf16(std::wstring_view utf16);
#endif

}  // namespace mirutoka::platform
