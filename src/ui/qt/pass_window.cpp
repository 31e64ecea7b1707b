#include "ui/qt/pass_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "ui/qt/password_field.h"
#include "ui/qt/qt_text.h"

namespace mirutoka::ui::qt {
namespace {

// A fixed dialog frame: title bar, system menu and close box, nothing to
// minimize or maximize with. A normal window, not a dialog: GNOME keeps a
// dialog without a parent window on the taskbar whatever it asks for.
constexpr Qt::WindowFlags fixed_dialog_frame = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

}  // namespace

PassWindow::PassWindow(const gate::Services& services)
    : QDialog(nullptr, fixed_dialog_frame),
      services_(services),
      Command1(new QPushButton(this)),
      Text1(new PasswordField(this)),
      Label1(new QLabel(this)),
      frame_watch_(*this, [this](QMargins frame) { centre_on_screen(frame); }) {
    setObjectName(to_qstring(PASS_name));
    setWindowTitle(to_qstring(PASS_title));

    const int dots_per_inch = qRound(screen()->logicalDotsPerInch());
    setFixedSize(twips_to_pixels(PASS_client_width, dots_per_inch),
                 twips_to_pixels(PASS_client_height, dots_per_inch));
    lay_out(*Command1, ui::Command1, dots_per_inch);
    lay_out(*Text1, ui::Text1, dots_per_inch);
    lay_out(*Label1, ui::Label1, dots_per_inch);
    Label1->resize(Label1_width(Label1->fontMetrics().horizontalAdvance(Label1->text()), dots_per_inch),
                   Label1->height());

    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] {
        gate::Command1_Click(services_, Text1->take());
        close();
    });

    // Text1 needs no key filter here: a line edit never takes a carriage
    // return into its text (not from Enter, not from Ctrl+M), and it leaves
    // Enter to the default button.
    Label1->setBuddy(Text1);

    setTabOrder(Text1, Command1);
    Text1->setFocus();
    keep_off_taskbar(*this);
}

void PassWindow::lay_out(QWidget& control, const ControlDescription& description, int dots_per_inch) {
    control.setObjectName(to_qstring(description.name));
    control.setGeometry(twips_to_pixels(description.twips.left, dots_per_inch),
                        twips_to_pixels(description.twips.top, dots_per_inch),
                        twips_to_pixels(description.twips.width, dots_per_inch),
                        twips_to_pixels(description.twips.height, dots_per_inch));
    control.setProperty("text", to_qstring(description.text));
}

// The window has no cancel button, so Esc does nothing.
void PassWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

// The frame's size is known only once the window manager has framed the
// window, so the window is centred as it is first shown and, with a window
// manager, again as soon as the frame is known: the whole frame is centred.
void PassWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) centre_on_screen(QMargins());
    QDialog::showEvent(event);
}

// Places the client area so that the frame around it sits in the middle of the screen.
void PassWindow::centre_on_screen(QMargins frame) {
    const QRect screen_area = screen()->geometry();
    const QSize outer = size().grownBy(frame);
    const QPoint client(screen_area.x() + (screen_area.width() - outer.width()) / 2 + frame.left(),
                        screen_area.y() + (screen_area.height() - outer.height()) / 2 + frame.top());
    setGeometry(QRect(client, size()));
}

}  // namespace mirutoka::ui::qt
