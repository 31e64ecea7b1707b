#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "platform/native.h"
#include "platform/hardening.h"
#include "ui/qt/application.h"
#include "ui/qt/pass_window.h"
#include "ui/qt/qt_error_report.h"
#include "ui/qt/qt_message_boxes.h"
#include "ui/qt/toolkit_start.h"
#include "ui/qt/wayland_window.h"
#include "ui/icon/mirutoka.xpm"

// The program takes no arguments, so not even Qt's own options reach Qt.
int main() {
    const mirutoka::ui::qt::ToolkitEnvironment toolkit_environment;
    mirutoka::ui::qt::FontConfigurationLoad font_configuration;
    mirutoka::ui::qt::explain_missing_display();
    // The desktop's theme plugin would bring all of GTK 3 into the process on
    // GNOME and double the time to the window; PASS looks the same everywhere.
    QApplication::setDesktopSettingsAware(false);
    mirutoka::ui::qt::ToolkitArguments arguments;
    mirutoka::ui::qt::Application application(arguments.count(), arguments.values());
    const mirutoka::ui::qt::SessionBusConnection session_bus;
    font_configuration.wait();
    QApplication::setWindowIcon(QIcon(QPixmap(mirutoka_icon_xpm)));

    const mirutoka::platform::NativeFiles files;
    mirutoka::platform::NativeProgramStart program_start;
    mirutoka::ui::qt::QtMessageBoxes message_boxes;
    mirutoka::ui::qt::QtErrorReport error_report;
    mirutoka::ui::qt::PassWindow PASS({files, program_start, message_boxes, error_report});
    mirutoka::ui::qt::WaylandGlobals wayland;
    wayland.show(PASS, toolkit_environment.took_the_frame());
    const mirutoka::ui::qt::WaylandWindowRole role(PASS, wayland);
    // Window managers focus a new dialog, but not every one (openbox) a new normal window.
    PASS.activateWindow();
    // No core dumps from the first turn of the event loop on, before a key can
    // reach the field. Done earlier, it slows the start by some 2 ms, as the
    // session bus then has a harder time looking at the process.
    QTimer::singleShot(0, &PASS, &mirutoka::platform::harden_process);
    const int status = QApplication::exec();
    // Qt 6.4's Wayland client can deadlock tearing itself down: the display
    // waits for its event thread, which waits to read events. The process has
    // nothing left to save or write, so it ends here instead.
    std::fflush(nullptr);
    std::_Exit(status);
}
