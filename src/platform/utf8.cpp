#include "platform/utf8.h"

#include <cstddef>

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

void append_utf8(std::string& text, char32_t code_point) {
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

}  // namespace mirutoka::platform
