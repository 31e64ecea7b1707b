#include "ui/qt/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/qt/qt_text.h"

namespace mirutoka::ui::qt {

void QtMessageBoxes::show(const gate::Message& message) {
    QMessageBox box(QMessageBox::Question, to_qstring(message.title), to_qstring(message.prompt), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

}  // namespace mirutoka::ui::qt
