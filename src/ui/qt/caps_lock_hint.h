#pragma once

#include <QObject>

#include "ui/qt/wayland_keyboard.h"

class QLabel;
class QLineEdit;

namespace mirutoka::ui::qt {

// While `field` has the focus and Caps Lock is on, a small hint below it. It
// is a window of its own, so the field's window keeps its size and controls.
class CapsLockHint final : public QObject {
public:
    explicit CapsLockHint(QLineEdit& field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_if(bool caps_lock_on);

    QLineEdit& field_;
    QLabel* hint_;
    bool caps_lock_on_ = false;
    WaylandModifierWatch wayland_watch_;
};

}  // namespace mirutoka::ui::qt
