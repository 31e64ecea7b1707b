#include "gate/field_reader.h"

#include <span>
#include <string_view>

#include "platform/secrets.h"
#include "platform/utf8.h"
#include "platform/run_time_error.h"

namespace mirutoka::gate {
namespace {

using platform::Failure;
using platform::run_time_error;
using platform::SecretText;
using platform::is_high_surrogate;
using platform::is_low_surrogate;

constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16_little_endian_mark = "\xFF\xFE";
constexpr std::string_view utf16_big_endian_mark = "\xFE\xFF";

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }
constexpr bool is_delimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }

}  // namespace

FieldReader::FieldReader(platform::InputFile& file, const platform::Files& files) : file_(file), files_(files) {}

FieldReader::~FieldReader() { platform::wipe(buffer_); }

SecretText FieldReader::read_field() {
    skip_blanks();
    const std::optional<char> first = peek();
    if (!first) throw run_time_error(Failure::EndOfData);
    return decoded(*first == '"' ? read_quoted() : read_unquoted());
}

// A quoted field runs to the next quote, or to the end of the file when the
// quote is never closed; whatever follows the closing quote up to the next
// delimiter is not part of any field.
SecretText FieldReader::read_quoted() {
    advance();
    SecretText value;
    for (std::optional<char> c = peek(); c && *c != '"'; c = peek()) {
        append(value, *c);
        advance();
    }
    if (peek()) advance();
    skip_to_next_field();
    return value;
}

// An unquoted field runs to the next delimiter; blanks at its end are not part
// of it, and a quote inside it is an ordinary character. Blanks are held back
// until text follows them, so the length limit counts the value alone; those
// past the limit are only counted, as any text after them is too long anyway,
// and a run of them no longer than the limit.
SecretText FieldReader::read_unquoted() {
    SecretText value;
    SecretText blanks;
    std::size_t blank_run = 0;
    for (std::optional<char> c = peek(); c && !is_delimiter(*c); c = peek()) {
        if (!is_blank(*c)) {
            if (blank_run > blanks.size()) throw run_time_error(Failure::FieldTooLong);
            for (const char blank : blanks.view()) append(value, blank);
            blanks.clear();
            blank_run = 0;
            append(value, *c);
        } else if (++blank_run > max_field_length) {
            throw run_time_error(Failure::FieldTooLong);
        } else if (value.size() + blanks.size() < max_field_length) {
            blanks.push_back(*c);
        }
        advance();
    }
    skip_to_next_field();
    return value;
}

// What is skipped is bounded like a field, so that no file, however large or
// sparse, is read further than a field's length past its last field.
void FieldReader::skip_blanks() {
    std::size_t skipped = 0;
    for (std::optional<char> c = peek(); c && is_blank(*c); c = peek()) skip(skipped);
}

void FieldReader::skip(std::size_t& skipped) {
    if (++skipped > max_field_length) throw run_time_error(Failure::FieldTooLong);
    advance();
}

// Moves past the rest of the field and the delimiter that ends it; CR LF is one line end.
void FieldReader::skip_to_next_field() {
    std::size_t skipped = 0;
    std::optional<char> c = peek();
    for (; c && !is_delimiter(*c); c = peek()) skip(skipped);
    if (!c) return;
    advance();
    if (*c == '\r' && peek() == '\n') advance();
}

void FieldReader::append(SecretText& value, char c) const {
    if (value.size() >= max_field_length)
        throw run_time_error(Failure::FieldTooLong);
    value.push_back(c);
}

SecretText FieldReader::decoded(SecretText raw) const {
    switch (encoding_) {
    case Encoding::Unmarked:
        // What Notepad saves today is UTF-8 without a mark; a field of
        // legacy text is valid UTF-8 only by rare accident (ﾃｽ is C3 BD).
        if (platform::is_valid_utf8(raw.view())) return raw;
        return files_.decode_legacy_text(raw.view());
    case Encoding::Utf8:
        if (!platform::is_valid_utf8(raw.view())) throw run_time_error(Failure::UndecodableText);
        return raw;
    default:
        return raw;
    }
}

