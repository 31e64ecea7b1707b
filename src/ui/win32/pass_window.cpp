#include "ui/win32/pass_window.h"

#include <commctrl.h>
#include <imm.h>

#include <cstdint>
#include <string>

#include "platform/run_time_error.h"
#include "platform/secrets.h"
#include "platform/win32/system_function.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/box_owner.h"
#include "ui/win32/dialog_template.h"
#include "ui/win32/dpi.h"

namespace mirutoka::ui::win32 {
namespace {

constexpr wchar_t window_class_name[] = L"PASS";
constexpr int Label1_id = 100;
constexpr int Text1_id = 101;
constexpr int Command1_id = IDOK;  // the dialog manager's default button: Enter anywhere presses it
constexpr int icon_id = 1;

// Label1 comes first so that screen readers name the field after it; only
// Text1 and Command1 are tab stops, in that order.
DialogTemplate PASS_template() {
    DialogTemplate description(window_class_name, platform::to_wide(PASS_title), PassWindow::PASS_style,
                               PassWindow::PASS_extended_style);
    description.add_control(L"STATIC", platform::to_wide(ui::Label1.text), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                            0, Label1_id);
    description.add_control(L"EDIT", platform::to_wide(ui::Text1.text),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                            Text1_id);
    description.add_control(L"BUTTON", platform::to_wide(ui::Command1.text),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, Command1_id);
    return description;
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

// A window that could not be made, with the system's reason.
platform::RunTimeError window_error(const char* what) {
    return platform::run_time_error(platform::Failure::NotCreated, what, "エラー " + std::to_string(::GetLastError()));
}

// A dialog class of PASS's name, with the program's icon, for the template to name.
void register_dialog_class(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = instance;
    window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(icon_id));
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = window_class_name;
    if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw window_error("ウィンドウクラス");
}

// A hidden window to own PASS: an owned window gets no taskbar button, as
// with classic Windows programs. Without it PASS would get one.
UniqueWindow create_hidden_owner(HINSTANCE instance) {
    UniqueWindow owner(::CreateWindowExW(0, L"STATIC", platform::to_wide(PASS_title).c_str(), WS_POPUP, 0, 0, 0, 0,
                                         nullptr, nullptr, instance, nullptr));
    if (!owner) throw window_error("ウィンドウ");
    return owner;
}

// The program's icon at `width` pixels, scaled down from the next larger
// picture where the file has none of that size. LoadImageW, where the common
// controls lack the function, scales the nearest one either way.
UniqueIcon program_icon(HINSTANCE instance, int width) {
    using LoadScaledDown = HRESULT WINAPI(HINSTANCE, PCWSTR, int, int, HICON*);
    HICON icon = nullptr;
    if (auto* scale_down = platform::system_function<LoadScaledDown>(L"comctl32.dll", "LoadIconWithScaleDown"))
        scale_down(instance, MAKEINTRESOURCEW(icon_id), width, width, &icon);
    if (icon == nullptr)
        icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(icon_id), IMAGE_ICON, width, width, 0));
    return UniqueIcon(icon);
}

}  // namespace

void come_forward(HWND window, decltype(&::SetForegroundWindow) set_foreground) {
    if (set_foreground(window)) return;
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FLASHWINFO flash{sizeof(flash), window, FLASHW_CAPTION | FLASHW_TIMERNOFG, 0, 0};
    ::FlashWindowEx(&flash);
}

SIZE PassWindow::client_size(int dots_per_inch) {
    return {twips_to_pixels(PASS_client_width, dots_per_inch), twips_to_pixels(PASS_client_height, dots_per_inch)};
}

PassWindow::PassWindow(HINSTANCE instance, const gate::Services& services)
    : services_(services), instance_(instance), owner_(create_hidden_owner(instance)) {
    register_dialog_class(instance, class_procedure);
    const DialogTemplate description = PASS_template();
    ::CreateDialogIndirectParamW(instance, description.get(), owner_.get(), dialog_procedure,
                                 reinterpret_cast<LPARAM>(this));
    if (PASS_ == nullptr) throw window_error("ウィンドウ");
}

PassWindow::~PassWindow() {
    if (PASS_ != nullptr) ::DestroyWindow(PASS_);
}

// SetWindowPos shows the window as it is. The program's first ShowWindow
// with SW_SHOW, SW_SHOWNORMAL or SW_SHOWDEFAULT would take the show state its
// starter put in STARTUPINFO (a shortcut's "Run: Maximized", `start /min`),
// and PASS is never maximized or minimized.
int PassWindow::run() {
    ::SetWindowPos(PASS_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    come_forward(PASS_);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PASS_ != nullptr && ::IsDialogMessageW(PASS_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// The designed frame is the least and the greatest size PASS may have, at
// the DPI it is laid out for. So PASS is made at that size, not smaller and
// sized afterwards (a window manager busy enough has been seen to act on the
// first size late, and shrink it), and nothing can size it otherwise.
LRESULT CALLBACK PassWindow::class_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_GETMINMAXINFO) return ::DefDlgProcW(window, message, wparam, lparam);
    const auto* PASS = reinterpret_cast<const PassWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
    const int dots_per_inch = PASS != nullptr && PASS->dots_per_inch_ != 0 ? PASS->dots_per_inch_ : window_dpi(window);
    const SIZE frame = frame_size(client_size(dots_per_inch), PASS_style, PASS_extended_style, dots_per_inch);
    auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
    limits->ptMinTrackSize = limits->ptMaxTrackSize = {frame.cx, frame.cy};
    return 0;
}

// No exception goes back into the dialog manager: whatever a handler throws
// goes to the error report, which ends the process.
INT_PTR CALLBACK PassWindow::dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(window, DWLP_USER, lparam);
    auto* PASS = reinterpret_cast<PassWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (PASS == nullptr) return FALSE;
    if (message == WM_INITDIALOG) PASS->PASS_ = window;
    INT_PTR result = FALSE;
    gate::run_event_handler([&] { result = PASS->handle(message, wparam, lparam); }, PASS->services_.error_report);
    if (message == WM_NCDESTROY) PASS->PASS_ = nullptr;
    return result;
}

