#pragma once

#include <QEvent>
#include <QPointer>
#include <QWindow>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "platform/secrets.h"

class QKeyEvent;

namespace mirutoka::ui::qt {

// With a screen reader running, Qt's AT-SPI bridge, an application event
// filter, holds each key the platform sends to a window and asks the bus's
// keystroke listeners about it, with its text, keysym and keycode; it delivers
// the key when they answer, in the order the keys came, and not at all when
// one keeps it. So every key is a secret, whatever window of ours it is for
// and wherever the focus is, unless it is one of the few a screen reader needs
// that type nothing (is_screen_reader_key): for a secret key the bridge gets
// a blank stand-in, and the key itself follows, past the filters, when the
// stand-in comes back. Keys pressed while the screen reader's modifier is
// held go as they are, so that its commands work. With no bridge, a stand-in
// comes straight back.
class KeyChannel {
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
    struct StandIn {
        std::uint16_t tag;
        HeldKey key;
    };
    // How a key's press went, which its repeats and its release follow.
    enum class Press : std::uint8_t { stood_in, as_it_is, screen_reader_modifier };

    static HeldKey hold(QWindow& window, const QKeyEvent& key);
    static void deliver_held(HeldKey& held, const Deliver& deliver);
    [[nodiscard]] bool stands_in(const QKeyEvent& key);
    [[nodiscard]] Press judge(const QKeyEvent& key) const;
    void send_stand_in(QWindow& window, const QKeyEvent& key, const Deliver& deliver);
    bool stand_in_event(QObject* receiver, QKeyEvent& key, const Deliver& deliver);
    void came_back(std::uint16_t tag, const Deliver& deliver);
    [[nodiscard]] bool is_stand_in(const QKeyEvent& key) const;

    std::deque<StandIn> stand_ins_;
    std::uint16_t last_tag_ = 0;
    bool reached_a_widget_ = false;
    // By physical key, as a key's release may name another key than its press
    // did (Shift+KP0 presses KP_Insert and, with Shift let go, releases KP_0).
    std::map<std::uint32_t, Press> pressed_;
};

}  // namespace mirutoka::ui::qt
