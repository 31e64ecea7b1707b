#include "ui/qt/toolkit_start.h"

#include <QtGlobal>
#include <QString>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>

namespace mirutoka::ui::qt {
namespace {

constexpr const char* no_display_line =
    "mirutoka: デスクトップのセッションに接続できません (DISPLAY も WAYLAND_DISPLAY も使えません)。"
    " / No desktop session could be reached (neither DISPLAY nor WAYLAND_DISPLAY works).\n";

// The platform plugins' own complaints, such as an X server not reached
// while Wayland is: followed by the line above or by a platform that works,
// they would only confuse whoever reads standard error.
bool is_display_search(const QMessageLogContext& context) {
    return context.category != nullptr && QByteArray(context.category).startsWith("qt.qpa.");
}

void handle_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        std::fputs(no_display_line, stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (type != QtFatalMsg && is_display_search(context)) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

// With neither display named, X11 is asked for anyway and fails, with the line above.
ToolkitArguments::ToolkitArguments() {
    values_[0] = name_.data();
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) platforms_ = "xcb";
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) platforms_ += platforms_.empty() ? "wayland" : ";wayland";
    values_[1] = platform_option_.data();
    values_[2] = platforms_.data();
    count_ = 3;
}

FontConfigurationLoad::FontConfigurationLoad() : thread_([] { FcInit(); }) {}

void FontConfigurationLoad::wait() {
    if (thread_.joinable()) thread_.join();
}

void explain_missing_display() { qInstallMessageHandler(handle_message); }

}  // namespace mirutoka::ui::qt
