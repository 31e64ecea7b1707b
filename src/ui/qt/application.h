#pragma once

#include <QApplication>

#include "ui/qt/key_channel.h"

namespace mirutoka::ui::qt {

// The toolkit's application, with the key channel in front of every event,
// ahead of every application event filter.
class Application final : public QApplication {
public:
    Application(int& count, char** values);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    KeyChannel key_channel_;
};

}  // namespace mirutoka::ui::qt