INT_PTR PassWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        initialise();
        return FALSE;  // the focus is set already
    case WM_COMMAND:
        // IDCANCEL (Esc) is left alone: the window has no cancel button.
        if (LOWORD(wparam) == Command1_id && HIWORD(wparam) == BN_CLICKED) {
            gate::Command1_Click(services_, take_typed_text());
            unload();
        }
        return TRUE;
    case WM_CLOSE:  // the close box, Alt+F4, the system menu: no check
        unload();
        return TRUE;
    case WM_DPICHANGED: {
        // The suggested size scales the whole frame, which does not scale in
        // step with the client area: only its place is taken.
        lay_out(HIWORD(wparam));
        set_icons();
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        const SIZE size = frame();
        ::SetWindowPos(PASS_, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void PassWindow::initialise() {
    Label1 = ::GetDlgItem(PASS_, Label1_id);
    Text1 = ::GetDlgItem(PASS_, Text1_id);
    Command1 = ::GetDlgItem(PASS_, Command1_id);
    ::SendMessageW(Text1, EM_SETPASSWORDCHAR, static_cast<WPARAM>(Text1_password_character), 0);
    ::SendMessageW(Text1, EM_SETLIMITTEXT, 0, 0);  // 0 lifts the limit to the most the control holds
    ::ImmAssociateContextEx(Text1, nullptr, 0);    // no input method: the field takes the keys as typed
    ::SetWindowSubclass(Text1, Text1_procedure, 0, reinterpret_cast<DWORD_PTR>(this));
    keep_own_layout_on_dpi_change(PASS_);
    lay_out(window_dpi(PASS_));
    set_icons();
    const SIZE size = frame();
    ::SetWindowPos(PASS_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    for (BoxOwner* boxes : {dynamic_cast<BoxOwner*>(&services_.message_boxes),
                            dynamic_cast<BoxOwner*>(&services_.error_report)})
        if (boxes != nullptr) boxes->own_by(PASS_);
    ::SetFocus(Text1);
}

// The font in use is deleted only once every control has the new one.
void PassWindow::lay_out(int dots_per_inch) {
    UniqueFont font = message_font(dots_per_inch);
    const auto place = [&](HWND control, const ControlDescription& description, int width) {
        ::SetWindowPos(control, nullptr, twips_to_pixels(description.twips.left, dots_per_inch),
                       twips_to_pixels(description.twips.top, dots_per_inch), width,
                       twips_to_pixels(description.twips.height, dots_per_inch), SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    };
    place(Label1, ui::Label1, Label1_width(text_width(Label1, font.get(), ui::Label1.text), dots_per_inch));
    place(Text1, ui::Text1, twips_to_pixels(ui::Text1.twips.width, dots_per_inch));
    place(Command1, ui::Command1, twips_to_pixels(ui::Command1.twips.width, dots_per_inch));
    font_ = std::move(font);
    dots_per_inch_ = dots_per_inch;
}

SIZE PassWindow::frame() const {
    return frame_size(client_size(dots_per_inch_), PASS_style, PASS_extended_style, dots_per_inch_);
}

// The icons of the title bar and of Alt+Tab at the window's DPI; the old
// ones go once the window has the new.
void PassWindow::set_icons() {
    UniqueIcon big = program_icon(instance_, system_metric(SM_CXICON, dots_per_inch_));
    UniqueIcon small = program_icon(instance_, system_metric(SM_CXSMICON, dots_per_inch_));
    ::SendMessageW(PASS_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ::SendMessageW(PASS_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    big_icon_ = std::move(big);
    small_icon_ = std::move(small);
}

// Unloading the only window ends the message loop, and so the program.
void PassWindow::unload() {
    ::DestroyWindow(PASS_);
    ::PostQuitMessage(0);
}

LRESULT CALLBACK PassWindow::Text1_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                             UINT_PTR subclass, DWORD_PTR data) {
    if (message == WM_CHAR) {
        auto KeyAscii = static_cast<std::int16_t>(wparam);
        Text1_KeyPress(KeyAscii);
        if (KeyAscii == 0) return 0;  // discarded, and without the edit control's beep
        wparam = static_cast<std::uint16_t>(KeyAscii);
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, Text1_procedure, subclass);
    const LRESULT result = ::DefSubclassProc(window, message, wparam, lparam);
    if (message == WM_SETFOCUS) {
        auto* PASS = reinterpret_cast<PassWindow*>(data);
        gate::run_event_handler([&] { show_caps_lock_balloon_if_on(window); }, PASS->services_.error_report);
    }
    return result;
}

// The text goes from the control straight into a secret, and the field is
// emptied; the control's own buffer is freed by the system, unwiped.
platform::SecretText PassWindow::take_typed_text() {
    platform::Secret<wchar_t> typed;
    typed.resize(static_cast<std::size_t>(::GetWindowTextLengthW(Text1)) + 1);
    typed.resize(static_cast<std::size_t>(::GetWindowTextW(Text1, typed.data(), static_cast<int>(typed.size()))));
    ::SetWindowTextW(Text1, L"");
    return platform::secret_utf8(typed);
}

}  // namespace mirutoka::ui::win32
