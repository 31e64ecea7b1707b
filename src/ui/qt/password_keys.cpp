#include "ui/qt/password_keys.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>

namespace mirutoka::ui::qt {
namespace {

// A stand-in names no key: no keysym, no keycode, no text, no modifiers.
// Its count, which the bridge passes on to nobody, tells it apart.
constexpr int stand_in_key = Qt::Key_unknown;

bool is_password_field(const QWidget* widget) {
    const auto* field = qobject_cast<const QLineEdit*>(widget);
    return field != nullptr && field->echoMode() != QLineEdit::Normal;
}

bool types_text(const QKeyEvent& key) {
    const QString text = key.text();
    return !text.isEmpty() && std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

bool is_level_shift(const QKeyEvent& key) {
    return key.key() == Qt::Key_Shift || key.key() == Qt::Key_AltGr || key.key() == Qt::Key_Mode_switch;
}

// Orca's modifier is Insert (KP_Insert too) or, on laptops, Caps Lock.
bool is_screen_reader_modifier(const QKeyEvent& key) {
    return key.key() == Qt::Key_Insert || key.key() == Qt::Key_CapsLock;
}

std::uint32_t physical_key(const QKeyEvent& key) {
    return key.nativeScanCode() != 0 ? key.nativeScanCode() : static_cast<std::uint32_t>(key.key());
}

std::unique_ptr<QKeyEvent> copy_of(const QKeyEvent& key) {
    return std::make_unique<QKeyEvent>(key.type(), key.key(), key.modifiers(), key.nativeScanCode(),
                                       key.nativeVirtualKey(), key.nativeModifiers(), key.text(),
                                       key.isAutoRepeat(), static_cast<quint16>(key.count()));
}

}  // namespace

// A key's first delivery is the spontaneous one to its window, where the
// bridge's filter takes it; from there the window hands it to the focus widget.
bool PasswordKeyChannel::notify(QObject* receiver, QKeyEvent* key, const Deliver& deliver) {
    if (is_stand_in(*key)) {
        if (!key->spontaneous()) return deliver_held(static_cast<std::uint16_t>(key->count()), deliver);
        if (receiver->isWindowType()) return deliver(receiver, key);
        stand_in_reached_a_widget_ = true;  // nothing held it on the way: the real key goes at once
        return true;
    }
    if (!key->spontaneous() || !receiver->isWindowType()) return deliver(receiver, key);
    if (!must_stand_in(*key)) {
        follow_screen_reader_modifier(*key);
        return deliver(receiver, key);
    }
    return stand_in_for(static_cast<QWindow*>(receiver), *key, deliver);
}

bool PasswordKeyChannel::must_stand_in(const QKeyEvent& key) {
    if (!QAccessible::isActive()) return false;
    if (key.type() == QEvent::KeyRelease && stood_in_presses_.erase(physical_key(key)) > 0) return true;
    if (!screen_reader_modifiers_down_.empty() || !is_password_field(QApplication::focusWidget())) return false;
    if (!types_text(key) && !is_level_shift(key)) return false;
    if (key.type() == QEvent::KeyPress) stood_in_presses_.insert(physical_key(key));
    return true;
}

void PasswordKeyChannel::follow_screen_reader_modifier(const QKeyEvent& key) {
    if (!is_screen_reader_modifier(key) || key.isAutoRepeat()) return;
    if (key.type() == QEvent::KeyPress)
        screen_reader_modifiers_down_.insert(key.key());
    else
        screen_reader_modifiers_down_.erase(key.key());
}

bool PasswordKeyChannel::stand_in_for(QWindow* window, const QKeyEvent& key, const Deliver& deliver) {
    const std::uint16_t tag = next_tag_++;
    held_.push_back({tag, window, copy_of(key)});
    stand_in_reached_a_widget_ = false;
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        window, key.timestamp(), key.type(), stand_in_key, Qt::NoModifier, QString(), key.isAutoRepeat(), tag);
    if (std::exchange(stand_in_reached_a_widget_, false)) return deliver_held(tag, deliver);
    return true;
}

bool PasswordKeyChannel::is_stand_in(const QKeyEvent& key) const {
    return key.key() == stand_in_key && key.text().isEmpty() && key.nativeScanCode() == 0 &&
           key.nativeVirtualKey() == 0 &&
           std::any_of(held_.begin(), held_.end(), [&](const Held& held) { return held.tag == key.count(); });
}

// Stand-ins come back in the order they went; one that does not come back was
// kept by a listener, and so is the key it stood in for.
bool PasswordKeyChannel::deliver_held(std::uint16_t tag, const Deliver& deliver) {
    while (!held_.empty() && held_.front().tag != tag) held_.pop_front();
    if (held_.empty()) return true;
    Held held = std::move(held_.front());
    held_.pop_front();
    return held.receiver == nullptr || deliver(held.receiver, held.key.get());
}

Application::Application(int& count, char** values) : QApplication(count, values) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QApplication::notify(receiver, event);
    return key_channel_.notify(receiver, static_cast<QKeyEvent*>(event),
                               [this](QObject* to, QEvent* what) { return QApplication::notify(to, what); });
}

}  // namespace mirutoka::ui::qt
