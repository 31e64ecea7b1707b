#pragma once

#include <windows.h>

#include "ui/pass_services.h"
#include "ui/pass_window.h"

namespace mirutoka::ui::win32 {

class UniqueWindow {
public:
    explicit UniqueWindow(HWND window = nullptr) noexcept : window_(window) {}
    UniqueWindow(const UniqueWindow&) = delete;
    UniqueWindow& operator=(const UniqueWindow&) = delete;
    ~UniqueWindow() {
        if (window_ != nullptr) ::DestroyWindow(window_);
    }
    [[nodiscard]] HWND get() const noexcept { return window_; }

private:
    HWND window_;
};

class UniqueFont {
public:
    explicit UniqueFont(HFONT font = nullptr) noexcept : font_(font) {}
    UniqueFont(const UniqueFont&) = delete;
    UniqueFont& operator=(const UniqueFont&) = delete;
    UniqueFont& operator=(UniqueFont&& other) noexcept {
        std::swap(font_, other.font_);
        return *this;
    }
    ~UniqueFont() {
        if (font_ != nullptr) ::DeleteObject(font_);
    }
    [[nodiscard]] HFONT get() const noexcept { return font_; }

private:
    HFONT font_;
};

// The password window: a masked field and an OK button on one row. It only
// shows and collects; the OK action decides. PASS is owned by a hidden window,
// which keeps it off the taskbar as classic Windows programs do.
class PassWindow {
public:
    PassWindow(HINSTANCE instance, const PassServices& services);
    PassWindow(const PassWindow&) = delete;
    PassWindow& operator=(const PassWindow&) = delete;
    ~PassWindow();

    // Shows PASS centred on the screen and runs the message loop until it is unloaded.
    int run(int show_command);

    [[nodiscard]] HWND window() const noexcept { return PASS_; }

private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK Text1_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR subclass, DWORD_PTR data);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    HWND create_control(const wchar_t* window_class, const ControlDescription& description, DWORD style,
                        DWORD extended_style, int id);
    void create_controls();
    void lay_out(int dots_per_inch);
    void centre_on_screen();
    std::string take_typed_text();
    void Command1_Click();

    HINSTANCE instance_;
    PassServices services_;
    UniqueWindow owner_;
    HWND PASS_ = nullptr;
    HWND Label1 = nullptr;
    HWND Text1 = nullptr;
    HWND Command1 = nullptr;
    HWND focus_before_deactivation_ = nullptr;
    UniqueFont font_;
};

}  // namespace mirutoka::ui::win32
