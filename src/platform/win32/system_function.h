#pragma once

#include <windows.h>

namespace mirutoka::platform {

// A function of a system DLL that older Windows versions lack, or nullptr
// there. The DLL must already be loaded, as kernel32 and user32 always are.
template <typename Function>
Function* system_function(const wchar_t* dll, const char* name) {
    const HMODULE module = ::GetModuleHandleW(dll);
    const FARPROC found = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

}  // namespace mirutoka::platform
