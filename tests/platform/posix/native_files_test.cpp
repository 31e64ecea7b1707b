#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
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

void make_socket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

struct ProbeCase {
    const char* name;
    std::function<void(const fs::path& file)> make;
    std::int16_t expected;
};

class Probe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, OpensOnlyARegularReadableFileInTheWorkingDirectory) {
    const TempDir dir;
    GetParam().make(dir.path() / password_file_name);
    const ScopedWorkingDirectory in_dir(dir.path());
    EXPECT_EQ(File_Ok(NativeFiles(), password_file_name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Probe,
    ::testing::Values(
        ProbeCase{"missing", [](const fs::path&) {}, 1},
        ProbeCase{"empty_file", [](const fs::path& file) { std::ofstream{file}; }, 0},
        ProbeCase{"readable_file", [](const fs::path& file) { std::ofstream{file} << "pw\ncmd\n"; }, 0},
        ProbeCase{"link_to_readable_file",
                  [](const fs::path& file) {
                      std::ofstream{file.parent_path() / "real.ini"} << "pw";
                      fs::create_symlink("real.ini", file);
                  },
                  0},
        ProbeCase{"directory", [](const fs::path& file) { fs::create_directory(file); }, 1},
        ProbeCase{"fifo", [](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, 1},
        ProbeCase{"socket", make_socket, 1},
        ProbeCase{"link_to_dev_zero", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }, 1},
        ProbeCase{"link_to_dev_urandom", [](const fs::path& file) { fs::create_symlink("/dev/urandom", file); }, 1},
        ProbeCase{"link_loop", [](const fs::path& file) { fs::create_symlink(file, file); }, 1},
        ProbeCase{"dangling_link", [](const fs::path& file) { fs::create_symlink("nowhere.ini", file); }, 1}),
    testing::CaseName());

TEST(Probe, LooksInTheWorkingDirectoryNotBesideTheProgram) {
    const TempDir program_folder;
    const TempDir working_folder;
    program_folder.write(password_file_name, "pw\ncmd");
    const ScopedWorkingDirectory in_dir(working_folder.path());
    EXPECT_EQ(File_Ok(NativeFiles(), password_file_name), 1);
}

// Root reads everything, so the check runs in a child that has given up root.
TEST(Probe, UnreadableFileFails) {
    const TempDir dir;
    const fs::path file = dir.write(password_file_name, "pw\ncmd");
    fs::permissions(file, fs::perms::none);
    const ScopedWorkingDirectory in_dir(dir.path());
    if (::geteuid() != 0) {
        EXPECT_EQ(File_Ok(NativeFiles(), password_file_name), 1);
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setresgid(nobody, nobody, nobody) == 0 &&
                             ::setresuid(nobody, nobody, nobody) == 0;
        ::_exit(dropped ? File_Ok(NativeFiles(), password_file_name) : 99);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
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

TEST_P(UnmarkedText, KeepsUtf8OrDecodesCp932) {
    if (GetParam().text.empty()) {
        EXPECT_THROW((void)NativeFiles().decode_unmarked_text(GetParam().bytes), RunTimeError);
    } else {
        EXPECT_EQ(NativeFiles().decode_unmarked_text(GetParam().bytes), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnmarkedText,
                         ::testing::Values(UnmarkedCase{"utf8", "パスワード", "パスワード"},
                                           UnmarkedCase{"katakana", "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68", "パスワード"},
                                           UnmarkedCase{"trail_byte_is_backslash", "\x83\x5C", "ソ"},
                                           UnmarkedCase{"half_width_kana", "\xB1\xB2\xB3", "ｱｲｳ"},
                                           UnmarkedCase{"nec_special", "\x87\x40", "①"},
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
