#pragma once

#include <string>
#include <string_view>

// Windows speaks UTF-16; the rest of the program speaks UTF-8.
namespace mirutoka::platform {

std::wstring to_wide(std::string_view utf8);
std::string to_utf8(std::wstring_view wide);

}  // namespace mirutoka::platform
