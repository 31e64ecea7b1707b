#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "gate/field_reader.h"
#include "gate/password_file.h"
#include "platform/native.h"
#include "platform/run_time_error.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

namespace fs = std::filesystem;
using gate::File_Ok;
using gate::password_file_name;
using testing::ScopedWorkingDirectory;
using testing::TempDir;

struct ProbeCase {
    const char* name;
    std::function<void(const fs::path& file)> make;
    std::int16_t expected;
};

class Probe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, OpensARegularFileInTheWorkingDirectory) {
    const TempDir dir;
    GetParam().make(dir.path() / password_file_name);
    const ScopedWorkingDirectory in_dir(dir.path());
    EXPECT_EQ(File_Ok(NativeFiles(), password_file_name), GetParam().expected);
}

// What must not open is in the bad-input table; these are what must.
INSTANTIATE_TEST_SUITE_P(
    Cases, Probe,
    ::testing::Values(
        ProbeCase{"empty_file", [](const fs::path& file) { std::ofstream{file}; }, 0},
        ProbeCase{"readable_file", [](const fs::path& file) { std::ofstream{file} << "pw\ncmd\n"; }, 0},
        ProbeCase{"link_to_readable_file",
                  [](const fs::path& file) {
                      std::ofstream{file.parent_path() / "real.ini"} << "pw";
                      fs::create_symlink("real.ini", file);
                  },
                  0},
        ProbeCase{"missing", [](const fs::path&) {}, 1}),
    testing::CaseName());

// A PASSWORD.INI beside this very program, none in the working folder.
TEST(Probe, LooksInTheWorkingDirectoryNotBesideTheProgram) {
    const fs::path beside_the_program = fs::read_symlink("/proc/self/exe").parent_path() / password_file_name;
    ASSERT_FALSE(fs::exists(beside_the_program));
    struct Removed {
        fs::path file;
        ~Removed() { fs::remove(file); }
    } const removed{beside_the_program};
    std::ofstream(beside_the_program) << "pw\ncmd";
    const TempDir working_folder;
    const ScopedWorkingDirectory in_dir(working_folder.path());
    EXPECT_EQ(File_Ok(NativeFiles(), password_file_name), 1);
}

// Opening a terminal device makes it the controlling terminal of a session
// leader that has none, unless it is opened with O_NOCTTY; a PASSWORD.INI
// that is one must not give mirutoka (and the program it starts) a terminal.
TEST(Probe, GivesNoControllingTerminalThroughAFileThatIsATerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const TempDir dir;
    fs::create_symlink(::ptsname(master), dir.path() / password_file_name);
    const ScopedWorkingDirectory in_dir(dir.path());
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const std::int16_t probe = File_Ok(NativeFiles(), password_file_name);
        ::_exit(probe == 1 && ::open("/dev/tty", O_RDONLY | O_NOCTTY) < 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the session got a controlling terminal";
}

TEST(OpenForInput, NamesTheErrorOfAMissingFile) {
    const TempDir dir;
    const ScopedWorkingDirectory in_dir(dir.path());
    try {
        (void)NativeFiles().open_for_input(password_file_name);
        FAIL() << "opened";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), static_cast<int>(ErrorNumber::FileNotFound));
        EXPECT_NE(error.description().find(password_file_name), std::string::npos);
    }
}

struct UnmarkedCase {
    const char* name;
    std::string bytes;
    std::string text;  // empty: the bytes are neither UTF-8 nor CP932
};

class UnmarkedText : public ::testing::TestWithParam<UnmarkedCase> {};

TEST_P(UnmarkedText, DecodesCp932) {
    if (GetParam().text.empty()) {
        EXPECT_THROW((void)NativeFiles().decode_legacy_text(GetParam().bytes), RunTimeError);
    } else {
        EXPECT_EQ(NativeFiles().decode_legacy_text(GetParam().bytes), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnmarkedText,
                         ::testing::Values(UnmarkedCase{"katakana", "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68", "パスワード"},
                                           UnmarkedCase{"trail_byte_is_backslash", "\x83\x5C", "ソ"},
                                           UnmarkedCase{"half_width_kana", "\xB1\xB2\xB3", "ｱｲｳ"},
                                           UnmarkedCase{"nec_special", "\x87\x40", "①"},
                                           // As Windows' code page 932 reads them; 0x80 after a lead byte is a trail byte.
                                           UnmarkedCase{"windows_only_single_bytes", "a\x80\xA0\xFD\xFE\xFFz",
                                                        "a\u0080\uF8F0\uF8F1\uF8F2\uF8F3z"},
                                           UnmarkedCase{"trail_byte_0x80", "\x81\x80\xFF", "÷\uF8F3"},
                                           UnmarkedCase{"lead_byte_alone", "\x83", ""},
                                           UnmarkedCase{"lead_byte_then_blank", "\x83 ", ""}),
                         testing::CaseName());

TEST(PasswordFile, ReadsAJapaneseWindowsFile) {
    const TempDir dir;
    dir.write(password_file_name, "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68\r\nC:\\\x83\x5C\x83\x74\x83\x67\\game.exe\r\n");
    const ScopedWorkingDirectory in_dir(dir.path());
    const NativeFiles files;
    const std::unique_ptr<InputFile> file = files.open_for_input(password_file_name);
    gate::FieldReader fields(*file, files);
    EXPECT_EQ(fields.read_field(), "パスワード");
    EXPECT_EQ(fields.read_field(), "C:\\ソフト\\game.exe");
}

}  // namespace
}  // namespace mirutoka::platform
