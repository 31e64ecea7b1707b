#include "ui/qt/qt_error_report.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gate/front_end.h"
#include "ui/qt/qt_text.h"

namespace mirutoka::ui::qt {

void QtErrorReport::report(const platform::RunTimeError& error) {
    const std::string text = gate::untrapped_error_text(error);
    std::fprintf(stderr, "mirutoka: %s\n", text.c_str());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, to_qstring(gate::untrapped_error_title), to_qstring(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
    // Nothing of the failed action may run on, and nothing is left to save.
    std::_Exit(EXIT_FAILURE);
}

}  // namespace mirutoka::ui::qt
