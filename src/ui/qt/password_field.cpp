#include "ui/qt/password_field.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QWindow>
#include <private/qcoreapplication_p.h>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

#include "platform/utf8.h"
#include "ui/pass_window.h"
#include "ui/qt/caps_lock_hint.h"

namespace mirutoka::ui::qt {
namespace {

// The platform style masks with its own bullet; this one masks with '*'. A
// proxy costs far less at start than a style sheet, which would do the same.
class MaskingStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return Text1_password_character;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// The answer to every input method query: no input method, and nothing
// else, not even where the cursor is. A line edit answers from its own state
// and turns WA_InputMethodEnabled back on at every focus, so the answers
// themselves are what must change.
QVariant no_input_method(Qt::InputMethodQuery query) { return query == Qt::ImEnabled ? QVariant(false) : QVariant(); }

// Accessibility ---------------------------------------------------------------

// Qt's line edit tells the accessibility bus every character typed into it,
// and on a clear the whole text, even in password mode (Qt 6.4 does, and its
// current source still does).
QString masked(const QString& text) { return {text.size(), QChar(Text1_password_character)}; }

// Where Qt sends an event when no handler is installed: the platform's bridge.
void pass_on(QAccessibleEvent* event) {
    if (QPlatformAccessibility* bridge = QGuiApplicationPrivate::platformIntegration()->accessibility())
        bridge->notifyAccessibilityUpdate(event);
}

template <typename Event, typename... Texts>
void pass_on_masked(Event& event, const Texts&... texts) {
    Event masked_event(event.object(), event.changePosition(), masked(texts)...);
    masked_event.setCursorPosition(event.cursorPosition());
    pass_on(&masked_event);
}

void mask_password_text(QAccessibleEvent* event) {
    if (qobject_cast<const PasswordField*>(event->object()) == nullptr) return pass_on(event);
    switch (event->type()) {
    case QAccessible::TextInserted: {
        auto& inserted = static_cast<QAccessibleTextInsertEvent&>(*event);
        return pass_on_masked(inserted, inserted.textInserted());
    }
    case QAccessible::TextRemoved: {
        auto& removed = static_cast<QAccessibleTextRemoveEvent&>(*event);
        return pass_on_masked(removed, removed.textRemoved());
    }
    case QAccessible::TextUpdated: {
        auto& updated = static_cast<QAccessibleTextUpdateEvent&>(*event);
        return pass_on_masked(updated, updated.textRemoved(), updated.textInserted());
    }
    default:
        return pass_on(event);
    }
}

// Keys ------------------------------------------------------------------------

// A probe names no key: no keysym, no keycode, no text, no modifiers. Its
// count, which the bridge passes on to nobody, tells it apart.
constexpr int probe_key = Qt::Key_unknown;

bool types_text(const QKeyEvent& key) {
    const QString text = key.text();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
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

}  // namespace

PasswordField::PasswordField(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    auto* masking = new MaskingStyle;  // owned by the field, so it outlives the field's own destruction
    masking->setParent(this);
    setStyle(masking);
    setMaxLength(std::numeric_limits<int>::max());
    new CapsLockHint(*this);  // owned by the field
    QAccessible::installUpdateHandler(mask_password_text);
}

QVariant PasswordField::inputMethodQuery(Qt::InputMethodQuery query) const { return no_input_method(query); }

QVariant PasswordField::inputMethodQuery(Qt::InputMethodQuery query, const QVariant& /*argument*/) const {
    return no_input_method(query);
}

// The text goes from the field's own string into a secret, with no copy on
// the way, and the field is emptied. The string is then ours alone, so it is
// wiped too; what else Qt kept while the text was typed, it frees unwiped.
platform::SecretText PasswordField::take() {
    QString typed = text();
    platform::SecretText taken =
        platform::utf8_from_utf16(std::u16string_view(QStringView(typed).utf16(), static_cast<std::size_t>(typed.size())));
    clear();
    if (typed.isDetached()) platform::wipe(typed.data(), static_cast<std::size_t>(typed.size()));
    return taken;
}

bool PasswordKeyChannel::concerns(const QEvent& event) {
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
bool PasswordKeyChannel::notify(QObject* receiver, QEvent* event, const Deliver& deliver) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        // The modifier's release may go to another window, or to none.
        screen_reader_modifiers_down_.clear();
        return deliver(receiver, event);
    }
    auto& key = *static_cast<QKeyEvent*>(event);
    if (is_probe(key)) return probe_event(receiver, key, deliver);
    if (!key.spontaneous()) return deliver(receiver, event);
    if (!receiver->isWindowType()) {
        reached_a_widget_ = true;
        return deliver(receiver, event);
    }
    return platform_key(static_cast<QWindow*>(receiver), key, deliver);
}

bool PasswordKeyChannel::platform_key(QWindow* window, QKeyEvent& key, const Deliver& deliver) {
    if (!key_may_be_at_the_bridge_ && waiting_.empty()) {
        judge(window, key, deliver);
        return true;
    }
    waiting_.push_back(hold(window, key));
    send_probe(window, key, std::nullopt, deliver);
    return true;
}

bool PasswordKeyChannel::probe_event(QObject* receiver, QKeyEvent& key, const Deliver& deliver) {
    if (!key.spontaneous()) {
        probe_came_back(static_cast<std::uint16_t>(key.count()), deliver);
        return true;
    }
    if (receiver->isWindowType()) return deliver(receiver, &key);  // to the filters, the bridge's among them
    reached_a_widget_ = true;  // nothing held it on the way
    return true;
}

void PasswordKeyChannel::judge(QWindow* window, QKeyEvent& key, const Deliver& deliver) {
    if (must_stand_in(key)) {
        send_probe(window, key, hold(window, key), deliver);
        return;
    }
    follow_screen_reader_modifier(key);
    reached_a_widget_ = false;
    deliver(window, &key);
    if (std::exchange(reached_a_widget_, false)) return;
    key_may_be_at_the_bridge_ = true;
    back_once_probe_is_back_ = probes_sent_;
}

// A key judged here that the bridge took as it was needs a marker behind it,
// for the keys still waiting.
void PasswordKeyChannel::judge_waiting(const Deliver& deliver) {
    while (!key_may_be_at_the_bridge_ && !waiting_.empty()) {
        HeldKey next = std::move(waiting_.front());
        waiting_.pop_front();
        QPointer<QWindow> window = next.window;
        const QEvent::Type type = next.type;
        deliver_held(next, true, deliver);
        if (key_may_be_at_the_bridge_ && !waiting_.empty() && window != nullptr) {
            const QKeyEvent marker(type, probe_key, Qt::NoModifier);
            send_probe(window, marker, std::nullopt, deliver);
        }
    }
}

// Probes come back in the order they went; one that does not come back was
// kept by a listener, and so is the key it stood in for. Once one is back,
// so is every key that went before it as it was.
void PasswordKeyChannel::probe_came_back(std::uint16_t tag, const Deliver& deliver) {
    while (!probes_.empty() && probes_.front().tag != tag) probes_.pop_front();
    if (probes_.empty()) return;
    Probe probe = std::move(probes_.front());
    probes_.pop_front();
    if (probe.sequence >= back_once_probe_is_back_) key_may_be_at_the_bridge_ = false;
    if (probe.stood_in_for) deliver_held(*probe.stood_in_for, false, deliver);
    judge_waiting(deliver);
}

void PasswordKeyChannel::send_probe(QWindow* window, const QKeyEvent& key, std::optional<HeldKey> stood_in_for,
                                    const Deliver& deliver) {
    const std::uint64_t sequence = probes_sent_++;
    const auto tag = static_cast<std::uint16_t>(sequence % std::numeric_limits<std::uint16_t>::max() + 1);
    probes_.push_back({tag, sequence, std::move(stood_in_for)});
    reached_a_widget_ = false;
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        window, key.timestamp(), key.type(), probe_key, Qt::NoModifier, QString(), key.isAutoRepeat(), tag);
    if (std::exchange(reached_a_widget_, false)) probe_came_back(tag, deliver);
}

