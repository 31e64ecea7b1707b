#include "ui/qt/application.h"

#include "ui/qt/environment_setting.h"

namespace mirutoka::ui::qt {

// Qt loads an input-method plugin as it starts (compose, or fcitx5's or
// ibus's as QT_IM_MODULE says) and hands it every key typed into a window of
// ours, the password's too, before the window sees it. No field of ours takes
// an input method, so the plugin has nothing to do here but look at the keys.
// Qt reads which to load from the environment alone, so "none" is put there
// while QApplication starts. On Wayland Qt takes its compose plugin for it.
class Application::NoInputMethodPlugin {
    // Qt 6.8 reads the first, and the second only without it; Qt 6.4 only the second.
    EnvironmentSetting modules_{"QT_IM_MODULES", "none"};
    EnvironmentSetting module_{"QT_IM_MODULE", "none"};
};

// The setting lives until the constructor it delegates to is done.
Application::Application(int& count, char** values) : Application(count, values, NoInputMethodPlugin{}) {}

Application::Application(int& count, char** values, const NoInputMethodPlugin& /*while_starting*/)
    : QApplication(count, values) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (!KeyChannel::concerns(*event)) return QApplication::notify(receiver, event);
    return key_channel_.notify(receiver, event,
                               [this](QObject* to, QEvent* what) { return QApplication::notify(to, what); });
}

}  // namespace mirutoka::ui::qt
