#include "ui/qt/password_field.h"

#include <QAccessible>
#include <QInputMethod>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "gate/password_file.h"
#include "support/fakes.h"
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

    [[nodiscard]] bool was_told_of(QChar c) const {
        for (const Told& key : told)
            if (key.text.contains(c) || key.keysym == c.unicode() || key.keycode == keycode_of(c)) return true;
        return false;
    }
    static quint32 keycode_of(QChar c) { return 0x100U + c.unicode(); }

private:
    std::deque<std::pair<QPointer<QObject>, std::unique_ptr<QKeyEvent>>> held_;
};

constexpr char16_t mask = 0x5A5A;

// Whether the writable memory of this process holds `masked` unmasked.
bool in_memory(std::span<const char16_t> masked) {
    std::ifstream maps("/proc/self/maps");
    const int memory = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    std::vector<char16_t> region;
    bool found = false;
    for (std::string line; !found && std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, permissions;
        fields >> range >> permissions;
        if (permissions.substr(0, 2) != "rw" || line.find("[vvar") != std::string::npos) continue;
        const std::size_t begin = std::stoul(range, nullptr, 16);
        const std::size_t end = std::stoul(range.substr(range.find('-') + 1), nullptr, 16);
        region.resize((end - begin) / 2);
        const ssize_t count = ::pread(memory, region.data(), end - begin, static_cast<off_t>(begin));
        const std::size_t units = count > 0 ? static_cast<std::size_t>(count) / 2 : 0;
        for (std::size_t at = 0; !found && at + masked.size() <= units; ++at) {
            std::size_t k = 0;
            while (k < masked.size() && (region[at + k] ^ mask) == masked[k]) ++k;
            found = k == masked.size();
        }
    }
    ::close(memory);
    std::fill(region.begin(), region.end(), u'\0');
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
    void press_and_release(int key, quint32 keysym, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        platform_key(QEvent::KeyPress, key, QString(), keysym, keysym & 0xFFU, modifiers);
        platform_key(QEvent::KeyRelease, key, QString(), keysym, keysym & 0xFFU, modifiers);
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

    // The bridge forwards keys for as long as listeners are registered,
    // whatever the accessibility flag says, and any program can turn the flag.
    void listeners_hear_no_typed_key_whatever_the_accessibility_flag() {
        FakeBridge bridge;
        type(QStringLiteral("q"));
        QAccessible::setActive(false);
        type(QStringLiteral("z"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("qz"));
        QVERIFY(!bridge.told.empty());
        QVERIFY(!bridge.was_told_of(u'q') && !bridge.was_told_of(u'z'));
    }

    void a_key_kept_by_a_listener_is_dropped_and_the_next_still_comes() {
        FakeBridge bridge;
        type(QStringLiteral("a"));
        bridge.answer(true);
        bridge.answer_all();
        type(QStringLiteral("b"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("b"));
        // The screen reader's command, kept by it, holds back no later key.
        platform_key(QEvent::KeyPress, Qt::Key_Insert, QString(), 0xFF63, 118);
        bridge.answer(true);
        platform_key(QEvent::KeyRelease, Qt::Key_Insert, QString(), 0xFF63, 118);
        type(QStringLiteral("c"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("bc"));
        QVERIFY(!bridge.was_told_of(u'b') && !bridge.was_told_of(u'c'));
    }

    // Shift+Tab, held by the bridge, moves the focus into the field only when
    // it comes back; a letter typed meanwhile lands in the field.
    void a_key_typed_while_the_focus_comes_back_to_the_field_goes_masked() {
        FakeBridge bridge;
        PASS->findChild<QPushButton*>("Command1")->setFocus();
        platform_key(QEvent::KeyPress, Qt::Key_Backtab, QString(), 0xFE20, 23, Qt::ShiftModifier);
        type(QStringLiteral("k"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("k"));
        QVERIFY(!bridge.was_told_of(u'k'));
    }

    // Insert is let go of in another program's window; the field must not
    // stay open to the listeners.
    void the_screen_readers_modifier_ends_with_the_windows_focus() {
        FakeBridge bridge;
        platform_key(QEvent::KeyPress, Qt::Key_Insert, QString(), 0xFF63, 118);
        bridge.answer_all();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        PASS->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(PASS.get()));
        type(QStringLiteral("m"));
        bridge.answer_all();
        QCOMPARE(Text1->text(), QStringLiteral("m"));
        QVERIFY(!bridge.was_told_of(u'm'));
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
