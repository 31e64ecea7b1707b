#include "platform/hardening.h"

#include <windows.h>

#include "platform/win32/dll_search.h"
#include "platform/win32/system_function.h"

namespace mirutoka::platform {

// A DLL directory takes the working folder's place in the search. System32
// is searched anyway; an empty one would do as much on Windows, but Wine
// takes an empty one for none.
void harden_dll_search(const DllSearchFunctions& functions) {
    if (functions.set_default_dll_directories != nullptr &&
        functions.set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    wchar_t system32[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system32, MAX_PATH);
    ::SetDllDirectoryW(length > 0 && length < MAX_PATH ? system32 : L"");
    if (functions.set_search_path_mode != nullptr)
        functions.set_search_path_mode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

void harden_process() {
    harden_dll_search({system_function<BOOL WINAPI(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories"),
                       system_function<BOOL WINAPI(DWORD)>(L"kernel32.dll", "SetSearchPathMode")});
}

}  // namespace mirutoka::platform
