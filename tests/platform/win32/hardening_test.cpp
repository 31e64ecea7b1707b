#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace mirutoka::platform
