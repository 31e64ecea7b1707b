#pragma once

#include <windows.h>

#include "gate/front_end.h"

namespace mirutoka::ui::win32 {

// Shows the error's number and description in a modal box, writes the same to
// standard error where there is one, and ends the process with exit code 1.
class Win32ErrorReport final : public gate::ErrorReport {
public:
    void own_by(HWND owner) noexcept { owner_ = owner; }

    [[noreturn]] void report(const platform::RunTimeError& error) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace mirutoka::ui::win32
