#include "platform/hardening.h"

#include <windows.h>

#include "platform/win32/system_function.h"

namespace mirutoka::platform {

// SetDefaultDllDirectories is looked up, as Windows 7 has it only with an update.
void harden_process() {
    if (auto* set_default_dll_directories =
            system_function<BOOL WINAPI(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories"))
        set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace mirutoka::platform
