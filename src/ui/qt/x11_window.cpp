#include "ui/qt/x11_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

namespace mirutoka::ui::qt {
namespace {

xcb_connection_t* x11_connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_intern_atom_cookie_t ask_atom(xcb_connection_t* connection, std::string_view name) {
    return xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data());
}

xcb_atom_t atom(xcb_connection_t* connection, xcb_intern_atom_cookie_t asked) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, asked, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

std::optional<bool> caps_lock_is_on() {
    xcb_connection_t* connection = x11_connection();
    if (connection == nullptr) return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr), &std::free);
    if (!reply) return std::nullopt;
    return (reply->mask & XCB_MOD_MASK_LOCK) != 0;
}

void keep_off_taskbar(QWidget& window) {
    xcb_connection_t* connection = x11_connection();
    if (connection == nullptr) return;
    // Both asked before either answer is read: one round trip to the server, not two.
    const xcb_intern_atom_cookie_t asked_state = ask_atom(connection, "_NET_WM_STATE");
    const xcb_intern_atom_cookie_t asked_skip_taskbar = ask_atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t state = atom(connection, asked_state);
    const xcb_atom_t skip_taskbar = atom(connection, asked_skip_taskbar);
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &skip_taskbar);
    xcb_flush(connection);
}

FrameWatch::FrameWatch(QWidget& window, std::function<void(QMargins)> framed)
    : window_(window), framed_(std::move(framed)) {
    xcb_connection_t* connection = x11_connection();
    if (connection == nullptr) return;
    // The answer is read with the first event, by when it has long arrived.
    asked_frame_extents_ = ask_atom(connection, "_NET_FRAME_EXTENTS").sequence;
    watching_ = true;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

FrameWatch::~FrameWatch() {
    if (watching_) QCoreApplication::instance()->removeNativeEventFilter(this);
}

// Read straight from the property: Qt learns of the frame later, and not
// always before the events that would tell the window.
bool FrameWatch::nativeEventFilter(const QByteArray& event_type, void* message, qintptr*) {
    if (framed_ == nullptr || event_type != "xcb_generic_event_t") return false;
    xcb_connection_t* connection = x11_connection();
    if (asked_frame_extents_.has_value())
        frame_extents_atom_ = atom(connection, {*std::exchange(asked_frame_extents_, std::nullopt)});
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7FU) != XCB_PROPERTY_NOTIFY) return false;
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->atom != frame_extents_atom_ || property->window != static_cast<xcb_window_t>(window_.winId()))
        return false;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, property->window, frame_extents_atom_,
                                                XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4 * sizeof(uint32_t)) return false;
    const auto* extents = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const QMargins margins(static_cast<int>(extents[0]), static_cast<int>(extents[2]), static_cast<int>(extents[1]),
                           static_cast<int>(extents[3]));
    QTimer::singleShot(0, &window_, [framed = std::exchange(framed_, nullptr), margins] { framed(margins); });
    return false;
}

}  // namespace mirutoka::ui::qt
