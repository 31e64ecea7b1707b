#pragma once

#include <array>
#include <string>
#include <thread>
#include <vector>

#include <fontconfig/fontconfig.h>

// How the toolkit is started: which display it looks for, and what the user
// is told when there is none.
namespace mirutoka::ui::qt {

// The settings Qt takes from the environment alone, put there first thing,
// before any thread can read the environment, and left there; the program
// started on a match gets the environment from before main all the same.
// - No input-method plugin (QT_IM_MODULES, QT_IM_MODULE: "none"). Qt would
//   load one and hand it every key, the password's too; no field of ours
//   takes an input method, so it could only look at them. On Wayland Qt
//   takes its compose plugin for "none".
// - No frame of Qt's on Wayland (QT_WAYLAND_DISABLE_WINDOWDECORATION), unless
//   the user chose: deciding whether it may draw one, Qt 6.4 loads its OpenGL
//   integration, Mesa's EGL, GBM, a driver and LLVM, some 50 MiB.
class ToolkitEnvironment {
public:
    ToolkitEnvironment();
    ToolkitEnvironment(const ToolkitEnvironment&) = delete;
    ToolkitEnvironment& operator=(const ToolkitEnvironment&) = delete;

    // Whether Qt draws no frame because of this, not of the user.
    [[nodiscard]] bool took_the_frame() const { return took_the_frame_; }

private:
    bool took_the_frame_ = false;
};

// What QApplication is given: the program's name and, unless the user chose a
// platform in QT_QPA_PLATFORM, the displays the session names, Wayland first:
// through XWayland every X11 program of the session could read the keys
// typed into the password field, as X11 lets any client listen to the
// keyboard. The environment stays as it is, for the program that is started.
class ToolkitArguments {
public:
    ToolkitArguments();
    ToolkitArguments(const ToolkitArguments&) = delete;
    ToolkitArguments& operator=(const ToolkitArguments&) = delete;

    int& count() { return count_; }
    char** values() { return values_.data(); }

private:
    std::string name_ = "mirutoka";
    std::string platform_option_ = "-platform";
    std::string platforms_;
    std::array<char*, 4> values_{};
    int count_ = 1;
};

// Qt reads the font configuration on its main thread the first time it lays
// out text, some 10 ms of parsing, and then registers every installed face.
// Started first thing, a thread reads the configuration and picks the faces
// the window can use, while Qt connects to the display and loads its plugins;
// wait() then leaves only those in the configuration, on the calling thread,
// before the first text is laid out. Nothing writes to fontconfig's state
// while another thread may read it.
class FontConfigurationLoad {
public:
    FontConfigurationLoad();
    FontConfigurationLoad(const FontConfigurationLoad&) = delete;
    FontConfigurationLoad& operator=(const FontConfigurationLoad&) = delete;
    ~FontConfigurationLoad();  // joins the thread too, should Qt fail first

    // Call on the thread that runs Qt, after QApplication is made.
    void wait();

private:
    std::vector<FcPattern*> faces_;  // each one referenced, until the configuration takes it
    std::jthread thread_;
};

// Qt's accessibility bridge connects to the session bus the first time a
// widget reports a change, in the middle of building the window, and waits
// there for the bus to answer: a few ms, more where there is no bus and
// libdbus first tries to start one. Made right after QApplication, this
// connects on a thread of its own while the window is built, so that the
// bridge finds the connection made, or nearly. The destructor waits for it.
class SessionBusConnection {
public:
    SessionBusConnection();
    SessionBusConnection(const SessionBusConnection&) = delete;
    SessionBusConnection& operator=(const SessionBusConnection&) = delete;

private:
    std::jthread thread_;
};

// From here on, a toolkit that reaches no display ends the process with one
// line on standard error and exit status 1, not with an abort and advice to
// reinstall.
void explain_missing_display();

}  // namespace mirutoka::ui::qt
