#include "ui/win32/pass_window.h"

#include <commctrl.h>
#include <imm.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "gate/event_handler.h"
#include "gate/ok_action.h"
#include "platform/run_time_error.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::ui::win32 {
namespace {

constexpr wchar_t window_class_name[] = L"PASS";
constexpr DWORD PASS_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD PASS_extended_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int Label1_id = 100;
constexpr int Text1_id = 101;
constexpr int Command1_id = IDOK;  // Enter anywhere arrives as IDOK, the default button's id
constexpr int icon_id = 1;

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

int text_width(HWND control, HFONT font, std::string_view text) {
    const WindowDc dc(control);
    const HGDIOBJ previous = ::SelectObject(dc.get(), font);
    const std::wstring wide = platform::to_wide(text);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
    ::SelectObject(dc.get(), previous);
    return static_cast<int>(extent.cx);
}

// GetDpiForWindow exists from Windows 10 on; before that every window has the system's DPI.
int window_dpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const FARPROC found = user32 != nullptr ? ::GetProcAddress(user32, "GetDpiForWindow") : nullptr;
    if (found == nullptr) return system_dpi();
    const auto get_dpi = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(found));
    return static_cast<int>(get_dpi(window));
}

// A password field shows its own balloon when Caps Lock is pressed in it, but
// not when Caps Lock is already on as it gets the focus: this is that one.
// It is the field's one balloon, so the two never show at once.
void show_caps_lock_balloon_if_on(HWND field) {
    if ((::GetKeyState(VK_CAPITAL) & 1) == 0) return;
    const std::wstring text = platform::to_wide(caps_lock_hint_text);
    EDITBALLOONTIP balloon{sizeof(balloon), L"Caps Lock", text.c_str(), TTI_WARNING};
    ::SendMessageW(field, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&balloon));
}

platform::RunTimeError window_error(const char* what) {
    return {platform::ErrorNumber::InternalError,
            std::string(what) + " を作成できません (エラー " + std::to_string(::GetLastError()) + ")。"};
}

void register_window_class(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(icon_id));
    window_class.hIconSm = window_class.hIcon;
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = window_class_name;
    if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw window_error("ウィンドウクラス");
}

}  // namespace

PassWindow::PassWindow(HINSTANCE instance, const PassServices& services)
    : instance_(instance),
      services_(services),
      owner_(::CreateWindowExW(0, L"STATIC", platform::to_wide(PASS_title).c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, instance, nullptr)) {
    register_window_class(instance, window_procedure);
    ::CreateWindowExW(PASS_extended_style, window_class_name, platform::to_wide(PASS_title).c_str(), PASS_style,
                      CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner_.get(), nullptr, instance, this);
    if (PASS_ == nullptr || Command1 == nullptr) throw window_error("ウィンドウ");
    lay_out(window_dpi(PASS_));
}

PassWindow::~PassWindow() {
    if (PASS_ != nullptr) ::DestroyWindow(PASS_);
}

