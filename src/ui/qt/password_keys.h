#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>

class QWindow;

namespace mirutoka::ui::qt {

// With a screen reader running, Qt's AT-SPI bridge asks the registry about
// every key before the window gets it, with the key's text, keysym and
// keycode; every program of the session that listens for keystrokes hears
// them, a password's included. While a password field has the focus, a key
// that types text (and Shift, AltGr, and the release of any key so stood in
// for) goes to the bridge as a blank stand-in instead; the real key follows
// when its stand-in comes back, in the same order, and not at all when a
// listener kept the stand-in. Keys a screen reader works with (its modifier
// and whatever is pressed while it is held, Tab, Return, Escape, arrows,
// BackSpace, function keys) go to the bridge as they are.
class PasswordKeyChannel {
public:
    using Deliver = std::function<bool(QObject*, QEvent*)>;

    // What QApplication::notify is to do with a key event: `deliver` is its
    // own delivery, which runs the bridge's filter first.
    bool notify(QObject* receiver, QKeyEvent* key, const Deliver& deliver);

private:
    struct Held {
        std::uint16_t tag;
        QPointer<QObject> receiver;
        std::unique_ptr<QKeyEvent> key;
    };

    bool stand_in_for(QWindow* window, const QKeyEvent& key, const Deliver& deliver);
    bool deliver_held(std::uint16_t tag, const Deliver& deliver);
    [[nodiscard]] bool is_stand_in(const QKeyEvent& key) const;
    [[nodiscard]] bool must_stand_in(const QKeyEvent& key);
    void follow_screen_reader_modifier(const QKeyEvent& key);

    std::deque<Held> held_;
    std::uint16_t next_tag_ = 1;
    bool stand_in_reached_a_widget_ = false;
    std::set<int> screen_reader_modifiers_down_;
    std::set<std::uint32_t> stood_in_presses_;
};

// The toolkit's application, with the channel above in front of every key.
class Application final : public QApplication {
public:
    Application(int& count, char** values);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    PasswordKeyChannel key_channel_;
};

}  // namespace mirutoka::ui::qt
