#include "ui/qt/wayland_keyboard.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unistd.h>

#include "ui/qt/wayland_objects.h"

namespace mirutoka::ui::qt {
namespace {

// Version 4 is the newest whose keyboard events all have listeners below.
constexpr std::uint32_t seat_version = 4;

void release_keyboard(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
        wl_keyboard_release(keyboard);
    } else {
        wl_keyboard_destroy(keyboard);
    }
}

}  // namespace

// Objects of our own on Qt's connection, on its default queue, so that Qt's
// main-thread dispatch calls these along with its own.
struct WaylandModifierWatch::Listeners {
    std::function<void(std::uint32_t)> locked_changed;
    wl_display* display = nullptr;
    // In the order they must go: the keyboard first.
    Owned<wl_registry, wl_registry_destroy> registry;
    Owned<wl_seat, wl_seat_destroy> seat;
    Owned<wl_keyboard, release_keyboard> keyboard;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* self = static_cast<Listeners*>(data);
        if (self->seat || std::strcmp(interface, wl_seat_interface.name) != 0) return;
        self->seat.reset(static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, seat_version))));
        wl_seat_add_listener(self->seat.get(), &seat_listener, self);
    }
    static void global_remove(void*, wl_registry*, std::uint32_t) {}

    static void capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
        auto* self = static_cast<Listeners*>(data);
        const bool has_keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
        if (has_keyboard && !self->keyboard) {
            self->keyboard.reset(wl_seat_get_keyboard(seat));
            wl_keyboard_add_listener(self->keyboard.get(), &keyboard_listener, self);
        } else if (!has_keyboard) {
            self->keyboard.reset();
        }
    }
    static void seat_name(void*, wl_seat*, const char*) {}

    static void keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { ::close(fd); }
    static void enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
    static void leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
    static void key(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t locked, std::uint32_t) {
        static_cast<Listeners*>(data)->locked_changed(locked);
    }
    static void repeat_info(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

    static constexpr wl_registry_listener registry_listener{global, global_remove};
    static constexpr wl_seat_listener seat_listener{capabilities, seat_name};
    static constexpr wl_keyboard_listener keyboard_listener{keymap, enter, leave, key, modifiers, repeat_info};
};

WaylandModifierWatch::WaylandModifierWatch(std::function<void(std::uint32_t)> locked_changed) {
    wl_display* display = qt_wayland_display();
    if (display == nullptr) return;
    listeners_ = std::make_unique<Listeners>();
    listeners_->locked_changed = std::move(locked_changed);
    listeners_->display = display;
    listeners_->registry.reset(wl_display_get_registry(display));
    wl_registry_add_listener(listeners_->registry.get(), &Listeners::registry_listener, listeners_.get());
    wl_display_flush(display);
}

WaylandModifierWatch::~WaylandModifierWatch() {
    if (!listeners_) return;
    wl_display* display = listeners_->display;
    listeners_.reset();
    wl_display_flush(display);
}

}  // namespace mirutoka::ui::qt
