#pragma once

#include <windows.h>

#include "gate/front_end.h"
#include "ui/win32/box_owner.h"

namespace mirutoka::ui::win32 {

// Shows the error's number and description in a modal box, writes the same to
// standard error where there is one, and ends the process with exit code 1.
class Win32ErrorReport final : public gate::ErrorReport, public BoxOwner {
public:
    [[noreturn]] void report(const platform::RunTimeError& error) override;
};

}  // namespace mirutoka::ui::win32
