#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/native.h"
#include "platform/run_time_error.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedWorkingDirectory;
using testing::TempDir;
using testing::wait_for_file;

// A folder with a program to start: touch.sh leaves the file its first argument names.
class StartFolder : public ::testing::Test {
protected:
    TempDir dir;
    ScopedWorkingDirectory in_dir{dir.path()};

    void SetUp() override { fs::permissions(dir.write("touch.sh", "#!/bin/sh\n: > \"$1\"\n"), fs::perms::owner_all); }

    static void reap(double task_id) { ::waitpid(static_cast<pid_t>(task_id), nullptr, 0); }
};

TEST_F(StartFolder, StartsTheProgramWithItsArguments) {
    const double task_id = NativeProgramStart().start("./touch.sh 'started here'");
    EXPECT_GT(task_id, 0);
    EXPECT_TRUE(wait_for_file(dir.path() / "started here"));
    reap(task_id);
}

struct StartFailure {
    const char* name;
    std::string command_line;
    ErrorNumber error;
};

class CannotStart : public StartFolder, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(CannotStart, RaisesAndStartsNothing) {
    try {
        reap(NativeProgramStart().start(GetParam().command_line));
        FAIL() << "started";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(GetParam().error)) << error.description();
    }
    EXPECT_FALSE(fs::exists(dir.path() / "marker"));
}

// Each would leave `marker` if it started: a name without a slash is looked
// for along PATH only, never in the working folder, and a command line that
// cannot be split is not guessed at. Directories, files without the right to
// run and scripts without an interpreter line are rows of the bad-input table.
INSTANTIATE_TEST_SUITE_P(Cases, CannotStart,
                         ::testing::Values(StartFailure{"working_folder_is_not_on_path", "touch.sh marker",
                                                        ErrorNumber::FileNotFound},
                                           StartFailure{"unclosed_double_quote", "./touch.sh marker \"x",
                                                        ErrorNumber::InvalidArgument}),
                         testing::CaseName());

// Unquoted, so that a shell would run the substitution and the command after ';'.
TEST_F(StartFolder, ShellSyntaxReachesTheProgramAsPlainWords) {
    const double task_id = NativeProgramStart().start("./touch.sh $(:>marker);:");
    EXPECT_TRUE(wait_for_file(dir.path() / "$(:>marker);:"));
    reap(task_id);
    EXPECT_FALSE(fs::exists(dir.path() / "marker"));
}

}  // namespace
}  // namespace mirutoka::platform
