#pragma once

#include <windows.h>

namespace mirutoka::platform {

// What keeps DLLs from being loaded out of the working folder, the one that
// holds PASSWORD.INI. Both are looked up: Windows 7 has the first only with
// update KB2533623, and a function that is missing is nullptr here.
struct DllSearchFunctions {
    BOOL(WINAPI* set_default_dll_directories)(DWORD);
    BOOL(WINAPI* set_search_path_mode)(DWORD);
};

// DLLs from System32 only where SetDefaultDllDirectories exists; elsewhere
// at least no DLL, and no program SearchPath finds, from the working folder.
void harden_dll_search(const DllSearchFunctions& functions);

}  // namespace mirutoka::platform