std::optional<char> FieldReader::peek() {
    if (encoding_ == Encoding::Undetected) detect_encoding();
    if (encoding_ == Encoding::Utf16LittleEndian || encoding_ == Encoding::Utf16BigEndian) {
        if (pending_begin_ == pending_.size()) decode_next_utf16_character();
        if (pending_begin_ == pending_.size()) return std::nullopt;
        return pending_.view()[pending_begin_];
    }
    const std::optional<unsigned char> byte = peek_byte();
    if (!byte) return std::nullopt;
    return static_cast<char>(*byte);
}

// What has been read is wiped at once, so no field outlives its reading here.
void FieldReader::advance() {
    if (encoding_ == Encoding::Utf16LittleEndian || encoding_ == Encoding::Utf16BigEndian)
        pending_.data()[pending_begin_++] = '\0';
    else
        buffer_[buffer_begin_++] = '\0';
}

std::optional<unsigned char> FieldReader::peek_byte() {
    if (buffer_begin_ == buffer_end_ && !at_end_of_file_) {
        buffer_begin_ = 0;
        buffer_end_ = file_.read(buffer_);
        at_end_of_file_ = buffer_end_ == 0;
    }
    if (buffer_begin_ == buffer_end_) return std::nullopt;
    return static_cast<unsigned char>(buffer_[buffer_begin_]);
}

std::optional<unsigned char> FieldReader::take_byte() {
    const std::optional<unsigned char> byte = peek_byte();
    if (byte) buffer_[buffer_begin_++] = '\0';
    return byte;
}

void FieldReader::detect_encoding() {
    constexpr std::size_t longest_mark = 3;
    while (buffer_end_ < longest_mark && !at_end_of_file_) {
        const std::size_t count = file_.read(std::span(buffer_).subspan(buffer_end_));
        at_end_of_file_ = count == 0;
        buffer_end_ += count;
    }
    if (skip_byte_order_mark(utf8_mark))
        encoding_ = Encoding::Utf8;
    else if (skip_byte_order_mark(utf16_little_endian_mark))
        encoding_ = Encoding::Utf16LittleEndian;
    else if (skip_byte_order_mark(utf16_big_endian_mark))
        encoding_ = Encoding::Utf16BigEndian;
    else
        encoding_ = Encoding::Unmarked;
}

bool FieldReader::skip_byte_order_mark(std::string_view mark) {
    if (!std::string_view(buffer_.data(), buffer_end_).starts_with(mark)) return false;
    buffer_begin_ = mark.size();
    return true;
}

std::optional<char16_t> FieldReader::take_utf16_unit() {
    const std::optional<unsigned char> first = take_byte();
    if (!first) return std::nullopt;
    const std::optional<unsigned char> second = take_byte();
    if (!second) throw run_time_error(Failure::UndecodableText);
    const bool little_endian = encoding_ == Encoding::Utf16LittleEndian;
    const unsigned high = little_endian ? *second : *first;
    const unsigned low = little_endian ? *first : *second;
    return static_cast<char16_t>((high << 8U) | low);
}

void FieldReader::decode_next_utf16_character() {
    pending_.clear();
    pending_begin_ = 0;
    const std::optional<char16_t> unit = take_utf16_unit();
    if (!unit) return;
    char32_t code_point = *unit;
    if (is_low_surrogate(code_point)) throw run_time_error(Failure::UndecodableText);
    if (is_high_surrogate(code_point)) {
        const std::optional<char16_t> low = take_utf16_unit();
        if (!low || !is_low_surrogate(*low)) throw run_time_error(Failure::UndecodableText);
        code_point = 0x10000 + ((code_point - 0xD800) << 10U) + (*low - 0xDC00U);
    }
    platform::append_utf8(pending_, code_point);
}

}  // namespace mirutoka::gate
