#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/native.h"
#include "platform/run_time_error.h"
#include "platform/win32/program_folder.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedWorkingDirectory;
using testing::TempDir;
using testing::wait_for_file;

using testing::test_program_folder;

// touch_marker.exe, copied into a folder whose name holds a blank.
class StartFolder : public ::testing::Test {
protected:
    TempDir dir;
    ScopedWorkingDirectory in_dir{dir.path()};
    fs::path program = dir.path() / "My Game" / "touch_marker.exe";

    void SetUp() override {
        fs::create_directory(program.parent_path());
        fs::copy_file(test_program_folder() / "touch_marker.exe", program);
    }
};

TEST_F(StartFolder, StartsAQuotedPath) {
    std::string line = "\"";  // built up piece by piece: GCC 12 misreads "x" + s + "y" here
    line += program.string();
    line += "\" started";
    const double task_id = NativeProgramStart().start(line);
    EXPECT_GT(task_id, 0);
    EXPECT_TRUE(wait_for_file(dir.path() / "started"));
}

TEST_F(StartFolder, StartsAnUnquotedPathWithBlanks) {
    NativeProgramStart().start(program.string() + " unquoted");
    EXPECT_TRUE(wait_for_file(dir.path() / "unquoted"));
}

struct StartFailure {
    const char* name;
    std::string command_line;
    ErrorNumber error;
};

class CannotStart : public StartFolder, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(CannotStart, Raises) {
    try {
        NativeProgramStart().start(GetParam().command_line);
        FAIL() << "started";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(GetParam().error)) << error.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CannotStart,
                         ::testing::Values(StartFailure{"missing", "no_such_program.exe", ErrorNumber::FileNotFound},
                                           StartFailure{"missing_folder", "C:\\no\\such\\game.exe", ErrorNumber::FileNotFound},
                                           StartFailure{"empty", "", ErrorNumber::InvalidArgument},
                                           StartFailure{"only_blanks", " \t", ErrorNumber::InvalidArgument}),
                         testing::CaseName());

}  // namespace
}  // namespace mirutoka::platform
