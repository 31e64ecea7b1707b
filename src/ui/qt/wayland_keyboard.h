#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// What only a Wayland compositor can tell; off Wayland this does nothing.
namespace mirutoka::ui::qt {

// Calls `locked_changed` with the locked modifiers (xkb's mask, as in a key
// event's native modifiers) each time the compositor sends the keyboard's
// modifiers: as a window of ours gets the focus and on every change. Qt keeps
// those to itself until the next key, so Caps Lock that was on before the
// window opened would go unseen.
class WaylandModifierWatch {
public:
    explicit WaylandModifierWatch(std::function<void(std::uint32_t)> locked_changed);
    WaylandModifierWatch(const WaylandModifierWatch&) = delete;
    WaylandModifierWatch& operator=(const WaylandModifierWatch&) = delete;
    ~WaylandModifierWatch();

private:
    struct Listeners;
    std::unique_ptr<Listeners> listeners_;
};

}  // namespace mirutoka::ui::qt
