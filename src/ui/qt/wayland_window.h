#pragma once

#include <memory>
#include <optional>

#include "ui/qt/drawn_frame.h"

class QWidget;

// What a Wayland compositor can be asked of a window beyond what Qt asks.
namespace mirutoka::ui::qt {

// The compositor's globals that the window needs beyond Qt's, found in one
// round trip on a queue of their own, which dispatches nothing of Qt's. Off
// Wayland there are none. Make it before the window is shown.
class WaylandGlobals {
public:
    WaylandGlobals();
    WaylandGlobals(const WaylandGlobals&) = delete;
    WaylandGlobals& operator=(const WaylandGlobals&) = delete;
    ~WaylandGlobals();

    // Shows `window`. Where Qt draws no frame, the compositor draws it if it
    // offers to (xdg-decoration, as sway and KWin do), and elsewhere (GNOME)
    // the window draws its own.
    void show(QWidget& window, bool qt_draws_no_frame);

private:
    friend class WaylandWindowRole;
    struct Objects;
    std::unique_ptr<Objects> objects_;
    std::optional<DrawnFrame> frame_;
};

// Asks the compositors that offer a way for what X11 window managers are
// asked through the window's properties: GNOME's (gtk_shell1) to treat it as a
// modal dialog, which it centres on the screen, where it would put a normal
// window at the top left; KDE Plasma's (org_kde_plasma_shell) to leave it off
// the task manager and the window switcher. Off Wayland, and where a
// compositor offers neither, it does nothing. Make it once the window is
// shown, before the event loop draws it; it lives as long as the window, and
// the globals as long as it.
class WaylandWindowRole {
public:
    WaylandWindowRole(QWidget& window, const WaylandGlobals& globals);
    WaylandWindowRole(const WaylandWindowRole&) = delete;
    WaylandWindowRole& operator=(const WaylandWindowRole&) = delete;
    ~WaylandWindowRole();

private:
    struct Objects;
    std::unique_ptr<Objects> objects_;
};

}  // namespace mirutoka::ui::qt
