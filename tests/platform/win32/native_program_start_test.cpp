#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "platform/native.h"
#include "platform/run_time_error.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/process_start.h"
#include "platform/win32/program_folder.h"
#include "platform/win32/wide_text.h"
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
                                           StartFailure{"only_blanks", " \t", ErrorNumber::InvalidArgument},
                                           // CreateProcessW would start touch_marker.exe, beside the tests.
                                           StartFailure{"nul", std::string("touch_marker.exe\0 x", 19),
                                                        ErrorNumber::InvalidArgument}),
                         testing::CaseName());

// What Windows answers for a program whose manifest asks for administrator
// rights: CreateProcessW refuses it, ShellExecuteExW asks for consent, and
// the user gives it (shell_error 0) or not.
struct Elevation {
    static inline DWORD shell_error = 0;
    static inline int shell_calls = 0;
    static inline std::wstring file;
    static inline std::wstring parameters;
    static inline int show = 0;
    static inline std::wstring dll_directory_at_create, dll_directory_at_shell;
    static std::wstring dll_directory() {
        wchar_t directory[MAX_PATH]{};
        return {directory, ::GetDllDirectoryW(MAX_PATH, directory)};
    }
    static BOOL WINAPI create_process(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                                      LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION) {
        dll_directory_at_create = dll_directory();
        ::SetLastError(740);  // ERROR_ELEVATION_REQUIRED
        return FALSE;
    }
    static BOOL WINAPI shell_execute(SHELLEXECUTEINFOW* execute) {
        ++shell_calls;
        dll_directory_at_shell = dll_directory();
        file = execute->lpFile;
        parameters = execute->lpParameters != nullptr ? execute->lpParameters : L"";
        show = execute->nShow;
        if (shell_error != 0) {
            ::SetLastError(shell_error);
            return FALSE;
        }
        execute->hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ::GetCurrentProcessId());
        return TRUE;
    }
};

struct ElevatedCase {
    const char* name;
    std::wstring line;      // in the fixture's folder; {} stands for it
    std::wstring program;   // found as CreateProcessW finds it
    std::wstring parameters;
    bool beside_its_folder = false;  // a My.exe beside "My Game"
    bool no_working_folder = false;  // NoDefaultCurrentDirectoryInExePath is set
};

// Sets an environment variable (nullptr: removes it) while it lives; the C
// run time's copy, which Windows calls never change, keeps what it was.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name), before_(_wgetenv(name)) {
        ::SetEnvironmentVariableW(name, value);
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_, before_); }

private:
    const wchar_t* name_;
    const wchar_t* before_;
};

std::wstring in_folder(std::wstring text, const fs::path& folder) {
    for (std::size_t at = text.find(L"{}"); at != std::wstring::npos; at = text.find(L"{}"))
        text.replace(at, 2, folder.wstring());
    return text;
}

class ElevatedStart : public StartFolder, public ::testing::WithParamInterface<ElevatedCase> {};

// A game.exe in the working folder and one on PATH; a folder tool.exe in
// the working folder and a program tool.exe on PATH. Our DLL directory, as
// where SetDefaultDllDirectories is missing, is lifted for CreateProcessW
// alone (Windows hands it on to the program), not for ShellExecuteExW, which
// loads DLLs into this process.
TEST_P(ElevatedStart, GoesThroughTheConsentPromptWithTheSameProgramAndArguments) {
    harden_dll_search({nullptr, nullptr});
    const std::wstring ours = Elevation::dll_directory();
    fs::copy_file(program, dir.path() / "game.exe");
    fs::create_directory(dir.path() / "tool.exe");
    fs::create_directory(dir.path() / "on path");
    fs::copy_file(program, dir.path() / "on path" / "game.exe");
    fs::copy_file(program, dir.path() / "on path" / "tool.exe");
    if (GetParam().beside_its_folder) fs::copy_file(program, dir.path() / "My.exe");
    const ScopedVariable path(L"PATH", ((dir.path() / "on path").wstring() + L";" + _wgetenv(L"PATH")).c_str());
    const ScopedVariable no_working_folder(L"NoDefaultCurrentDirectoryInExePath",
                                           GetParam().no_working_folder ? L"1" : nullptr);
    Elevation::shell_error = 0;
    const double task_id = start_process(in_folder(GetParam().line, dir.path()),
                                         {Elevation::create_process, Elevation::shell_execute});
    EXPECT_TRUE(fs::equivalent(Elevation::file, in_folder(GetParam().program, dir.path())))
        << to_utf8(Elevation::file);
    EXPECT_EQ(Elevation::parameters, in_folder(GetParam().parameters, dir.path()));
    EXPECT_EQ(Elevation::show, SW_SHOWNORMAL);
    EXPECT_EQ(task_id, static_cast<double>(::GetCurrentProcessId()));
    EXPECT_EQ(Elevation::dll_directory_at_create, L"");
    EXPECT_EQ(Elevation::dll_directory_at_shell, ours);
    EXPECT_EQ(Elevation::dll_directory(), ours);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ElevatedStart,
    ::testing::Values(ElevatedCase{"quoted_path", L"\"{}\\My Game\\touch_marker.exe\" a b",
                                   L"{}\\My Game\\touch_marker.exe", L"a b"},
                      ElevatedCase{"unquoted_path_whose_first_word_is_no_file",
                                   L"{}\\My Game\\touch_marker  -full", L"{}\\My Game\\touch_marker.exe", L"-full"},
                      // As C:\Program.exe would take "C:\Program Files\...".
                      ElevatedCase{"unquoted_path_whose_first_word_is_a_file", L"{}\\My Game\\touch_marker.exe x",
                                   L"{}\\My.exe", L"Game\\touch_marker.exe x", true},
                      ElevatedCase{"name_in_the_working_folder", L"game", L"{}\\game.exe", L""},
                      ElevatedCase{"name_with_its_extension", L"game.exe -x", L"{}\\game.exe", L"-x"},
                      ElevatedCase{"name_where_the_working_folder_is_not_searched", L"game", L"{}\\on path\\game.exe",
                                   L"", false, true},
                      ElevatedCase{"name_of_a_folder_in_the_working_folder", L"tool", L"{}\\on path\\tool.exe", L""}),
    testing::CaseName());

TEST_F(StartFolder, DeclinedOrFailedConsentIsARunTimeErrorOfItsOwn) {
    for (const auto& [shell_error, number, words] :
         {std::tuple{DWORD{ERROR_CANCELLED}, ErrorNumber::PermissionDenied, "管理者"},
          std::tuple{DWORD{ERROR_NOT_ENOUGH_MEMORY}, ErrorNumber::InvalidArgument, "エラー 8"}}) {
        Elevation::shell_error = shell_error;
        try {
            start_process(program.wstring(), {Elevation::create_process, Elevation::shell_execute});
            ADD_FAILURE() << "started";
        } catch (const RunTimeError& error) {
            EXPECT_EQ(error.number(), static_cast<int>(number));
            EXPECT_NE(error.description().find(words), std::string::npos) << error.description();
        }
    }
}

TEST_F(StartFolder, OnlyARefusalForRightsGoesToTheConsentPrompt) {
    Elevation::shell_calls = 0;
    EXPECT_THROW(start_process(L"no_such_program.exe", {::CreateProcessW, Elevation::shell_execute}), RunTimeError);
    EXPECT_EQ(Elevation::shell_calls, 0);
}

}  // namespace
}  // namespace mirutoka::platform
