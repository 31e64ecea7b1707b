#pragma once

#include <QDialog>
#include <QMargins>

#include "gate/ok_action.h"
#include "ui/pass_window.h"
#include "ui/qt/x11_window.h"

class QLabel;
class QPushButton;

namespace mirutoka::ui::qt {

class PasswordField;

// The password window: a masked field and an OK button on one row. It only
// shows and collects; the OK action decides.
class PassWindow final : public QDialog {
public:
    explicit PassWindow(const gate::Services& services);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void lay_out(QWidget& control, const ControlDescription& description, int dots_per_inch);
    void centre_on_screen(QMargins frame);

    gate::Services services_;
    // In the window's designed order, which is also the order they are created and stacked in.
    QPushButton* Command1;
    PasswordField* Text1;
    QLabel* Label1;
    FrameWatch frame_watch_;
};

}  // namespace mirutoka::ui::qt
