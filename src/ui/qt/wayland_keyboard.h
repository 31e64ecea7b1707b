#pragma once

#include <functional>
#include <memory>

// What only a Wayland compositor can tell; off Wayland this does nothing.
namespace mirutoka::ui::qt {

// Calls `caps_lock_changed` with the Lock state each time the compositor
// sends the keyboard's modifiers: as a window of ours gets the focus and on
// every change. Qt keeps those to itself until the next key, so Caps Lock
// that was on before the window opened would go unseen.
class WaylandCapsLockWatch {
public:
    explicit WaylandCapsLockWatch(std::function<void(bool)> caps_lock_changed);
    WaylandCapsLockWatch(const WaylandCapsLockWatch&) = delete;
    WaylandCapsLockWatch& operator=(const WaylandCapsLockWatch&) = delete;
    ~WaylandCapsLockWatch();

private:
    struct Listeners;
    std::unique_ptr<Listeners> listeners_;
};

}  // namespace mirutoka::ui::qt
