#pragma once

#include <windows.h>

#include "gate/front_end.h"
#include "ui/win32/box_owner.h"

namespace mirutoka::ui::win32 {

class Win32MessageBoxes final : public gate::MessageBoxes, public BoxOwner {
public:
    void show(const gate::Message& message) override;
};

}  // namespace mirutoka::ui::win32
