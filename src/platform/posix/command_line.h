#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mirutoka::platform {

// Splits a command line into words the way a POSIX shell does, honouring
// single quotes, double quotes and backslashes, and nothing else: no variable,
// tilde, glob or command expansion, no redirection. Throws RunTimeError for
// an empty line, an unclosed quote, a trailing backslash or a NUL byte.
std::vector<std::string> split_command_line(std::string_view command_line);

}  // namespace mirutoka::platform
