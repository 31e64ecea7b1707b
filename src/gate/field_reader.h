#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/secrets.h"

namespace mirutoka::gate {

// The longest field the reader accepts, in bytes of its UTF-8 (or legacy) text.
inline constexpr std::size_t max_field_length = 64 * 1024;

// Reads the comma- and line-separated fields of a password file, one at a
// time, straight from the file; see the README for the exact syntax.
//
// Encoding: a UTF-8 or UTF-16 byte-order mark decides the file's encoding.
// Without one, each field is decoded on its own: valid UTF-8 as UTF-8, and
// anything else in the platform's legacy encoding (CP932 on Linux, the ANSI
// code page on Windows). The trail bytes of CP932 and the other East Asian
// code pages start at 0x40, above every delimiter, blank and quote, so the
// fields can be cut before they are decoded.
class FieldReader {
public:
    FieldReader(platform::InputFile& file, const platform::Files& files);
    FieldReader(const FieldReader&) = delete;
    FieldReader& operator=(const FieldReader&) = delete;
    ~FieldReader();  // wipes what it still holds of the file

    // The next field as UTF-8. Its bytes are wiped from the reader as they are
    // read, so a field (the password) is held nowhere but in what this returns.
    // Throws RunTimeError at the end of the data, for a field over
    // max_field_length, or for text that cannot be decoded.
    platform::SecretText read_field();

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
    void skip(std::size_t& skipped);
    void append(platform::SecretText& value, char c) const;
    platform::SecretText read_quoted();
    platform::SecretText read_unquoted();
    void skip_to_next_field();
    platform::SecretText decoded(platform::SecretText raw) const;

    platform::InputFile& file_;
    const platform::Files& files_;
    Encoding encoding_ = Encoding::Undetected;

    std::array<char, 4096> buffer_{};
    std::size_t buffer_begin_ = 0;
    std::size_t buffer_end_ = 0;
    bool at_end_of_file_ = false;

    platform::SecretText pending_;  // UTF-8 of a decoded UTF-16 character not yet consumed
    std::size_t pending_begin_ = 0;
};

}  // namespace mirutoka::gate
