#include "gate/ok_action.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gate/password_file.h"
#include "support/case_name.h"
#include "support/fakes.h"

namespace mirutoka::gate {
namespace {

using platform::ErrorNumber;
using platform::RunTimeError;
using namespace mirutoka::testing;
using namespace std::string_literals;

// What one press of OK did, as the user and the machine see it.
struct Outcome {
    std::vector<std::string> titles;
    std::vector<std::string> prompts;
    std::vector<std::string> started;
    std::optional<int> error;
    int open_on_return = -1;
};

class OkAction : public ::testing::Test {
protected:
    FakeFiles files;
    FakeProgramStart program_start;
    FakeMessageBoxes boxes;
    FakeErrorReport report;

    void password_file(const std::string& content) { files.contents[password_file_name] = content; }

    Outcome press_ok(const std::string& typed) {
        Command1_Click({files, program_start, boxes, report}, platform::SecretText(typed));
        Outcome outcome;
        outcome.open_on_return = files.open_now;
        if (!report.reported.empty()) outcome.error = report.reported.front().number();
        EXPECT_LE(report.reported.size(), 1U);
        for (const Message& message : boxes.shown) {
            outcome.titles.emplace_back(message.title);
            outcome.prompts.emplace_back(message.prompt);
        }
        outcome.started = program_start.started;
        return outcome;
    }
};

struct CheckCase {
    const char* name;
    std::string file;
    std::string typed;
    std::string started;  // empty: nothing may start, and M2 is shown
};

const std::vector<CheckCase> check_cases = {
    {"exact_match_starts", "secret\ngame --full", "secret", "game --full"},
    {"match_on_one_line", "secret,game", "secret", "game"},
    {"japanese_password", "パスワード\nゲーム", "パスワード", "ゲーム"},
    {"empty_password_from_leading_comma", ",game", "", "game"},
    {"quoted_password_keeps_blanks", "\" pw \",game", " pw ", "game"},
    {"quoted_password_with_comma", "\"a,b\"\ngame", "a,b", "game"},
    {"wrong_password", "secret\ngame", "guess", ""},
    {"letter_case_counts", "secret\ngame", "Secret", ""},
    {"typed_trailing_blank_counts", "secret\ngame", "secret ", ""},
    {"unquoted_leading_blanks_not_stored", "  secret\ngame", "  secret", ""},
    {"full_width_differs_from_half_width", "ＰＷ\ngame", "PW", ""},
    {"typed_prefix_is_not_enough", "secret\ngame", "secre", ""},
    {"stored_nul_after_the_typed_text_counts", "secret\0\ngame"s, "secret", ""},
    {"typed_nul_after_the_stored_text_counts", "secret\ngame", "secret\0"s, ""},
    {"field_two_unread_on_mismatch", "secret", "guess", ""},
    {"empty_typed_against_password", "secret\ngame", "", ""},
};

class PasswordCheck : public OkAction, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(PasswordCheck, StartsOnlyOnExactMatch) {
    const CheckCase& check = GetParam();
    password_file(check.file);
    const Outcome outcome = press_ok(check.typed);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.open_on_return, 0) << "the file must be closed before PASS unloads";
    if (check.started.empty()) {
        EXPECT_EQ(outcome.titles, std::vector<std::string>{"パスワード不一致"});
        EXPECT_EQ(outcome.prompts, std::vector<std::string>{"パスワードが一致しません"});
        EXPECT_TRUE(outcome.started.empty());
    } else {
        EXPECT_TRUE(outcome.titles.empty());
        EXPECT_EQ(outcome.started, std::vector<std::string>{check.started});
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordCheck, ::testing::ValuesIn(check_cases),
                         testing::CaseName());

TEST_F(OkAction, MissingFileShowsM3WithoutOpeningIt) {
    const Outcome outcome = press_ok("secret");
    EXPECT_EQ(outcome.titles, std::vector<std::string>{"エラー"});
    EXPECT_EQ(outcome.prompts, std::vector<std::string>{"パスワードファイルが見つかりません"});
    EXPECT_EQ(files.opens_attempted, 1) << "only the probe may try the file";
    EXPECT_TRUE(outcome.started.empty());
}

TEST_F(OkAction, TaskIdZeroShowsM1) {
    password_file("secret\ngame");
    program_start.task_id = 0;
    const Outcome outcome = press_ok("secret");
    EXPECT_EQ(outcome.titles, std::vector<std::string>{"実行失敗"});
    EXPECT_EQ(outcome.prompts, std::vector<std::string>{"プログラムが実行されませんでした"});
    EXPECT_EQ(outcome.open_on_return, 0);
}

struct FailureCase {
    const char* name;
    std::string file;
    std::optional<RunTimeError> start_failure;
    ErrorNumber error;
};

const std::vector<FailureCase> failure_cases = {
    {"empty_file", "", std::nullopt, ErrorNumber::InputPastEndOfFile},
    {"only_the_password", "secret\r\n", std::nullopt, ErrorNumber::InputPastEndOfFile},
    {"program_cannot_start", "secret\nmissing",
     RunTimeError(ErrorNumber::FileNotFound, "プログラムが見つかりません: missing"), ErrorNumber::FileNotFound},
};

class UntrappedFailure : public OkAction, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UntrappedFailure, IsReportedAtOnceWithoutMessage) {
    const FailureCase& failure = GetParam();
    password_file(failure.file);
    program_start.failure = failure.start_failure;
    const Outcome outcome = press_ok("secret");
    EXPECT_EQ(outcome.error, static_cast<int>(failure.error));
    EXPECT_TRUE(outcome.titles.empty());
    EXPECT_TRUE(outcome.started.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, UntrappedFailure, ::testing::ValuesIn(failure_cases),
                         testing::CaseName());

TEST_F(OkAction, FileVanishingAfterTheProbeIsAnUntrappedError) {
    password_file("secret\ngame");
    files.vanish_after_opens = 1;
    const Outcome outcome = press_ok("secret");
    EXPECT_EQ(outcome.error, static_cast<int>(ErrorNumber::FileNotFound));
    EXPECT_TRUE(outcome.titles.empty());
}

TEST(FileOk, ReturnsZeroOrOneNeverThrows) {
    FakeFiles files;
    files.contents["EMPTY.INI"] = "";
    EXPECT_EQ(File_Ok(files, "EMPTY.INI"), 0);
    EXPECT_EQ(File_Ok(files, "PASSWORD.INI"), 1);
    EXPECT_EQ(files.open_now, 0) << "the probe must close what it opened";
}

}  // namespace
}  // namespace mirutoka::gate
