// The cost of the toolkit alone: a Qt 6 dialog with the same three widgets as
// PASS, laid out from the same description at 96 dpi, and nothing else, shown
// and left to the event loop.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pass_window.h"

namespace {

constexpr int dpi = 96;

QRect pixels(const mirutoka::ui::ControlDescription& control) {
    using mirutoka::ui::twips_to_pixels;
    return {twips_to_pixels(control.twips.left, dpi), twips_to_pixels(control.twips.top, dpi),
            twips_to_pixels(control.twips.width, dpi), twips_to_pixels(control.twips.height, dpi)};
}

QString text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

int main(int argc, char* argv[]) {
    namespace ui = mirutoka::ui;
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(text(ui::PASS_title));
    dialog.setFixedSize(ui::twips_to_pixels(ui::PASS_client_width, dpi), ui::twips_to_pixels(ui::PASS_client_height, dpi));
    QLabel label(text(ui::Label1.text), &dialog);
    label.setGeometry(pixels(ui::Label1));
    QLineEdit field(&dialog);
    field.setGeometry(pixels(ui::Text1));
    field.setEchoMode(QLineEdit::Password);
    QPushButton ok(text(ui::Command1.text), &dialog);
    ok.setGeometry(pixels(ui::Command1));
    ok.setDefault(true);
    dialog.show();
    return QApplication::exec();
}
