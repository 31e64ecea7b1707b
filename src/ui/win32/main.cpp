#include <windows.h>
#include <commctrl.h>

#include "gate/front_end.h"
#include "platform/native.h"
#include "platform/hardening.h"
#include "ui/win32/pass_window.h"
#include "ui/win32/win32_error_report.h"
#include "ui/win32/win32_message_boxes.h"

// The program takes no arguments: the command line is never looked at.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    mirutoka::platform::harden_process();
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    const mirutoka::platform::NativeFiles files;
    mirutoka::platform::NativeProgramStart program_start;
    mirutoka::ui::win32::Win32MessageBoxes message_boxes;
    mirutoka::ui::win32::Win32ErrorReport error_report;
    int exit_code = 0;
    mirutoka::gate::run_event_handler(
        [&] {
            mirutoka::ui::win32::PassWindow PASS(instance, {files, program_start, message_boxes, error_report});
            exit_code = PASS.run();
        },
        error_report);
    return exit_code;
}
