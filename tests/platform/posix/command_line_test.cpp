#include "platform/posix/command_line.h"

#include <gtest/gtest.h>

#include "platform/run_time_error.h"
#include "support/case_name.h"

namespace mirutoka::platform {
namespace {

using namespace std::string_literals;

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> words;
};

class SplitCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, SplitsLikeAShellWithoutExpanding) {
    EXPECT_EQ(split_command_line(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLine,
    ::testing::Values(
        SplitCase{"one_word", "game", {"game"}},
        SplitCase{"blanks_separate", "  game \t--full  -v ", {"game", "--full", "-v"}},
        SplitCase{"single_quotes", "'/opt/My Game/run' 'a,b'", {"/opt/My Game/run", "a,b"}},
        SplitCase{"single_quotes_keep_backslash", R"('a\b')", {R"(a\b)"}},
        SplitCase{"double_quotes", R"("My Game" "say \"hi\"" "a\b")", {"My Game", R"(say "hi")", R"(a\b)"}},
        SplitCase{"backslash_escapes_blank", R"(My\ Game x\,y)", {"My Game", "x,y"}},
        SplitCase{"adjacent_parts_join", R"(a'b c'"d")", {"ab cd"}},
        SplitCase{"empty_quotes_are_a_word", "prog '' \"\"", {"prog", "", ""}},
        SplitCase{"nothing_expands", "echo $HOME ~ * `id` $(id) ; | > x", {"echo", "$HOME", "~", "*", "`id`", "$(id)", ";", "|", ">", "x"}},
        SplitCase{"japanese", "ゲーム 'ファイル 1'", {"ゲーム", "ファイル 1"}}),
    testing::CaseName());

struct BadLineCase {
    const char* name;
    std::string line;
};

class UnsplittableCommandLine : public ::testing::TestWithParam<BadLineCase> {};

TEST_P(UnsplittableCommandLine, RaisesInvalidArgument) {
    try {
        split_command_line(GetParam().line);
        FAIL() << "split";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(ErrorNumber::InvalidArgument));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnsplittableCommandLine,
                         ::testing::Values(BadLineCase{"empty", ""}, BadLineCase{"only_blanks", " \t "},
                                           BadLineCase{"open_single_quote", "'game"},
                                           BadLineCase{"open_double_quote", "\"game"},
                                           BadLineCase{"trailing_backslash", "game\\"},
                                           BadLineCase{"nul_byte", "game\0x"s}),
                         testing::CaseName());

}  // namespace
}  // namespace mirutoka::platform
