#pragma once

#include <string>
#include <string_view>

#include "platform/secrets.h"

// Windows speaks UTF-16; the rest of the program speaks UTF-8.
namespace mirutoka::platform {

std::wstring to_wide(std::string_view utf8);
std::string to_utf8(std::wstring_view wide);

// A secret of the system's UTF-16 as UTF-8, with no copy left behind.
[[nodiscard]] SecretText secret_utf8(const Secret<wchar_t>& wide);

// The code page an unmarked field that is not UTF-8 is read in: the system's
// ANSI code page, except where that is UTF-8 itself (Windows 10 and 11 can
// be set so), where the program, which is Japanese, reads CP932.
[[nodiscard]] unsigned legacy_code_page(unsigned ansi_code_page);

// `bytes` in `code_page`, as UTF-8, with no copy left behind. Throws
// RunTimeError when they are not valid text there.
[[nodiscard]] SecretText decode_in_code_page(std::string_view bytes, unsigned code_page);

}  // namespace mirutoka::platform
