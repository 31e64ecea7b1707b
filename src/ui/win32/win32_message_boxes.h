#pragma once

#include <windows.h>

#include "gate/front_end.h"

namespace mirutoka::ui::win32 {

class Win32MessageBoxes final : public gate::MessageBoxes {
public:
    // The boxes' owner, which Windows disables while a box is up, so that
    // nothing in it (OK above all) can be used twice.
    void own_by(HWND owner) noexcept { owner_ = owner; }

    void show(const gate::Message& message) override;

private:
    HWND owner_ = nullptr;
};

// The owner, while it still exists: a box whose owner is gone would not show at all.
inline HWND live_owner(HWND owner) { return ::IsWindow(owner) ? owner : nullptr; }

}  // namespace mirutoka::ui::win32
