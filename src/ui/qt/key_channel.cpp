#include "ui/qt/key_channel.h"

#include <QKeyEvent>
#include <QWindow>
// Qt has no public way to send a spontaneous event, and the bridge's filter
// takes only spontaneous ones: a stand-in must come as the platform's keys come.
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "ui/qt/qt_text.h"

namespace mirutoka::ui::qt {
namespace {

// A stand-in names no key: no keysym, no keycode, no text, no modifiers. Its
// count, which the bridge passes on to nobody, tells it apart.
constexpr int stand_in_key = Qt::Key_unknown;

// The keys a screen reader needs to move around and to be told where it is,
// none of which types a character; the text some of them carry (Tab's,
// Return's, Escape's, BackSpace's, Delete's) is one control character that a
// line edit does not insert.
bool is_screen_reader_key(const QKeyEvent& key) {
    static constexpr std::array named{Qt::Key_Tab,      Qt::Key_Backtab,  Qt::Key_Return,   Qt::Key_Enter,
                                      Qt::Key_Escape,   Qt::Key_Left,     Qt::Key_Up,       Qt::Key_Right,
                                      Qt::Key_Down,     Qt::Key_Home,     Qt::Key_End,      Qt::Key_PageUp,
                                      Qt::Key_PageDown, Qt::Key_Backspace, Qt::Key_Delete,  Qt::Key_Insert,
                                      Qt::Key_CapsLock, Qt::Key_NumLock,  Qt::Key_Control,  Qt::Key_Alt,
                                      Qt::Key_Meta,     Qt::Key_Super_L,  Qt::Key_Super_R};
    const int code = key.key();
    const bool listed = (code >= Qt::Key_F1 && code <= Qt::Key_F35) || std::ranges::find(named, code) != named.end();
    const QString text = key.text();
    const bool types_nothing =
        text.isEmpty() || (text.size() == 1 && (text[0].unicode() < 0x20 || text[0].unicode() == 0x7F));
    return listed && types_nothing;
}

// Orca's modifier is Insert (KP_Insert too) or, on laptops, Caps Lock.
bool is_screen_reader_modifier(const QKeyEvent& key) {
    return key.key() == Qt::Key_Insert || key.key() == Qt::Key_CapsLock;
}

std::uint32_t physical_key(const QKeyEvent& key) {
    return key.nativeScanCode() != 0 ? key.nativeScanCode() : static_cast<std::uint32_t>(key.key());
}

}  // namespace

bool KeyChannel::concerns(const QEvent& event) {
    switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
    case QEvent::ApplicationDeactivate:
        return true;
    default:
        return false;
    }
}

// A key's first delivery is the spontaneous one to its window, where the
// bridge's filter takes it; from there the window hands it to the focus widget.
bool KeyChannel::notify(QObject* receiver, QEvent* event, const Deliver& deliver) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        // The modifier's release may go to another program, or to none.
        std::erase_if(pressed_, [](const auto& press) { return press.second == Press::screen_reader_modifier; });
        return deliver(receiver, event);
    }
    auto& key = static_cast<QKeyEvent&>(*event);
    if (is_stand_in(key)) return stand_in_event(receiver, key, deliver);
    if (!key.spontaneous() || !receiver->isWindowType() || !stands_in(key)) return deliver(receiver, event);
    send_stand_in(static_cast<QWindow&>(*receiver), key, deliver);
    return true;
}

bool KeyChannel::stands_in(const QKeyEvent& key) {
    const std::uint32_t physical = physical_key(key);
    const auto pressed = pressed_.find(physical);
    const Press press = pressed != pressed_.end() ? pressed->second : judge(key);
    if (key.type() == QEvent::KeyPress)
        pressed_[physical] = press;
    else if (!key.isAutoRepeat())
        pressed_.erase(physical);
    return press == Press::stood_in;
}

KeyChannel::Press KeyChannel::judge(const QKeyEvent& key) const {
    if (std::ranges::any_of(pressed_, [](const auto& press) { return press.second == Press::screen_reader_modifier; }))
        return Press::as_it_is;
    if (!is_screen_reader_key(key)) return Press::stood_in;
    return is_screen_reader_modifier(key) ? Press::screen_reader_modifier : Press::as_it_is;
}

void KeyChannel::send_stand_in(QWindow& window, const QKeyEvent& key, const Deliver& deliver) {
    last_tag_ = static_cast<std::uint16_t>(last_tag_ % 0xFFFFU + 1);  // never 0, a key's usual count
    const std::uint16_t tag = last_tag_;
    stand_ins_.push_back({tag, hold(window, key)});
    reached_a_widget_ = false;
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        &window, key.timestamp(), key.type(), stand_in_key, Qt::NoModifier, QString(), key.isAutoRepeat(), tag);
    if (std::exchange(reached_a_widget_, false)) came_back(tag, deliver);
}

bool KeyChannel::stand_in_event(QObject* receiver, QKeyEvent& key, const Deliver& deliver) {
    if (!key.spontaneous()) {  // the bridge's copy, once the listeners have answered
        came_back(static_cast<std::uint16_t>(key.count()), deliver);
        return true;
    }
    if (receiver->isWindowType()) return deliver(receiver, &key);  // to the filters, the bridge's among them
    reached_a_widget_ = true;  // nothing held it on the way
    return true;
}

// Stand-ins come back in the order they went; one that does not come back was
// kept by a listener, and so is the key it stood in for.
void KeyChannel::came_back(std::uint16_t tag, const Deliver& deliver) {
    while (!stand_ins_.empty() && stand_ins_.front().tag != tag) stand_ins_.pop_front();
    if (stand_ins_.empty()) return;
    StandIn back = std::move(stand_ins_.front());
    stand_ins_.pop_front();
    deliver_held(back.key, deliver);
}

bool KeyChannel::is_stand_in(const QKeyEvent& key) const {
    return key.key() == stand_in_key && key.text().isEmpty() && key.nativeScanCode() == 0 &&
           key.nativeVirtualKey() == 0 &&
           std::ranges::any_of(stand_ins_, [&](const StandIn& stand_in) { return stand_in.tag == key.count(); });
}

KeyChannel::HeldKey KeyChannel::hold(QWindow& window, const QKeyEvent& key) {
    const QString text = key.text();
    return {&window,
            key.type(),
            key.key(),
            key.modifiers(),
            key.nativeScanCode(),
            key.nativeVirtualKey(),
            key.nativeModifiers(),
            platform::Secret<char16_t>(
                std::u16string_view(QStringView(text).utf16(), static_cast<std::size_t>(text.size()))),
            key.isAutoRepeat(),
            static_cast<quint16>(key.count()),
            key.timestamp()};
}

// To its window past the bridge, which takes no key that is not spontaneous.
// The text exists as a string only meanwhile.
void KeyChannel::deliver_held(HeldKey& held, const Deliver& deliver) {
    if (held.window == nullptr) return;
    const QString text(reinterpret_cast<const QChar*>(held.text.data()), static_cast<qsizetype>(held.text.size()));
    {
        QKeyEvent key(held.type, held.key, held.modifiers, held.scan_code, held.virtual_key, held.native_modifiers,
                      text, held.auto_repeat, held.count);
        key.setTimestamp(held.timestamp);
        deliver(held.window, &key);
    }
    wipe_in_place(text);
}

}  // namespace mirutoka::ui::qt
