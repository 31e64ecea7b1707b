#include "platform/process.h"

#include <windows.h>

namespace mirutoka::platform {

// SetDefaultDllDirectories is looked up, as Windows 7 has it only with an update.
void harden_process() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel32 != nullptr ? ::GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr;
    if (found == nullptr) return;
    const auto set_default_dll_directories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void wipe(std::span<char> secret) noexcept { ::SecureZeroMemory(secret.data(), secret.size()); }

}  // namespace mirutoka::platform
