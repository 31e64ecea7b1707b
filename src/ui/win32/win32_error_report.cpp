#include "ui/win32/win32_error_report.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "gate/front_end.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::ui::win32 {

void Win32ErrorReport::report(const platform::RunTimeError& error) {
    const std::string text = gate::untrapped_error_text(error);
    std::fprintf(stderr, "mirutoka: %s\n", text.c_str());
    std::fflush(stderr);
    ::MessageBoxW(live_owner(), platform::to_wide(text).c_str(),
                  platform::to_wide(gate::untrapped_error_title).c_str(), MB_OK | MB_ICONERROR);
    ::ExitProcess(1);
}

}  // namespace mirutoka::ui::win32
