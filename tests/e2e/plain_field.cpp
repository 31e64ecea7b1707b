// A control for the tests that watch where keys go: one plain line edit of
// the same toolkit as PASS, which takes an input method as any field does.
// Return prints the field's text and ends the program.
#include <QApplication>
#include <QLineEdit>

#include <cstdio>

int main(int count, char** values) {
    QApplication application(count, values);
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("plain field"));
    QObject::connect(&field, &QLineEdit::returnPressed, [&] {
        std::printf("%s\n", field.text().toUtf8().constData());
        std::fflush(stdout);
        QApplication::quit();
    });
    field.show();
    field.activateWindow();
    return QApplication::exec();
}
