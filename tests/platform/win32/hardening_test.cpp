#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/native.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/program_folder.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

// Where SetDefaultDllDirectories is missing (Vista, 7 without its update), a
// DLL in the working folder is still not loaded. The test process keeps that
// search from then on, which none of the other tests minds.
TEST(DllSearch, LeavesOutTheWorkingFolderWhereSystem32OnlyCannotBeAsked) {
    const testing::TempDir dir;
    const testing::ScopedWorkingDirectory in_dir(dir.path());
    std::filesystem::copy_file(testing::test_program_folder() / "planted" / "mirutoka_planted.dll",
                               dir.path() / "mirutoka_planted.dll");
    const HMODULE before = ::LoadLibraryW(L"mirutoka_planted.dll");
    ASSERT_NE(before, nullptr) << "the working folder is searched to begin with";
    ::FreeLibrary(before);

    harden_dll_search({nullptr, nullptr});
    const HMODULE after = ::LoadLibraryW(L"mirutoka_planted.dll");
    EXPECT_EQ(after, nullptr);
    if (after != nullptr) ::FreeLibrary(after);
}

// The started program gets the normal DLL search (Windows hands a DLL
// directory on to the processes one starts; Wine does not), and we keep ours.
TEST(DllSearch, StaysHardenedAfterAProgramIsStarted) {
    harden_dll_search({nullptr, nullptr});
    wchar_t before[MAX_PATH]{};
    ASSERT_GT(::GetDllDirectoryW(MAX_PATH, before), 0U);
    const testing::TempDir dir;
    const testing::ScopedWorkingDirectory in_dir(dir.path());
    std::string line = "\"";  // piece by piece: GCC 12 misreads "x" + s + "y" here
    line += (testing::test_program_folder() / "touch_marker.exe").string();
    line += "\" started";
    NativeProgramStart().start(line);
    wchar_t after[MAX_PATH]{};
    ::GetDllDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}

}  // namespace
}  // namespace mirutoka::platform
