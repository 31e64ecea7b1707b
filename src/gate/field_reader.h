#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/files.h"

namespace mirutoka::gate {

// The longest field the reader accepts, in bytes of its UTF-8 (or legacy) text.
inline constexpr std::size_t max_field_length = 64 * 1024;

// Reads the comma- and line-separated fields of a password file, one at a
// time, straight from the file; see the README for the exact syntax.
//
// Encoding: a UTF-8 or UTF-16 byte-order mark decides the file's encoding.
// Without one, each field is decoded on its own: valid UTF-8 as UTF-8, and
// anything else in the platform's legacy encoding (CP932 on Linux, the ANSI
// code page on Windows). Every delimiter is ASCII and
// no trail byte of CP932 or any other East Asian code page falls in the ASCII
// punctuation range, so the fields can be cut before they are decoded.
class FieldReader {
public:
    FieldReader(platform::InputFile& file, const platform::Files& files);
    FieldReader(const FieldReader&) = delete;
    FieldReader& operator=(const FieldReader&) = delete;
    ~FieldReader();  // wipes what it still holds of the file

    // The next field as UTF-8. Throws RunTimeError at the end of the data, for
    // a field over max_field_length, or for text that cannot be decoded.
    std::string read_field();

private:
    enum class Encoding { Undetected, Unmarked, Utf8, Utf16LittleEndian, Utf16BigEndian };

    // The file's text as a stream of bytes of UTF-8 or legacy text; UTF-16
    // files are turned into UTF-8 on the way.
    std::optional<char> peek();
    void advance();

    std::optional<unsigned char> peek_byte();
    std::optional<unsigned char> take_byte();
    void detect_encoding();
    bool skip_byte_order_mark(std::string_view mark);
    void decode_next_utf16_character();
    std::optional<char16_t> take_utf16_unit();

    void skip_blanks();
    void append(std::string& value, char c) const;
    std::string read_quoted();
    std::string read_unquoted();
    void skip_to_next_field();
    std::string decoded(std::string raw) const;

    platform::InputFile& file_;
    const platform::Files& files_;
    Encoding encoding_ = Encoding::Undetected;

    std::array<char, 4096> buffer_{};
    std::size_t buffer_begin_ = 0;
    std::size_t buffer_end_ = 0;
    bool at_end_of_file_ = false;

    std::string pending_;  // UTF-8 of a decoded UTF-16 character not yet consumed
    std::size_t pending_begin_ = 0;
};

}  // namespace mirutoka::gate
