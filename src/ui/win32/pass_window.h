#pragma once

#include <windows.h>

#include "gate/ok_action.h"
#include "platform/secrets.h"
#include "ui/pass_window.h"
#include "ui/win32/handles.h"

namespace mirutoka::ui::win32 {

// The password window: a masked field and an OK button on one row, as a
// dialog whose window class is PASS. It only shows and collects; the OK
// action decides. The dialog manager moves the focus, presses the default
// button on Enter and puts the focus back where it was when PASS is
// activated again. PASS is owned by a hidden window, which keeps it off the
// taskbar as classic Windows programs do, and owns the message boxes and the
// error report among its services.
class PassWindow {
public:
    // Makes PASS, laid out and centred at its own DPI, not yet shown.
    PassWindow(HINSTANCE instance, const gate::Services& services);
    PassWindow(const PassWindow&) = delete;
    PassWindow& operator=(const PassWindow&) = delete;
    ~PassWindow();

    // Shows PASS in front and runs the message loop until PASS is unloaded.
    int run();

    [[nodiscard]] HWND window() const noexcept { return PASS_; }

    // A fixed dialog frame: caption, system menu and close box, no sizing.
    // WS_EX_DLGMODALFRAME is also what DS_MODALFRAME would ask for.
    static constexpr DWORD PASS_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    static constexpr DWORD PASS_extended_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    // The designed client area at `dots_per_inch`.
    static SIZE client_size(int dots_per_inch);

private:
    static LRESULT CALLBACK class_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK Text1_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR subclass, DWORD_PTR data);

    INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam);
    void initialise();
    void lay_out(int dots_per_inch);
    [[nodiscard]] SIZE frame() const;
    void set_icons();
    void unload();
    platform::SecretText take_typed_text();

    gate::Services services_;
    HINSTANCE instance_;
    UniqueWindow owner_;
    HWND PASS_ = nullptr;
    HWND Label1 = nullptr;
    HWND Text1 = nullptr;
    HWND Command1 = nullptr;
    UniqueFont font_;
    UniqueIcon big_icon_;
    UniqueIcon small_icon_;
    int dots_per_inch_ = 0;  // what the window is laid out for
};

// Brings `window` to the front, or, where Windows keeps another program in
// front (the user is working in it), above the other windows without taking
// the focus from it, its caption flashing until it is activated: an owned
// window has no taskbar button to flash instead.
void come_forward(HWND window, decltype(&::SetForegroundWindow) set_foreground = ::SetForegroundWindow);

}  // namespace mirutoka::ui::win32
