#include "ui/win32/window_mechanics.h"

#include <string>

#include "platform/win32/system_function.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::ui::win32 {
namespace {

// The device context of a window, or of the screen for none.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { ::ReleaseDC(window_, dc_); }
    [[nodiscard]] HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

int system_dpi() { return ::GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY); }

}  // namespace

platform::RunTimeError window_error(const char* what) {
    return platform::run_time_error(platform::Failure::NotCreated, what, "エラー " + std::to_string(::GetLastError()));
}

void register_dialog_class(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, int icon_id) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = instance;
    window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(icon_id));
    window_class.hIconSm = window_class.hIcon;
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = name;
    if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw window_error("ウィンドウクラス");
}

UniqueWindow create_hidden_owner(HINSTANCE instance, std::string_view title) {
    return UniqueWindow(::CreateWindowExW(0, L"STATIC", platform::to_wide(title).c_str(), WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, instance, nullptr));
}

void keep_own_layout_on_dpi_change(HWND dialog) {
    using SetBehavior = BOOL WINAPI(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    if (auto* set_behavior = platform::system_function<SetBehavior>(L"user32.dll", "SetDialogDpiChangeBehavior"))
        set_behavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

int window_dpi(HWND window) {
    if (auto* get_dpi_for_window = platform::system_function<UINT WINAPI(HWND)>(L"user32.dll", "GetDpiForWindow"))
        return static_cast<int>(get_dpi_for_window(window));
    return system_dpi();
}

UniqueFont message_font(int dots_per_inch) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = ::MulDiv(font.lfHeight, dots_per_inch, system_dpi());
    return UniqueFont(::CreateFontIndirectW(&font));
}

int text_width(HWND control, HFONT font, std::string_view text) {
    const WindowDc dc(control);
    const HGDIOBJ previous = ::SelectObject(dc.get(), font);
    const std::wstring wide = platform::to_wide(text);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
    ::SelectObject(dc.get(), previous);
    return static_cast<int>(extent.cx);
}

// AdjustWindowRectEx measures the frame at the system's DPI, which is not
// the window's on a second monitor of another scale.
SIZE frame_size(SIZE client, DWORD style, DWORD extended_style, int dots_per_inch) {
    RECT frame{0, 0, client.cx, client.cy};
    if (auto* adjust_for_dpi = platform::system_function<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>(
            L"user32.dll", "AdjustWindowRectExForDpi"))
        adjust_for_dpi(&frame, style, FALSE, extended_style, static_cast<UINT>(dots_per_inch));
    else
        ::AdjustWindowRectEx(&frame, style, FALSE, extended_style);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void set_client_size(HWND window, SIZE client, DWORD style, DWORD extended_style, int dots_per_inch) {
    const SIZE frame = frame_size(client, style, extended_style, dots_per_inch);
    ::SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void centre_on_screen(HWND window) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(window, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void move_to_suggested_place(HWND window, LPARAM lparam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mirutoka::ui::win32
