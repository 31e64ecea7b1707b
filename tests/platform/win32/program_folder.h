#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace mirutoka::testing {

// The folder of the running test program, where the build puts its helpers.
inline std::filesystem::path test_program_folder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return std::filesystem::path(path).parent_path();
}

}  // namespace mirutoka::testing
