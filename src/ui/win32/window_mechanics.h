#pragma once

#include <windows.h>

#include <string_view>
#include <utility>

#include "platform/run_time_error.h"

// How a window is made, sized and kept in Win32, apart from what it shows.
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

// A window that could not be made, with the system's reason.
platform::RunTimeError window_error(const char* what);

// A dialog class of our own name, with the program's icon, for a dialog
// template to name. `procedure` passes on to DefDlgProcW what it leaves.
void register_dialog_class(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, int icon_id);

// A hidden window to own a top-level one: an owned window gets no taskbar
// button, as with classic Windows programs.
UniqueWindow create_hidden_owner(HINSTANCE instance, std::string_view title);

// Where the dialog manager would scale a dialog from its template on a DPI
// change (Windows 10 1703 on), the dialog lays itself out instead.
void keep_own_layout_on_dpi_change(HWND dialog);

// The window's DPI: its monitor's from Windows 10 on, the system's before.
int window_dpi(HWND window);

// The system's message font, at `dots_per_inch`.
UniqueFont message_font(int dots_per_inch);

// How many pixels wide `text` is in `font` on `control`.
int text_width(HWND control, HFONT font, std::string_view text);

// The size of the frame a window with these styles has around `client` at its DPI.
SIZE frame_size(SIZE client, DWORD style, DWORD extended_style, int dots_per_inch);

// Sizes the frame of a window with these styles around a client area of `client`.
void set_client_size(HWND window, SIZE client, DWORD style, DWORD extended_style, int dots_per_inch);

void centre_on_screen(HWND window);

// Moves the window to where WM_DPICHANGED suggests (its `lparam`), keeping
// the size the window has given itself for the new DPI: the suggested size
// scales the whole frame, which does not scale in step with the client area.
void move_to_suggested_place(HWND window, LPARAM lparam);

}  // namespace mirutoka::ui::win32
