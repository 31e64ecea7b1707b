#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gate/ok_action.h"
#include "gate/password_file.h"
#include "platform/native.h"
#include "platform/run_time_error.h"
#include "support/case_name.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedWorkingDirectory;
using testing::TempDir;
using testing::wait_for_file;

// A folder of programs to start: touch.sh leaves the file named by its first
// argument, fds.sh writes where its descriptors lead.
class StartFolder : public ::testing::Test {
protected:
    TempDir dir;
    ScopedWorkingDirectory in_dir{dir.path()};

    void SetUp() override {
        script("touch.sh", "#!/bin/sh\n: > \"$1\"\n", fs::perms::owner_all);
        script("fds.sh", "#!/bin/sh\nls -l /proc/$$/fd > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n", fs::perms::owner_all);
        script("not_executable.sh", "#!/bin/sh\n: > marker\n", fs::perms::owner_read | fs::perms::owner_write);
        script("no_interpreter_line.sh", ": > marker\n", fs::perms::owner_all);
        fs::create_directory(dir.path() / "folder");
    }

    void script(const std::string& name, const std::string& text, fs::perms perms) const {
        fs::permissions(dir.write(name, text), perms);
    }

    static void reap(double task_id) { ::waitpid(static_cast<pid_t>(task_id), nullptr, 0); }
};

TEST_F(StartFolder, StartsTheProgramWithItsArguments) {
    const double task_id = NativeProgramStart().start("./touch.sh 'started here'");
    EXPECT_GT(task_id, 0);
    EXPECT_TRUE(wait_for_file(dir.path() / "started here"));
    reap(task_id);
}

TEST_F(StartFolder, TheProgramLeadsItsOwnSession) {
    const double task_id = NativeProgramStart().start("sleep 10");
    const auto pid = static_cast<pid_t>(task_id);
    EXPECT_EQ(::getsid(pid), pid);
    ::kill(pid, SIGKILL);
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

INSTANTIATE_TEST_SUITE_P(
    Cases, CannotStart,
    ::testing::Values(StartFailure{"missing_relative", "./nothing", ErrorNumber::FileNotFound},
                      StartFailure{"missing_on_path", "mirutoka-no-such-program --x", ErrorNumber::FileNotFound},
                      StartFailure{"directory", "./folder", ErrorNumber::PermissionDenied},
                      StartFailure{"not_executable", "./not_executable.sh", ErrorNumber::PermissionDenied},
                      StartFailure{"no_interpreter_line", "./no_interpreter_line.sh", ErrorNumber::InvalidArgument},
                      StartFailure{"empty", "", ErrorNumber::InvalidArgument},
                      StartFailure{"only_blanks", "   ", ErrorNumber::InvalidArgument}),
    testing::CaseName());

TEST_F(StartFolder, ShellSyntaxReachesTheProgramAsPlainWords) {
    const double task_id = NativeProgramStart().start("./touch.sh '$(: > marker)'");
    EXPECT_TRUE(wait_for_file(dir.path() / "$(: > marker)"));
    reap(task_id);
    EXPECT_FALSE(fs::exists(dir.path() / "marker"));
}

class RealGate : public StartFolder {
protected:
    NativeFiles files;
    NativeProgramStart program_start;
    testing::FakeMessageBoxes boxes;
    bool unloaded = false;

    void press_ok(const std::string& typed) {
        gate::Command1_Click({files, program_start, boxes}, {[typed] { return typed; }, [this] { unloaded = true; }});
    }
};

TEST_F(RealGate, RightPasswordStartsTheProgram) {
    dir.write(gate::password_file_name, "pw\r\n./touch.sh started\r\n");
    press_ok("pw");
    EXPECT_TRUE(wait_for_file(dir.path() / "started"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(unloaded);
}

TEST_F(RealGate, TheStartedProgramInheritsNoDescriptorOfOurs) {
    dir.write(gate::password_file_name, "pw\n./fds.sh fds.txt\n");
    press_ok("pw");
    ASSERT_TRUE(wait_for_file(dir.path() / "fds.txt"));
    std::stringstream listing;
    listing << std::ifstream(dir.path() / "fds.txt").rdbuf();
    EXPECT_EQ(listing.str().find(gate::password_file_name), std::string::npos) << listing.str();
}

TEST_F(RealGate, MissingProgramIsAnUntrappedError) {
    dir.write(gate::password_file_name, "pw\n./nothing\n");
    try {
        press_ok("pw");
        FAIL() << "no error";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(ErrorNumber::FileNotFound));
        EXPECT_NE(error.description().find("./nothing"), std::string::npos);
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(unloaded);
}

}  // namespace
}  // namespace mirutoka::platform