int PassWindow::run(int show_command) {
    centre_on_screen();
    ::ShowWindow(PASS_, show_command);
    ::SetFocus(Text1);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, Enter and Esc are the dialog manager's: Enter presses the default button.
        if (PASS_ != nullptr && ::IsDialogMessageW(PASS_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK PassWindow::window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<PassWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->PASS_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PassWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->PASS_ = nullptr;
    }
    return self->handle(message, wparam, lparam);
}

LRESULT PassWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        create_controls();
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(Command1_id, DC_HASDEFID);
    case WM_COMMAND:
        // IDCANCEL (Esc) is left alone: the window has no cancel button.
        if (LOWORD(wparam) == Command1_id && HIWORD(wparam) == BN_CLICKED) Command1_Click();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE && ::IsChild(PASS_, ::GetFocus())) focus_before_deactivation_ = ::GetFocus();
        return ::DefWindowProcW(PASS_, message, wparam, lparam);
    case WM_SETFOCUS:
        // Like a dialog box: the focus goes back to the control that had it, at first Text1.
        ::SetFocus(focus_before_deactivation_ != nullptr ? focus_before_deactivation_ : Text1);
        return 0;
    case WM_DPICHANGED: {
        lay_out(HIWORD(wparam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        ::SetWindowPos(PASS_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(PASS_, message, wparam, lparam);
    }
}

HWND PassWindow::create_control(const wchar_t* window_class, const ControlDescription& description, DWORD style,
                                DWORD extended_style, int id) {
    return ::CreateWindowExW(extended_style, window_class, platform::to_wide(description.text).c_str(),
                             WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, PASS_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
}

// Label1 comes first in z-order so that screen readers name the field after
// it; the tab order stays Text1, then Command1, as only they are tab stops.
void PassWindow::create_controls() {
    Label1 = create_control(L"STATIC", ui::Label1, SS_LEFT | SS_NOPREFIX, 0, Label1_id);
    Text1 = create_control(L"EDIT", ui::Text1, WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, Text1_id);
    Command1 = create_control(L"BUTTON", ui::Command1, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, Command1_id);
    if (Text1 == nullptr || Command1 == nullptr) return;
    ::SendMessageW(Text1, EM_SETPASSWORDCHAR, static_cast<WPARAM>(Text1_password_character), 0);
    ::SendMessageW(Text1, EM_SETLIMITTEXT, 0, 0);  // 0 lifts the limit to the most the control holds
    ::ImmAssociateContextEx(Text1, nullptr, 0);    // no input method: the field takes the keys as typed
    ::SetWindowSubclass(Text1, Text1_procedure, 0, 0);
}

void PassWindow::lay_out(int dots_per_inch) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW message_font = metrics.lfMessageFont;
    message_font.lfHeight = ::MulDiv(message_font.lfHeight, dots_per_inch, system_dpi());
    font_ = UniqueFont(::CreateFontIndirectW(&message_font));

    const auto place = [&](HWND control, const ControlDescription& description, int width) {
        ::SetWindowPos(control, nullptr, twips_to_pixels(description.twips.left, dots_per_inch),
                       twips_to_pixels(description.twips.top, dots_per_inch), width,
                       twips_to_pixels(description.twips.height, dots_per_inch), SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    };
    place(Label1, ui::Label1, Label1_width(text_width(Label1, font_.get(), ui::Label1.text), dots_per_inch));
    place(Text1, ui::Text1, twips_to_pixels(ui::Text1.twips.width, dots_per_inch));
    place(Command1, ui::Command1, twips_to_pixels(ui::Command1.twips.width, dots_per_inch));

    RECT frame{0, 0, twips_to_pixels(PASS_client_width, dots_per_inch),
               twips_to_pixels(PASS_client_height, dots_per_inch)};
    ::AdjustWindowRectEx(&frame, PASS_style, FALSE, PASS_extended_style);
    ::SetWindowPos(PASS_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PassWindow::centre_on_screen() {
    RECT frame{};
    ::GetWindowRect(PASS_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(PASS_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK PassWindow::Text1_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                             UINT_PTR subclass, DWORD_PTR) {
    if (message == WM_CHAR) {
        auto KeyAscii = static_cast<std::int16_t>(wparam);
        Text1_KeyPress(KeyAscii);
        if (KeyAscii == 0) return 0;  // discarded, and without the edit control's beep
        wparam = static_cast<std::uint16_t>(KeyAscii);
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, Text1_procedure, subclass);
    const LRESULT result = ::DefSubclassProc(window, message, wparam, lparam);
    if (message == WM_SETFOCUS) show_caps_lock_balloon_if_on(window);
    return result;
}

// The field is emptied as it is read, so the password stays in memory no longer than needed.
std::string PassWindow::take_typed_text() {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(Text1)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(Text1, text.data(), static_cast<int>(text.size()))));
    ::SetWindowTextW(Text1, L"");
    std::string typed = platform::to_utf8(text);
    ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    return typed;
}

void PassWindow::Command1_Click() {
    gate::run_event_handler(
        [this] {
            gate::Command1_Click({services_.files, services_.program_start, services_.message_boxes},
                                 {[this] { return take_typed_text(); }, [this] { ::DestroyWindow(PASS_); }});
        },
        services_.error_report);
}

}  // namespace mirutoka::ui::win32
