#pragma once

#include <windows.h>

namespace mirutoka::ui::win32 {

// Boxes that PASS owns, once PASS exists: Windows disables a box's owner
// while the box is up, so that nothing in PASS (OK above all) can be used
// twice, and keeps the box with PASS whatever window is active.
class BoxOwner {
public:
    void own_by(HWND owner) noexcept { owner_ = owner; }

protected:
    BoxOwner() = default;
    BoxOwner(const BoxOwner&) = default;
    BoxOwner& operator=(const BoxOwner&) = default;
    ~BoxOwner() = default;

    // The owner, while it still exists: a box whose owner is gone would not show at all.
    [[nodiscard]] HWND live_owner() const { return ::IsWindow(owner_) ? owner_ : nullptr; }

private:
    HWND owner_ = nullptr;
};

}  // namespace mirutoka::ui::win32
