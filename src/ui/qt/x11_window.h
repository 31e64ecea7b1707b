#pragma once

#include <QAbstractNativeEventFilter>
#include <QMargins>

#include <functional>
#include <optional>

class QWidget;

// What only X11 window managers can be asked for; off X11 these do nothing.
namespace mirutoka::ui::qt {

// Whether Caps Lock is on, asked of the X server; nothing off X11.
std::optional<bool> caps_lock_is_on();

// Asks an EWMH window manager to leave the window out of the taskbar. Call it
// before the window is first shown.
void keep_off_taskbar(QWidget& window);

// Calls `framed` with the frame's margins once the window manager has framed
// the window and said how (_NET_FRAME_EXTENTS), from the event loop.
class FrameWatch final : public QAbstractNativeEventFilter {
public:
    FrameWatch(QWidget& window, std::function<void(QMargins)> framed);
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;
    ~FrameWatch() override;

    bool nativeEventFilter(const QByteArray& event_type, void* message, qintptr* result) override;

private:
    QWidget& window_;
    std::function<void(QMargins)> framed_;
    std::optional<unsigned> asked_frame_extents_;  // the request's sequence number, until its answer is read
    unsigned frame_extents_atom_ = 0;
    bool watching_ = false;
};

}  // namespace mirutoka::ui::qt
