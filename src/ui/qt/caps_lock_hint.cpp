#include "ui/qt/caps_lock_hint.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <cstdint>

#include "ui/pass_window.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/x11_window.h"

namespace mirutoka::ui::qt {
namespace {

// The Lock modifier in xkb's mask: in a key event's native modifiers, on X11
// and Wayland alike, and in the compositor's locked modifiers.
constexpr std::uint32_t lock_modifier = 0x2;

}  // namespace

CapsLockHint::CapsLockHint(QLineEdit& field)
    : QObject(&field),
      field_(field),
      hint_(new QLabel(to_qstring(caps_lock_hint_text), &field, Qt::ToolTip)),
      wayland_watch_([this](std::uint32_t locked) { show_if((locked & lock_modifier) != 0); }) {
    hint_->setObjectName(QStringLiteral("caps_lock_hint"));
    hint_->setWindowTitle(hint_->text());
    hint_->setForegroundRole(QPalette::ToolTipText);
    hint_->setBackgroundRole(QPalette::ToolTipBase);
    hint_->setAutoFillBackground(true);
    hint_->setMargin(2);
    field.installEventFilter(this);
}

// Every key event carries the state from before the key, which is right for
// every key but Caps Lock itself. The X server can be asked outright, from
// the first frame on; a Wayland compositor tells the watch. Where neither
// speaks, Caps Lock's press turns the state over.
bool CapsLockHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &field_) return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        show_if(caps_lock_is_on().value_or(caps_lock_on_));
        break;
    case QEvent::FocusOut:
        hint_->hide();
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_CapsLock) {
            show_if((key->nativeModifiers() & lock_modifier) != 0);
        } else if (const std::optional<bool> asked = caps_lock_is_on()) {
            show_if(*asked);
        } else if (event->type() == QEvent::KeyPress) {
            show_if(!caps_lock_on_);
        }
        break;
    }
    default:
        break;
    }
    return false;
}

// A screen reader hears the hint as the field's description, for as long as it shows.
void CapsLockHint::show_if(bool caps_lock_on) {
    caps_lock_on_ = caps_lock_on;
    if (!caps_lock_on_ || !field_.hasFocus()) {
        hint_->hide();
        if (!field_.accessibleDescription().isEmpty()) field_.setAccessibleDescription(QString());
        return;
    }
    hint_->adjustSize();
    hint_->move(field_.mapToGlobal(QPoint(0, field_.height() + 2)));
    hint_->show();
    if (field_.accessibleDescription() != hint_->text()) field_.setAccessibleDescription(hint_->text());
}

}  // namespace mirutoka::ui::qt
