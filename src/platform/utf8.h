#pragma once

#include <string>
#include <string_view>

namespace mirutoka::platform {

// Well-formed UTF-8 only: no overlong forms, no surrogates, nothing past U+10FFFF.
[[nodiscard]] bool is_valid_utf8(std::string_view text);

void append_utf8(std::string& text, char32_t code_point);

}  // namespace mirutoka::platform
