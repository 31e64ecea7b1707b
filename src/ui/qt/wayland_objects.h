#pragma once

#include <QGuiApplication>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <memory>

// Qt's Wayland connection, and the objects of our own made on it.
namespace mirutoka::ui::qt {

// Qt's display connection; nothing off Wayland.
inline wl_display* qt_wayland_display() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) return nullptr;
    return static_cast<wl_display*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForIntegration("wl_display"));
}

template <auto destroy>
struct Destroy {
    template <typename T>
    void operator()(T* object) const { destroy(object); }
};
template <typename T>
void destroy_proxy(T* proxy) { wl_proxy_destroy(reinterpret_cast<wl_proxy*>(proxy)); }

// A Wayland object that is destroyed with its owner, by `destroy`.
template <typename T, auto destroy = destroy_proxy<T>>
using Owned = std::unique_ptr<T, Destroy<destroy>>;

}  // namespace mirutoka::ui::qt
