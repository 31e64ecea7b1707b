#include "ui/qt/pass_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "gate/password_file.h"
#include "ui/qt/drawn_frame.h"
#include "support/fakes.h"

namespace mirutoka::ui::qt {

using namespace mirutoka::testing;

class PassWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeFiles> files;
    std::unique_ptr<FakeProgramStart> program_start;
    std::unique_ptr<FakeMessageBoxes> boxes;
    std::unique_ptr<FakeErrorReport> report;
    std::unique_ptr<PassWindow> PASS;

    template <class Widget>
    Widget* control(const char* name) {
        auto* widget = PASS->findChild<Widget*>(name);
        if (widget == nullptr) qFatal("no control %s", name);
        return widget;
    }

    // keyClicks takes Latin-1 only; this types any text, one key event a character.
    static void type(QWidget* widget, const QString& text) {
        for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    QStringList titles() const {
        QStringList result;
        for (const gate::Message& message : boxes->shown)
            result << QString::fromUtf8(message.title.data(), static_cast<qsizetype>(message.title.size()));
        return result;
    }

private slots:
    void init() {
        files = std::make_unique<FakeFiles>();
        files->contents[gate::password_file_name] = "secret\ngame --full\n";
        program_start = std::make_unique<FakeProgramStart>();
        boxes = std::make_unique<FakeMessageBoxes>();
        report = std::make_unique<FakeErrorReport>();
        PASS = std::make_unique<PassWindow>(gate::Services{*files, *program_start, *boxes, *report});
        PASS->show();
        QVERIFY(QTest::qWaitForWindowActive(PASS.get()));
    }

    void cleanup() { PASS.reset(); }

    // At 100, 125, 150 and 200 %: the caption's font grows with the scale, the
    // label as the layout allows.
    void label_shows_its_whole_caption_data() {
        QTest::addColumn<double>("scale");
        for (const double scale : {1.0, 1.25, 1.5, 2.0}) QTest::newRow(QByteArray::number(scale)) << scale;
    }

    void label_shows_its_whole_caption() {
        QFETCH(double, scale);
        auto* Label1 = control<QLabel>("Label1");
        QVERIFY(Label1->fontMetrics().horizontalAdvance(Label1->text()) <= Label1->width());
        QFont font = Label1->font();
        font.setPointSizeF(font.pointSizeF() * scale);
        const int caption = QFontMetrics(font).horizontalAdvance(Label1->text());
        QVERIFY2(caption <= Label1_width(caption, qRound(96 * scale)), qPrintable(QString::number(caption)));
    }

    void masks_with_asterisks_and_keeps_the_real_text() {
        auto* Text1 = control<QLineEdit>("Text1");
        type(Text1, QStringLiteral("ab パス"));
        QCOMPARE(Text1->text(), QStringLiteral("ab パス"));
        QCOMPARE(Text1->displayText(), QStringLiteral("*****"));
        // No limit but the toolkit's: a line edit would stop at 32,767 characters.
        Text1->insert(QString(40'000, QLatin1Char('a')));
        QCOMPARE(Text1->text().size(), 5 + 40'000);
    }

    void focus_starts_in_the_field_and_tab_skips_the_label() {
        auto* Text1 = control<QLineEdit>("Text1");
        auto* Command1 = control<QPushButton>("Command1");
        QCOMPARE(QApplication::focusWidget(), Text1);
        QTest::keyClick(Text1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Command1);
        QTest::keyClick(Command1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Text1);
    }

    void enter_in_the_field_presses_ok() {
        auto* Text1 = control<QLineEdit>("Text1");
        QTest::keyClicks(Text1, QStringLiteral("secret"));
        QTest::keyClick(Text1, Qt::Key_Return);
        QCOMPARE(program_start->started, std::vector<std::string>{"game --full"});
        QVERIFY(boxes->shown.empty());
        QVERIFY(!PASS->isVisible());
    }

    void enter_on_the_button_presses_ok() {
        auto* Command1 = control<QPushButton>("Command1");
        QVERIFY(Command1->isDefault());
        QTest::keyClicks(control<QLineEdit>("Text1"), QStringLiteral("wrong"));
        QTest::keyClick(control<QLineEdit>("Text1"), Qt::Key_Tab);
        QTest::keyClick(Command1, Qt::Key_Return);
        QCOMPARE(titles(), QStringList{QStringLiteral("パスワード不一致")});
        QVERIFY(!PASS->isVisible());
    }

    void click_with_wrong_password_shows_mismatch_once() {
        QTest::keyClicks(control<QLineEdit>("Text1"), QStringLiteral("Secret"));
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(titles(), QStringList{QStringLiteral("パスワード不一致")});
        QVERIFY(program_start->started.empty());
        QVERIFY(!PASS->isVisible());
        QVERIFY2(control<QLineEdit>("Text1")->text().isEmpty(), "the typed password stays in the field");
    }

    // Off X11 the state comes from the key events alone: the Lock bit of every
    // key's native state, and Caps Lock's own press turning it over.
    void caps_lock_hint_follows_the_keys_and_the_focus() {
        auto* Text1 = control<QLineEdit>("Text1");
        auto* hint = PASS->findChild<QLabel*>("caps_lock_hint");
        QVERIFY(hint != nullptr);
        QVERIFY(!hint->isVisible());
        const auto key = [Text1](int code, quint32 native_modifiers) {
            QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier, 0, 0, native_modifiers);
            QApplication::sendEvent(Text1, &event);
        };
        key(Qt::Key_A, 0x2);
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->text(), QStringLiteral("Caps Lock がオンになっています"));
        key(Qt::Key_CapsLock, 0x2);
        QVERIFY(!hint->isVisible());
        key(Qt::Key_CapsLock, 0);
        QVERIFY(hint->isVisible());
        Text1->clearFocus();
        QVERIFY(!hint->isVisible());
        QCOMPARE(PASS->size(), QSize(330, 39));
    }

    void escape_does_nothing() {
        QTest::keyClick(control<QLineEdit>("Text1"), Qt::Key_Escape);
        QTest::keyClick(PASS.get(), Qt::Key_Escape);
        QVERIFY(PASS->isVisible());
        QVERIFY(boxes->shown.empty());
    }

    void closing_reads_nothing_and_starts_nothing() {
        QVERIFY(PASS->close());
        QCOMPARE(files->opens_attempted, 0);
        QVERIFY(program_start->started.empty());
        QVERIFY(boxes->shown.empty());
    }

    void untrapped_error_goes_to_the_report_only() {
        files->contents[gate::password_file_name] = "";
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(report->reported.size(), 1U);
        QCOMPARE(report->reported.front().number(), 62);
        QVERIFY(boxes->shown.empty());
        QVERIFY(program_start->started.empty());
    }

    // Where the compositor draws no frames, PASS draws its own, around its
    // contents and closing only from its close box.
    void drawn_frame_holds_the_contents_and_closes_from_its_close_box() {
        const QPoint field = control<QLineEdit>("Text1")->pos();
        const DrawnFrame frame(*PASS);
        QCOMPARE(PASS->size(), QSize(336, 72));
        QCOMPARE(control<QLineEdit>("Text1")->pos(), field + QPoint(3, 30));
        QTest::mouseClick(PASS.get(), Qt::LeftButton, {}, {100, 15});
        QVERIFY(PASS->isVisible());
        QTest::mouseClick(PASS.get(), Qt::LeftButton, {}, {319, 15});
        QVERIFY(!PASS->isVisible());
    }
};

}  // namespace mirutoka::ui::qt

QTEST_MAIN(mirutoka::ui::qt::PassWindowTest)
#include "pass_window_test.moc"
