#pragma once

#include <QApplication>

#include "ui/qt/key_channel.h"

namespace mirutoka::ui::qt {

// The toolkit's application, with the key channel in front of every event,
// ahead of every application event filter, and with no input-method plugin.
class Application final : public QApplication {
public:
    Application(int& count, char** values);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    class NoInputMethodPlugin;
    Application(int& count, char** values, const NoInputMethodPlugin& while_starting);

    KeyChannel key_channel_;
};

}  // namespace mirutoka::ui::qt
