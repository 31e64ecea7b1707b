#include "gate/field_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/case_name.h"
#include "support/fakes.h"

namespace mirutoka::gate {
namespace {

using platform::ErrorNumber;
using platform::RunTimeError;
using testing::FakeFiles;
using testing::MemoryFile;
using namespace std::string_literals;

struct SyntaxCase {
    const char* name;
    std::string content;
    std::vector<std::string> fields;  // after these, the next read hits the end of the data
};

const std::vector<SyntaxCase> syntax_cases = {
    {"lines_end_with_lf", "pw\ncmd\n", {"pw", "cmd"}},
    {"lines_end_with_crlf", "pw\r\ncmd\r\n", {"pw", "cmd"}},
    {"lines_end_with_lone_cr", "pw\rcmd\r", {"pw", "cmd"}},
    {"both_on_one_line", "pw,cmd", {"pw", "cmd"}},
    {"last_line_without_line_end", "pw\r\ncmd arg", {"pw", "cmd arg"}},
    {"leading_blanks_and_tabs_skipped", "  \tpw\n \t cmd", {"pw", "cmd"}},
    {"trailing_blanks_of_unquoted_dropped", "pw \t ,cmd  \r\n", {"pw", "cmd"}},
    {"inner_blanks_kept", "pass word,my game", {"pass word", "my game"}},
    {"quoted_keeps_blanks", "\"  pw  \"\n\" cmd \"", {"  pw  ", " cmd "}},
    {"quoted_comma_is_text", "\"a,b\",cmd", {"a,b", "cmd"}},
    {"quoted_then_line_end", "\"a,b\"\r\ncmd", {"a,b", "cmd"}},
    {"quoted_line_end_is_text", "\"a\r\nb\",cmd", {"a\r\nb", "cmd"}},
    {"text_after_closing_quote_ignored", "\"pw\" junk,cmd", {"pw", "cmd"}},
    {"quote_inside_unquoted_is_text", "p\"w,cmd", {"p\"w", "cmd"}},
    {"empty_quoted_field", "\"\",cmd", {"", "cmd"}},
    {"leading_comma_gives_empty_field", ",cmd", {"", "cmd"}},
    {"blank_line_gives_empty_field", "\ncmd", {"", "cmd"}},
    {"blank_crlf_line_gives_empty_field", "pw\r\n\r\ncmd", {"pw", "", "cmd"}},
    {"comma_before_line_end", "pw,\ncmd", {"pw", "", "cmd"}},
    {"unclosed_quote_runs_to_end", "pw,\"my game", {"pw", "my game"}},
    {"lone_quote", "\"", {""}},
    {"section_header_is_a_field", "[pass]\npw", {"[pass]", "pw"}},
    {"empty_file", "", {}},
    {"only_blanks", " \t ", {}},
    {"one_line_only", "pw\n", {"pw"}},
    {"nul_bytes_are_text", "p\0w,c\0md"s, {"p\0w"s, "c\0md"s}},
    {"utf8_japanese", "パスワード\r\nゲーム.exe", {"パスワード", "ゲーム.exe"}},
    {"full_width_blank_is_text", "\u3000pw\u3000,cmd", {"\u3000pw\u3000", "cmd"}},
    {"utf8_bom_skipped", "\xEF\xBB\xBFpw,cmd", {"pw", "cmd"}},
    {"utf8_bom_alone", "\xEF\xBB\xBF", {}},
    {"bom_only_at_start", "pw,\xEF\xBB\xBF" "cmd", {"pw", "\xEF\xBB\xBF" "cmd"}},
    {"code_page_text_goes_to_the_platform", "\x83\x70\x83\x58,cmd", {"legacy:\x83\x70\x83\x58", "cmd"}},
    {"each_unmarked_field_decided_on_its_own", "パス,\x83\x70", {"パス", "legacy:\x83\x70"}},
    {"legacy_text_that_happens_to_be_utf8", "\xC3\xBD,cmd", {"\xC3\xBD", "cmd"}},
    // The limit counts the value, not the blanks dropped after it.
    {"trailing_blanks_past_the_limit_dropped", "a" + std::string(65'536, ' ') + ",cmd", {"a", "cmd"}},
    {"value_at_the_limit_then_blanks", std::string(65'536, 'a') + " \t,cmd", {std::string(65'536, 'a'), "cmd"}},
    {"utf16le_bom", "\xFF\xFEp\0w\0,\0c\0m\0d\0\r\0\n\0"s, {"pw", "cmd"}},
    {"utf16be_japanese", "\xFE\xFF\x30\xD1\x30\xB9\0,\0x"s, {"パス", "x"}},
    {"utf16_surrogate_pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, {"\U0001F600"}},
    {"utf16_bom_alone", "\xFF\xFE", {}},
};

class FieldSyntax : public ::testing::TestWithParam<std::tuple<SyntaxCase, std::size_t>> {};

TEST_P(FieldSyntax, ReadsFieldsThenEndOfData) {
    const auto& [syntax, chunk] = GetParam();
    FakeFiles files;
    MemoryFile file(syntax.content, chunk);
    FieldReader reader(file, files);
    for (const std::string& expected : syntax.fields) EXPECT_EQ(reader.read_field(), expected);
    try {
        reader.read_field();
        FAIL() << "read past the end of the data";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(ErrorNumber::InputPastEndOfFile));
    }
}

INSTANTIATE_TEST_SUITE_P(ByteAtATimeAndWhole, FieldSyntax,
                         ::testing::Combine(::testing::ValuesIn(syntax_cases), ::testing::Values(1, 4096)),
                         [](const auto& param_info) {
                             return std::string(std::get<0>(param_info.param).name) + "_" +
                                    std::to_string(std::get<1>(param_info.param));
                         });

struct BrokenCase {
    const char* name;
    std::string content;
    int good_fields;  // fields that read before the error
    ErrorNumber error;
};

const std::vector<BrokenCase> broken_cases = {
    {"invalid_utf8_after_utf8_bom", "\xEF\xBB\xBFok,\x83\x70", 1, ErrorNumber::InvalidArgument},
    {"utf16_odd_byte", "\xFF\xFEp\0w"s, 0, ErrorNumber::InvalidArgument},
    {"utf16_lone_low_surrogate", "\xFF\xFE\x00\xDC"s, 0, ErrorNumber::InvalidArgument},
    {"utf16_high_surrogate_then_letter", "\xFF\xFE\x3D\xD8p\0"s, 0, ErrorNumber::InvalidArgument},
    // The README promises 64 KiB, so the cases count it out rather than trust the constant.
    {"field_one_byte_too_long", std::string(65'537, 'a'), 0, ErrorNumber::StringTooLong},
    {"quoted_field_too_long", "pw,\"" + std::string(65'537, ' '), 1, ErrorNumber::StringTooLong},
    {"inner_blanks_past_the_limit", "a" + std::string(65'536, ' ') + "b", 0, ErrorNumber::StringTooLong},
};

class BrokenFile : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, RaisesRunTimeError) {
    const BrokenCase& broken = GetParam();
    FakeFiles files;
    MemoryFile file(broken.content, 7);
    FieldReader reader(file, files);
    for (int i = 0; i < broken.good_fields; ++i) reader.read_field();
    try {
        reader.read_field();
        FAIL() << "no error";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(broken.error));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenFile, ::testing::ValuesIn(broken_cases),
                         testing::CaseName());

// A file that never ends: `start`, then `filler` for ever. However it goes
// on, before a field, inside it or after it, the reader stops at the limit.
class EndlessFile final : public platform::InputFile {
public:
    EndlessFile(std::string start, char filler) : start_(std::move(start)), filler_(filler) {}
    std::size_t bytes_read = 0;
    std::size_t read(std::span<char> buffer) override {
        std::fill(buffer.begin(), buffer.end(), filler_);
        const std::size_t from_start = std::min(buffer.size(), start_.size() - std::min(start_.size(), bytes_read));
        std::copy_n(start_.end() - static_cast<std::ptrdiff_t>(from_start), from_start, buffer.begin());
        bytes_read += buffer.size();
        return buffer.size();
    }

private:
    std::string start_;
    char filler_;
};

struct EndlessCase {
    const char* name;
    std::string start;
    char filler;
};

const std::vector<EndlessCase> endless_cases = {
    {"blanks_before_a_field", "", ' '},
    {"an_unquoted_value", "", 'x'},
    {"blanks_after_an_unquoted_value", "pw", '\t'},
    {"a_quoted_value", "\"", 'x'},
    {"text_after_a_closing_quote", "\"pw\"", 'x'},
    {"a_sparse_file_after_a_closing_quote", "\"pw\"", '\0'},
};

class EndlessFileCase : public ::testing::TestWithParam<EndlessCase> {};

TEST_P(EndlessFileCase, IsReadNoFurtherThanTheLimit) {
    FakeFiles files;
    EndlessFile file(GetParam().start, GetParam().filler);
    FieldReader reader(file, files);
    try {
        reader.read_field();
        FAIL() << "no error";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(ErrorNumber::StringTooLong));
    }
    EXPECT_LT(file.bytes_read, max_field_length + 8192);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndlessFileCase, ::testing::ValuesIn(endless_cases), testing::CaseName());

// What the reader still holds of the file (here all after the first field)
// is wiped as it goes: its storage is looked at once it is gone.
TEST(FieldReader, WipesWhatItStillHoldsAsItGoes) {
    FakeFiles files;
    MemoryFile file("pw,left-in-the-buffer\n", 4096);
    alignas(FieldReader) std::array<std::byte, sizeof(FieldReader)> storage{};
    const auto held = [&storage] {
        return std::string_view(reinterpret_cast<const char*>(storage.data()), storage.size()).find("left-in") !=
               std::string_view::npos;
    };
    FieldReader* reader = std::construct_at(reinterpret_cast<FieldReader*>(storage.data()), file, files);
    EXPECT_EQ(reader->read_field(), "pw");
    ASSERT_TRUE(held()) << "the rest of the file is in the reader's own buffer";
    std::destroy_at(reader);
    EXPECT_FALSE(held());
}

}  // namespace
}  // namespace mirutoka::gate
