#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPointer>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>

#include "platform/secrets.h"

class QKeyEvent;
class QWindow;

namespace mirutoka::ui::qt {

// The masked field, and every way its text could leave it, closed in one
// place:
// - it shows one '*' a character;
// - it takes no input method, asked either way an input method asks, and
//   tells none where its cursor is (which would give away each key);
// - the accessibility bus hears one '*' for each character that comes or goes;
// - with the keystroke channel below, no key typed into it reaches the bus's
//   keystroke listeners with its text, keysym or keycode;
// - its text leaves once, into storage that wipes it (take()).
class PasswordField final : public QLineEdit {
    Q_OBJECT

public:
    explicit PasswordField(QWidget* parent);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // What QInputMethod asks the focus object by name; QLineEdit's own
    // answers with the text around the cursor.
    Q_INVOKABLE QVariant inputMethodQuery(Qt::InputMethodQuery query, const QVariant& argument) const;

    // The typed text, which the field no longer holds.
    [[nodiscard]] platform::SecretText take();
};

// With a screen reader running, Qt's AT-SPI bridge, an application event
// filter, holds each key the platform sends and asks the bus's keystroke
// listeners about it with the key's text, keysym and keycode; it delivers the
// key when they answer, and not at all when one keeps it. Keys for the
// password field must not go there, whether or not Qt still counts
// accessibility as active. So every key is judged against the focus it will
// meet: once every key before it that could move the focus (any that went
// to the bridge as it was) is back. A key for a password field that types
// text (and Shift, AltGr, and the release of a key so judged) goes to the
// bridge as a blank stand-in, and the key itself follows when the stand-in
// comes back. Every other key goes as it is, the screen reader's modifier
// (Insert, Caps Lock) and whatever is pressed while it is held among them, so
// that its commands still work; the modifier counts as let go when the focus
// or the window goes. Blank markers tell when the bridge has answered for a
// key that went as it was, or kept it. With no bridge, keys go straight on.
class PasswordKeyChannel {
public:
    using Deliver = std::function<bool(QObject*, QEvent*)>;

    // What QApplication::notify is to do with `event`; `deliver` is its own
    // delivery, which runs the application's event filters.
    bool notify(QObject* receiver, QEvent* event, const Deliver& deliver);

    // The events notify() must see; all others go straight on.
    [[nodiscard]] static bool concerns(const QEvent& event);

private:
    // A key as it came, its text in storage that wipes it.
    struct HeldKey {
        QPointer<QWindow> window;
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scan_code;
        quint32 virtual_key;
        quint32 native_modifiers;
        platform::Secret<char16_t> text;
        bool auto_repeat;
        quint16 count;
        quint64 timestamp;
    };
    // A blank key sent to the bridge: a stand-in for a key, or a marker.
    struct Probe {
        std::uint16_t tag;
        std::uint64_t sequence;
        std::optional<HeldKey> stood_in_for;
    };

    static HeldKey hold(QWindow* window, const QKeyEvent& key);
    void deliver_held(HeldKey& held, bool as_it_came, const Deliver& deliver);

    bool platform_key(QWindow* window, QKeyEvent& key, const Deliver& deliver);
    bool probe_event(QObject* receiver, QKeyEvent& key, const Deliver& deliver);
    void judge(QWindow* window, QKeyEvent& key, const Deliver& deliver);
    void judge_waiting(const Deliver& deliver);
    void probe_came_back(std::uint16_t tag, const Deliver& deliver);
    void send_probe(QWindow* window, const QKeyEvent& key, std::optional<HeldKey> stood_in_for,
                    const Deliver& deliver);
    [[nodiscard]] bool must_stand_in(const QKeyEvent& key);
    void follow_screen_reader_modifier(const QKeyEvent& key);
    [[nodiscard]] bool is_probe(const QKeyEvent& key) const;

    std::deque<HeldKey> waiting_;
    std::deque<Probe> probes_;
    std::uint64_t probes_sent_ = 0;
    // A key that went as it was is back, or kept, once a probe sent after it is.
    bool key_may_be_at_the_bridge_ = false;
    std::uint64_t back_once_probe_is_back_ = 0;
    bool reached_a_widget_ = false;
    std::set<int> screen_reader_modifiers_down_;
    std::set<std::uint32_t> stood_in_presses_;
};

// The toolkit's application, with the channel above in front of every event,
// ahead of every application event filter.
class Application final : public QApplication {
public:
    Application(int& count, char** values);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    PasswordKeyChannel key_channel_;
};

}  // namespace mirutoka::ui::qt
