#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

namespace mirutoka::ui::qt {

// The frame of a window whose compositor leaves frames to the program, as
// GNOME's does on Wayland: what Qt would draw there, the icon, the title in
// the middle and a close box, but without the minimize and maximize buttons
// that Qt's draws whatever the window asks for. Dragging the title bar moves
// the window. The window grows by the frame and its contents, placed by hand
// as PASS's are, move in by it; the frame is painted on the window itself, so
// it is no widget, and no object on the accessibility bus, of its own. Make
// it before the window is shown, and keep it while the window lives.
class DrawnFrame final : public QObject {
public:
    static constexpr QMargins margins{3, 30, 3, 3};

    explicit DrawnFrame(QWidget& window);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] QRect title_bar() const;
    [[nodiscard]] QRect close_box() const;
    void paint() const;
    bool press(const QPoint& at);
    bool release(const QPoint& at);

    QWidget& window_;
    bool closing_ = false;  // the close box is pressed, and closes on release
};

}  // namespace mirutoka::ui::qt
