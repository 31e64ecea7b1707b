#include "ui/qt/wayland_window.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gtk-shell-client-protocol.h"
#include "plasma-shell-client-protocol.h"
#include "ui/qt/wayland_objects.h"

namespace mirutoka::ui::qt {
namespace {

// Version 5 is the first with set_skip_switcher; set_skip_taskbar came with 2.
constexpr std::uint32_t plasma_shell_version = 5;

}  // namespace

struct WaylandGlobals::Objects {
    // Destroyed from the last: the globals first, the queue last.
    Owned<wl_event_queue, wl_event_queue_destroy> queue;
    Owned<wl_registry> registry;
    Owned<gtk_shell1> gtk_shell;
    Owned<org_kde_plasma_shell> plasma_shell;
    bool decoration_manager = false;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* self = static_cast<Objects*>(data);
        if (!self->gtk_shell && std::strcmp(interface, gtk_shell1_interface.name) == 0) {
            self->gtk_shell.reset(static_cast<gtk_shell1*>(wl_registry_bind(registry, name, &gtk_shell1_interface, 1)));
        } else if (!self->plasma_shell && std::strcmp(interface, org_kde_plasma_shell_interface.name) == 0) {
            self->plasma_shell.reset(static_cast<org_kde_plasma_shell*>(wl_registry_bind(
                registry, name, &org_kde_plasma_shell_interface, std::min(version, plasma_shell_version))));
        } else if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0) {
            self->decoration_manager = true;
        }
    }
    static void global_remove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener registry_listener{global, global_remove};
};

WaylandGlobals::WaylandGlobals() {
    wl_display* display = qt_wayland_display();
    if (display == nullptr) return;
    objects_ = std::make_unique<Objects>();
    objects_->queue.reset(wl_display_create_queue(display));
    auto* on_queue = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(on_queue), objects_->queue.get());
    objects_->registry.reset(wl_display_get_registry(on_queue));
    wl_proxy_wrapper_destroy(on_queue);
    wl_registry_add_listener(objects_->registry.get(), &Objects::registry_listener, objects_.get());
    if (wl_display_roundtrip_queue(display, objects_->queue.get()) < 0) objects_.reset();
}

WaylandGlobals::~WaylandGlobals() = default;

void WaylandGlobals::show(QWidget& window, bool qt_draws_no_frame) {
    if (objects_ && qt_draws_no_frame && !objects_->decoration_manager) frame_.emplace(window);
    window.show();
}

// What is asked of the window's surface stays asked for as long as these
// live: a compositor may forget it once they go.
struct WaylandWindowRole::Objects {
    Owned<gtk_surface1> gtk_surface;
    Owned<org_kde_plasma_surface> plasma_surface;
};

WaylandWindowRole::WaylandWindowRole(QWidget& window, const WaylandGlobals& globals) {
    if (!globals.objects_ || window.windowHandle() == nullptr) return;
    auto* surface = static_cast<wl_surface*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window.windowHandle()));
    if (surface == nullptr) return;

    const WaylandGlobals::Objects& shells = *globals.objects_;
    objects_ = std::make_unique<Objects>();
    if (shells.gtk_shell) {
        objects_->gtk_surface.reset(gtk_shell1_get_gtk_surface(shells.gtk_shell.get(), surface));
        gtk_surface1_set_modal(objects_->gtk_surface.get());
    }
    if (shells.plasma_shell) {
        objects_->plasma_surface.reset(org_kde_plasma_shell_get_surface(shells.plasma_shell.get(), surface));
        const std::uint32_t version = org_kde_plasma_surface_get_version(objects_->plasma_surface.get());
        if (version >= ORG_KDE_PLASMA_SURFACE_SET_SKIP_TASKBAR_SINCE_VERSION)
            org_kde_plasma_surface_set_skip_taskbar(objects_->plasma_surface.get(), 1);
        if (version >= ORG_KDE_PLASMA_SURFACE_SET_SKIP_SWITCHER_SINCE_VERSION)
            org_kde_plasma_surface_set_skip_switcher(objects_->plasma_surface.get(), 1);
    }
    wl_display_flush(qt_wayland_display());
}

WaylandWindowRole::~WaylandWindowRole() = default;

}  // namespace mirutoka::ui::qt
