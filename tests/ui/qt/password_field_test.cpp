#include "ui/qt/password_field.h"

#include <QAccessible>
#include <QInputMethod>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "gate/password_file.h"
#include "support/fakes.h"
#include "support/process_memory.h"
#include "ui/qt/application.h"
#include "ui/qt/pass_window.h"

namespace mirutoka::ui::qt {

using namespace mirutoka::testing;

// What Qt's AT-SPI bridge does with keys, as an application event filter:
// it takes each key on its first, spontaneous delivery, tells the keystroke
// listeners its text, keysym and keycode, and delivers a copy when they have
// answered, or never, when one keeps it. Here the test answers.
class FakeBridge final : public QObject {
public:
    struct Told {
        QString text;
        quint32 keysym;
        quint32 keycode;
    };
    std::vector<Told> told;

    FakeBridge() { qApp->installEventFilter(this); }

    bool eventFilter(QObject* target, QEvent* event) override {
        if (!event->spontaneous() || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        told.push_back({key->text(), key->nativeVirtualKey(), key->nativeScanCode()});
        held_.emplace_back(target, std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(),
                                                               key->nativeScanCode(), key->nativeVirtualKey(),
                                                               key->nativeModifiers(), key->text(),
                                                               key->isAutoRepeat(), static_cast<quint16>(key->count())));
        return true;
    }

    // The listeners answer for the oldest key; `keep` is a listener keeping it.
    void answer(bool keep = false) {
        auto [target, key] = std::move(held_.front());
        held_.pop_front();
        if (!keep && target != nullptr) QCoreApplication::postEvent(target, key.release());
        QCoreApplication::sendPostedEvents();
    }
    void answer_all() {
        while (!held_.empty()) answer();
    }

    // Whether a key the listeners got names `text`, `keysym` or `keycode`.
    [[nodiscard]] bool was_told_of(const QString& text, quint32 keysym, quint32 keycode) const {
        return std::any_of(told.begin(), told.end(), [&](const Told& key) {
            return (!text.isEmpty() && key.text.contains(text)) || key.keysym == keysym || key.keycode == keycode;
        });
    }
    [[nodiscard]] bool was_told_of(QChar c) const { return was_told_of(c, c.unicode(), keycode_of(c)); }
    static quint32 keycode_of(QChar c) { return 0x100U + c.unicode(); }

private:
    std::deque<std::pair<QPointer<QObject>, std::unique_ptr<QKeyEvent>>> held_;
};

constexpr char16_t mask = 0x5A5A;

// Whether the writable memory of this process holds `masked` unmasked.
bool in_memory(std::span<const char16_t> masked) {
    bool found = false;
    for_each_writable_region([&](std::span<const unsigned char> bytes) {
        const std::span units(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
        const auto unmasked = [](char16_t unit, char16_t masked_unit) { return (unit ^ mask) == masked_unit; };
        found = found || std::search(units.begin(), units.end(), masked.begin(), masked.end(), unmasked) != units.end();
    });
    return found;
}

class PasswordFieldTest : public QObject {
    Q_OBJECT

private:
    FakeFiles files;
    FakeProgramStart program_start;
    FakeMessageBoxes boxes;
    FakeErrorReport report;
    std::unique_ptr<PassWindow> PASS;
    PasswordField* Text1 = nullptr;

    // A key as the X11 platform sends it: keysym, keycode and text.
    void platform_key(QEvent::Type type, int key, const QString& text, quint32 keysym, quint32 keycode,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWindowSystemInterface::handleExtendedKeyEvent(PASS->windowHandle(), type, key, modifiers, keycode, keysym, 0,
                                                       text);
        QCoreApplication::processEvents();
    }
    void type(const QString& text) {
        for (const QChar c : text)
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease})
                platform_key(type, QChar(c).toUpper().unicode(), c, c.unicode(), FakeBridge::keycode_of(c));
    }

private slots:
    void init() {
        files.contents[gate::password_file_name] = "secret\ngame\n";
        PASS = std::make_unique<PassWindow>(gate::Services{files, program_start, boxes, report});
        PASS->show();
        QVERIFY(QTest::qWaitForWindowActive(PASS.get()));
        Text1 = PASS->findChild<PasswordField*>("Text1");
        QVERIFY(Text1 != nullptr && Text1->hasFocus());
        QAccessible::setActive(true);
    }

    void cleanup() { PASS.reset(); }

    void with_no_bridge_keys_go_straight_to_the_field() {
        type(QStringLiteral("ab"));
        QCOMPARE(Text1->text(), QStringLiteral("ab"));
    }

