#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/secrets.h"

namespace mirutoka::platform {

// A file opened for reading from its start; destroying it closes it.
class InputFile {
public:
    virtual ~InputFile() = default;

    // Fills the front of `buffer` and returns how many bytes it read; 0 at the end.
    // Throws RunTimeError when the read fails.
    virtual std::size_t read(std::span<char> buffer) = 0;
};

class Files {
public:
    virtual ~Files() = default;

    // Opens a regular file for sequential input, resolving a relative name
    // against the current working directory. Throws RunTimeError when it can't.
    [[nodiscard]] virtual std::unique_ptr<InputFile> open_for_input(const std::string& name) const = 0;

    // Turns text in the platform's legacy encoding into UTF-8: CP932 on Linux
    // (files written on a Japanese Windows system), the ANSI code page on
    // Windows. The text may be the password, so nothing on the way keeps a
    // copy. Throws RunTimeError when the bytes are not valid text.
    [[nodiscard]] virtual SecretText decode_legacy_text(std::string_view bytes) const = 0;
};

}  // namespace mirutoka::platform
