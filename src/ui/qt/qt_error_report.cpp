#include "ui/qt/qt_error_report.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/qt/qt_text.h"

namespace mirutoka::ui::qt {

void QtErrorReport::report(const platform::RunTimeError& error) {
    const std::string number = std::to_string(error.number());
    std::fprintf(stderr, "mirutoka: 実行時エラー '%s': %s\n", number.c_str(), error.description().c_str());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("実行時エラー"),
                    to_qstring("実行時エラー '" + number + "':\n\n" + error.description()), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
    // Nothing of the failed action may run on, and nothing is left to save.
    std::_Exit(EXIT_FAILURE);
}

}  // namespace mirutoka::ui::qt