    void a_key_kept_by_a_listener_is_dropped_and_the_next_still_comes() {
        FakeBridge bridge;
        type(QStringLiteral("a"));
        bridge.answer(true);
        bridge.answer_all();
        type(QStringLiteral("b"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("b"));
        type(QStringLiteral("c"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("bc"));
        QVERIFY(!bridge.was_told_of(u'b') && !bridge.was_told_of(u'c'));
    }

    // A key goes whole only when it is on the list a screen reader needs and
    // types nothing; every other key goes as a stand-in, whatever its text,
    // and still reaches the field, in the order typed.
    void keys_go_whole_only_when_a_screen_reader_needs_them_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("keysym");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QString>("field");
        // The field's text is the key's between p and q, where no other is given.
        const auto row = [](const char* name, int key, const QString& text, quint32 keysym, bool whole,
                            const QString& field = QString()) {
            QTest::newRow(name) << key << text << keysym << whole << (field.isNull() ? u'p' + text + u'q' : field);
        };
        row("letter", Qt::Key_A, QStringLiteral("a"), 0x61U, false);
        row("zero width non-joiner", Qt::Key_unknown, QStringLiteral("\u200C"), 0x100200CU, false);
        row("soft hyphen", Qt::Key_unknown, QStringLiteral("\u00AD"), 0xADU, false);
        row("private use", Qt::Key_unknown, QStringLiteral("\uE000"), 0x100E000U, false);
        row("beyond 16 bits", Qt::Key_unknown, QString::fromUcs4(U"\U00010C80"), 0x1010C80U, false);
        row("unknown key with text", Qt::Key_unknown, QStringLiteral("\u00E9"), 0xE9U, false);
        row("Shift", Qt::Key_Shift, QString(), 0xFFE1U, false);
        row("dead acute", Qt::Key_Dead_Acute, QString(), 0xFE51U, false);
        row("Scroll Lock, not on the list", Qt::Key_ScrollLock, QString(), 0xFF14U, false);
        row("a listed key that types", Qt::Key_Left, QStringLiteral("x"), 0xFF51U, false, QStringLiteral("qp"));
        row("Tab", Qt::Key_Tab, QStringLiteral("\t"), 0xFF09U, true, QStringLiteral("p"));
        row("Left", Qt::Key_Left, QString(), 0xFF51U, true, QStringLiteral("qp"));
        row("F35", Qt::Key_F35, QString(), 0xFFE0U, true);
    }

    void keys_go_whole_only_when_a_screen_reader_needs_them() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(quint32, keysym);
        QFETCH(bool, whole);
        QFETCH(QString, field);
        FakeBridge bridge;
        type(QStringLiteral("p"));
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) platform_key(type, key, text, keysym, 77);
        type(QStringLiteral("q"));
        bridge.answer_all();
        QCOMPARE(bridge.was_told_of(text, keysym, 77), whole);
        QVERIFY(!bridge.was_told_of(u'p') && !bridge.was_told_of(u'q'));
        QCOMPARE(Text1->text(), field);
    }

    // Judged by window, not by focus: a key typed while OK has the focus is
    // a stand-in too, and lands in the field when a click has put the focus
    // there before the listeners answered.
    void a_key_typed_while_OK_has_the_focus_goes_as_a_stand_in() {
        FakeBridge bridge;
        PASS->findChild<QPushButton*>("Command1")->setFocus();
        type(QStringLiteral("k"));
        Text1->setFocus(Qt::MouseFocusReason);
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("k"));
        QVERIFY(!bridge.was_told_of(u'k'));
    }

    // A key pressed while the screen reader's modifier is held goes whole,
    // for its commands. The modifier is let go with its key, whatever that
    // key names by then (Shift+KP0 presses KP_Insert and, with Shift let go
    // first, releases KP_0), and when the focus leaves the window.
    void the_screen_readers_modifier_opens_the_channel_only_while_held() {
        FakeBridge bridge;
        platform_key(QEvent::KeyPress, Qt::Key_Insert, QString(), 0xFF9E, 90, Qt::ShiftModifier | Qt::KeypadModifier);
        type(QStringLiteral("h"));
        platform_key(QEvent::KeyRelease, Qt::Key_0, QStringLiteral("0"), 0xFFB0, 90, Qt::KeypadModifier);
        type(QStringLiteral("m"));
        platform_key(QEvent::KeyPress, Qt::Key_Insert, QString(), 0xFF63, 118);
        bridge.answer_all();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        PASS->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(PASS.get()));
        type(QStringLiteral("n"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("hmn"));
        QVERIFY(bridge.was_told_of(u'h'));
        QVERIFY(!bridge.was_told_of(u'm') && !bridge.was_told_of(u'n'));
    }

    // Set at once, as typing would leave copies in buffers Qt grows and frees.
    void the_taken_text_is_wiped_once_handed_over() {
        std::vector<char16_t> masked(4000);
        for (std::size_t i = 0; i < masked.size(); ++i) masked[i] = static_cast<char16_t>((u'a' + i * 7 % 26) ^ mask);
        {
            QString text(static_cast<qsizetype>(masked.size()), Qt::Uninitialized);
            for (qsizetype i = 0; i < text.size(); ++i) text[i] = QChar(masked[static_cast<std::size_t>(i)] ^ mask);
            Text1->setText(text);
        }
        const platform::SecretText taken = Text1->take();
        QCOMPARE(taken.size(), masked.size());
        QVERIFY2(!in_memory(std::span(masked).subspan(1000, 16)), "a piece of the taken text is still in memory");
    }

    // fcitx5 and IBus send the query event; QInputMethod asks by name.
    void input_methods_learn_nothing_either_way_they_ask() {
        type(QStringLiteral("xy"));
        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImCursorRectangle | Qt::ImSurroundingText);
        QCoreApplication::sendEvent(Text1, &query);
        QVERIFY(!query.value(Qt::ImEnabled).toBool());
        QVERIFY(!query.value(Qt::ImCursorRectangle).isValid());
        QVERIFY(!query.value(Qt::ImSurroundingText).isValid());
        QVERIFY(!QInputMethod::queryFocusObject(Qt::ImEnabled, QVariant()).toBool());
        QVERIFY(!QInputMethod::queryFocusObject(Qt::ImSurroundingText, QVariant()).isValid());
    }
};

}  // namespace mirutoka::ui::qt

int main(int argc, char** argv) {
    mirutoka::ui::qt::Application application(argc, argv);
    mirutoka::ui::qt::PasswordFieldTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "password_field_test.moc"
