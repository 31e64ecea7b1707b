#pragma once

#include <windows.h>

#include <string>

#include "gate/ok_action.h"
#include "platform/secrets.h"
#include "ui/pass_window.h"
#include "ui/win32/window_mechanics.h"

namespace mirutoka::ui::win32 {

// The password window: a masked field and an OK button on one row. It only
// shows and collects; the OK action decides. PASS is owned by a hidden window,
// which keeps it off the taskbar as classic Windows programs do.
class PassWindow {
public:
    PassWindow(HINSTANCE instance, const gate::Services& services);
    PassWindow(const PassWindow&) = delete;
    PassWindow& operator=(const PassWindow&) = delete;
    ~PassWindow();

    // Shows PASS centred on the screen and runs the message loop until it is unloaded.
    int run(int show_command);

    [[nodiscard]] HWND window() const noexcept { return PASS_; }

    // A fixed dialog frame: caption, system menu and close box, no sizing.
    static constexpr DWORD PASS_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    static constexpr DWORD PASS_extended_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    // The designed client area at `dots_per_inch`.
    static SIZE client_size(int dots_per_inch);

private:
    friend LRESULT CALLBACK route_to_object<PassWindow>(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) noexcept { PASS_ = window; }
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK Text1_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR subclass, DWORD_PTR data);

    HWND create_control(const wchar_t* window_class, const ControlDescription& description, DWORD style,
                        DWORD extended_style, int id);
    void create_controls();
    void lay_out(int dots_per_inch);
    platform::SecretText take_typed_text();

    HINSTANCE instance_;
    gate::Services services_;
    UniqueWindow owner_;
    HWND PASS_ = nullptr;
    HWND Label1 = nullptr;
    HWND Text1 = nullptr;
    HWND Command1 = nullptr;
    HWND focus_before_deactivation_ = nullptr;
    UniqueFont font_;
};

}  // namespace mirutoka::ui::win32
