#include "ui/qt/drawn_frame.h"

#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace mirutoka::ui::qt {
namespace {

// Qt's own frame's measures, so that the window looks as it would with it.
constexpr int spacing = 5;
constexpr int icon_size = 22;
constexpr int button_size = 18;
constexpr int buttons_right_margin = 8;
constexpr int title_pixels = 14;

}  // namespace

DrawnFrame::DrawnFrame(QWidget& window) : window_(window) {
    for (QWidget* content : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        content->move(content->pos() + QPoint(margins.left(), margins.top()));
    window.setFixedSize(window.size().grownBy(margins));
    window.installEventFilter(this);
}

QRect DrawnFrame::title_bar() const { return {0, 0, window_.width(), margins.top()}; }

QRect DrawnFrame::close_box() const {
    return {window_.width() - button_size - buttons_right_margin, (margins.top() - button_size) / 2, button_size,
            button_size};
}

bool DrawnFrame::eventFilter(QObject* /*watched: the window*/, QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        paint();
        return false;
    case QEvent::ActivationChange:
        window_.update(title_bar());
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && press(mouse->position().toPoint());
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && release(mouse->position().toPoint());
    }
    default:
        return false;
    }
}

// Painted as the window's paint event arrives, over the background Qt has
// filled in and before the window paints anything itself.
void DrawnFrame::paint() const {
    QPainter painter(&window_);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup group = window_.isActiveWindow() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(QPen(window_.palette().color(group, QPalette::WindowText), 2));

    const QRect icon(margins.left() + spacing, (margins.top() - icon_size) / 2, icon_size, icon_size);
    window_.windowIcon().paint(&painter, icon);

    QFont font = painter.font();
    font.setPixelSize(title_pixels);
    painter.setFont(font);
    const QRect title(icon.right() + spacing, 0, close_box().left() - spacing - icon.right() - spacing, margins.top());
    painter.setClipRect(title);
    const QString text = painter.fontMetrics().elidedText(window_.windowTitle(), Qt::ElideRight, title.width());
    painter.drawText(title_bar(), Qt::AlignCenter, text);
    painter.setClipping(false);

    const QRectF cross = QRectF(close_box()).marginsRemoved(QMarginsF(5, 5, 5, 5));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.bottomLeft(), cross.topRight());
}

bool DrawnFrame::press(const QPoint& at) {
    if (!title_bar().contains(at)) return false;
    closing_ = close_box().contains(at);
    if (!closing_ && window_.windowHandle() != nullptr) window_.windowHandle()->startSystemMove();
    return true;
}

// As with any close box, a press that leaves it before the release closes nothing.
bool DrawnFrame::release(const QPoint& at) {
    const bool close = closing_ && close_box().contains(at);
    closing_ = false;
    if (close) window_.close();
    return close || title_bar().contains(at);
}

}  // namespace mirutoka::ui::qt
