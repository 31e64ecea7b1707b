#include "ui/qt/application.h"

namespace mirutoka::ui::qt {

Application::Application(int& count, char** values) : QApplication(count, values) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (!KeyChannel::concerns(*event)) return QApplication::notify(receiver, event);
    return key_channel_.notify(receiver, event,
                               [this](QObject* to, QEvent* what) { return QApplication::notify(to, what); });
}

}  // namespace mirutoka::ui::qt