bool PasswordKeyChannel::must_stand_in(const QKeyEvent& key) {
    if (key.type() == QEvent::KeyRelease && stood_in_presses_.erase(physical_key(key)) > 0) return true;
    if (!screen_reader_modifiers_down_.empty() ||
        qobject_cast<const PasswordField*>(QApplication::focusWidget()) == nullptr)
        return false;
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

bool PasswordKeyChannel::is_probe(const QKeyEvent& key) const {
    return key.key() == probe_key && key.text().isEmpty() && key.nativeScanCode() == 0 &&
           key.nativeVirtualKey() == 0 &&
           std::any_of(probes_.begin(), probes_.end(), [&](const Probe& probe) { return probe.tag == key.count(); });
}

PasswordKeyChannel::HeldKey PasswordKeyChannel::hold(QWindow* window, const QKeyEvent& key) {
    const QString text = key.text();
    return {window,
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

// A held key goes on either as it came, to be judged now, or as judged, to
// its window past the filters. The text exists as a string only meanwhile.
void PasswordKeyChannel::deliver_held(HeldKey& held, bool as_it_came, const Deliver& deliver) {
    if (held.window == nullptr) return;
    QString text(reinterpret_cast<const QChar*>(held.text.data()), static_cast<qsizetype>(held.text.size()));
    {
        QKeyEvent key(held.type, held.key, held.modifiers, held.scan_code, held.virtual_key, held.native_modifiers,
                      text, held.auto_repeat, held.count);
        key.setTimestamp(held.timestamp);
        if (as_it_came) {
            QCoreApplicationPrivate::setEventSpontaneous(&key, true);
            judge(held.window, key, deliver);
        } else {
            deliver(held.window, &key);
        }
    }
    if (text.isDetached()) platform::wipe(text.data(), static_cast<std::size_t>(text.size()));
}

Application::Application(int& count, char** values) : QApplication(count, values) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (!PasswordKeyChannel::concerns(*event)) return QApplication::notify(receiver, event);
    return key_channel_.notify(receiver, event,
                               [this](QObject* to, QEvent* what) { return QApplication::notify(to, what); });
}

}  // namespace mirutoka::ui::qt
