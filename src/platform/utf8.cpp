#include "platform/utf8.h"

#include <cstddef>
#include <cwchar>

namespace mirutoka::platform {
namespace {

struct Sequence {
    std::size_t length;
    char32_t lead_bits;
    char32_t smallest;
};

constexpr bool is_surrogate(char32_t code_point) { return code_point >= 0xD800 && code_point <= 0xDFFF; }

// Length, payload and shortest legal value of the sequence a lead byte opens.
constexpr Sequence sequence_for(unsigned char lead) {
    if ((lead & 0xE0U) == 0xC0U) return {2, lead & 0x1FU, 0x80};
    if ((lead & 0xF0U) == 0xE0U) return {3, lead & 0x0FU, 0x800};
    if ((lead & 0xF8U) == 0xF0U) return {4, lead & 0x07U, 0x10000};
    return {0, 0, 0};
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80U) {
            ++i;
            continue;
        }
        const Sequence sequence = sequence_for(lead);
        if (sequence.length == 0 || text.size() - i < sequence.length) return false;
        char32_t code_point = sequence.lead_bits;
        for (std::size_t k = 1; k < sequence.length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0U) != 0x80U) return false;
            code_point = (code_point << 6U) | (next & 0x3FU);
        }
        if (code_point < sequence.smallest || code_point > 0x10FFFF || is_surrogate(code_point)) return false;
        i += sequence.length;
    }
    return true;
}

template <typename Unit>
SecretText utf8_from_utf16(std::basic_string_view<Unit> utf16) {
    static_assert(sizeof(Unit) == 2, "UTF-16 code units");
    const auto unit = [&utf16](std::size_t i) { return static_cast<char32_t>(static_cast<char16_t>(utf16[i])); };
    SecretText text;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code_point = unit(i);
        if (is_high_surrogate(code_point) && i + 1 < utf16.size() && is_low_surrogate(unit(i + 1)))
            code_point = 0x10000 + ((code_point - 0xD800) << 10U) + (unit(++i) - 0xDC00U);
        else if (is_surrogate(code_point))
            code_point = 0xFFFD;
        append_utf8(text, code_point);
    }
    return text;
}

template SecretText utf8_from_utf16(std::u16string_view utf16);
#if WCHAR_MAX == 0xFFFF
template SecretText utf8_from_utf16(std::wstring_view utf16);
#endif

}  // namespace mirutoka::platform
