// The cost of the toolkit alone: a Qt 6 dialog with the same three widgets as
// PASS, and nothing else, shown and left to the event loop.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("ミルトカ"));
    dialog.setFixedSize(330, 39);
    QLabel label(QStringLiteral("パスワード"), &dialog);
    label.setGeometry(7, 14, 57, 15);
    QLineEdit field(&dialog);
    field.setGeometry(70, 7, 176, 22);
    field.setEchoMode(QLineEdit::Password);
    QPushButton ok(QStringLiteral("OK"), &dialog);
    ok.setGeometry(266, 7, 57, 22);
    ok.setDefault(true);
    dialog.show();
    return QApplication::exec();
}
