#include "ui/win32/win32_message_boxes.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace mirutoka::ui::win32 {

void Win32MessageBoxes::show(const gate::Message& message) {
    ::MessageBoxW(live_owner(), platform::to_wide(message.prompt).c_str(),
                  platform::to_wide(message.title).c_str(), MB_OK | MB_ICONQUESTION);
}

}  // namespace mirutoka::ui::win32
