#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "gate/field_reader.h"
#include "gate/password_file.h"
#include "platform/native.h"
#include "platform/run_time_error.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

namespace fs = std::filesystem;
using gate::File_Ok;
using gate::password_file_name;
using testing::ScopedWorkingDirectory;
using testing::TempDir;
using namespace std::string_literals;

struct ProbeCase {
    const char* name;
    std::function<void(const TempDir& dir)> make;
    std::int16_t expected;
};

class Probe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, OpensOnlyARegularFileInTheWorkingDirectory) {
    const TempDir dir;
    GetParam().make(dir);
    const ScopedWorkingDirectory in_dir(dir.path());
    EXPECT_EQ(File_Ok(NativeFiles(), password_file_name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Probe,
    ::testing::Values(ProbeCase{"missing", [](const TempDir&) {}, 1},
                      ProbeCase{"empty_file", [](const TempDir& dir) { dir.write(password_file_name, ""); }, 0},
                      ProbeCase{"readable_file", [](const TempDir& dir) { dir.write(password_file_name, "pw\r\n"); }, 0},
                      ProbeCase{"name_in_other_case", [](const TempDir& dir) { dir.write("password.ini", "pw"); }, 0},
                      ProbeCase{"folder", [](const TempDir& dir) { fs::create_directory(dir.path() / password_file_name); },
                                1}),
    testing::CaseName());

// The folder above fails to open at all; a device opens, and only the check
// that the handle is a file on disk keeps it from being read as the password file.
TEST(OpenForInput, RefusesADevice) {
    try {
        (void)NativeFiles().open_for_input("NUL");
        FAIL() << "the null device was opened for reading";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), 75);  // as any file that cannot be opened: the words tell which
        EXPECT_NE(error.description().find("通常のファイルではありません"), std::string::npos) << error.description();
    }
}

struct HolderCase {
    const char* name;
    DWORD access;
    DWORD share;
    std::int16_t expected;
};

class HeldOpen : public ::testing::TestWithParam<HolderCase> {};

// An editor keeps the file open for writing, sharing it; only a holder that
// shares nothing keeps it from being read.
TEST_P(HeldOpen, ReadsUnlessLockedAgainstReading) {
    const TempDir dir;
    const fs::path file = dir.write(password_file_name, "pw\r\ncmd\r\n");
    const UniqueHandle holder(::CreateFileW(file.c_str(), GetParam().access, GetParam().share, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.valid());
    const ScopedWorkingDirectory in_dir(dir.path());
    const NativeFiles files;
    ASSERT_EQ(File_Ok(files, password_file_name), GetParam().expected);
    if (GetParam().expected != 0) return;
    const std::unique_ptr<InputFile> input = files.open_for_input(password_file_name);
    gate::FieldReader fields(*input, files);
    EXPECT_EQ(fields.read_field(), "pw");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeldOpen,
    ::testing::Values(HolderCase{"editor_writing", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0},
                      HolderCase{"writer_sharing_all", GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0},
                      HolderCase{"exclusive", GENERIC_READ, 0, 1}),
    testing::CaseName());

struct UnmarkedCase {
    const char* name;
    std::string bytes;
    std::string text;  // empty: not valid in the ANSI code page
};

class UnmarkedText : public ::testing::TestWithParam<UnmarkedCase> {};

// The tests run with a Japanese locale, so the ANSI code page is 932.
TEST_P(UnmarkedText, ReadsTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 932U);
    if (GetParam().text.empty()) {
        EXPECT_THROW((void)NativeFiles().decode_legacy_text(GetParam().bytes), RunTimeError);
    } else {
        EXPECT_EQ(NativeFiles().decode_legacy_text(GetParam().bytes), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnmarkedText,
                         ::testing::Values(UnmarkedCase{"katakana", "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68", "パスワード"},
                                           UnmarkedCase{"trail_byte_is_backslash", "\x83\x5C", "ソ"},
                                           UnmarkedCase{"half_width_kana_that_looks_like_utf8", "\xC3\xBD", "ﾃｽ"},
                                           UnmarkedCase{"lead_byte_alone", "\x83", ""}),
                         testing::CaseName());

struct CodePageCase {
    const char* name;
    unsigned ansi_code_page;
    std::string text;  // of the CP932 bytes for パス
};

class AnsiCodePage : public ::testing::TestWithParam<CodePageCase> {};

// Where Windows is set to UTF-8 for every program, a Shift_JIS file still
// reads; every other ANSI code page reads as it is.
TEST_P(AnsiCodePage, DecidesTheLegacyDecoding) {
    EXPECT_EQ(decode_in_code_page("\x83\x70\x83\x58", legacy_code_page(GetParam().ansi_code_page)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, AnsiCodePage,
                         ::testing::Values(CodePageCase{"japanese", 932, "パス"},
                                           CodePageCase{"utf8_for_every_program", CP_UTF8, "パス"},
                                           CodePageCase{"western", 1252, "ƒpƒX"}),
                         testing::CaseName());

TEST(PasswordFile, ReadsNotepadFilesInEveryEncoding) {
    const TempDir dir;
    const ScopedWorkingDirectory in_dir(dir.path());
    const NativeFiles files;
    for (const std::string& content :
         {std::string("\x83\x70\x83\x58\r\ngame.exe\r\n"), std::string("\xE3\x83\x91\xE3\x82\xB9\r\ngame.exe\r\n"),
          std::string("\xEF\xBB\xBF\xE3\x83\x91\xE3\x82\xB9\r\ngame.exe"),
          "\xFF\xFE\xD1\x30\xB9\x30\r\0\n\0g\0a\0m\0e\0.\0e\0x\0e\0"s}) {
        dir.write(password_file_name, content);
        const std::unique_ptr<InputFile> file = files.open_for_input(password_file_name);
        gate::FieldReader fields(*file, files);
        EXPECT_EQ(fields.read_field(), "パス");
        EXPECT_EQ(fields.read_field(), "game.exe");
    }
}

}  // namespace
}  // namespace mirutoka::platform
