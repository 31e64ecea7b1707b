#pragma once

class QWidget;

namespace mirutoka::ui::qt {

// Asks an EWMH window manager to leave the window out of the taskbar. Call it
// before the window is first shown; it does nothing off X11.
void keep_off_taskbar(QWidget& window);

}  // namespace mirutoka::ui::qt
