#include "ui/win32/pass_window.h"

#include <commctrl.h>
#include <imm.h>

#include <cstdint>
#include <string>

#include "platform/secrets.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/dialog_template.h"

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
    DialogTemplate description(window_class_name, platform::to_wide(PASS_title),
                               PassWindow::PASS_style | DS_MODALFRAME, PassWindow::PASS_extended_style);
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

}  // namespace

SIZE PassWindow::client_size(int dots_per_inch) {
    return {twips_to_pixels(PASS_client_width, dots_per_inch), twips_to_pixels(PASS_client_height, dots_per_inch)};
}

PassWindow::PassWindow(HINSTANCE instance, const gate::Services& services)
    : services_(services), owner_(create_hidden_owner(instance, PASS_title)) {
    register_dialog_class(instance, window_class_name, class_procedure, icon_id);
    const DialogTemplate description = PASS_template();
    ::CreateDialogIndirectParamW(instance, description.get(), owner_.get(), dialog_procedure,
                                 reinterpret_cast<LPARAM>(this));
    if (PASS_ == nullptr) throw window_error("ウィンドウ");
}

PassWindow::~PassWindow() {
    if (PASS_ != nullptr) ::DestroyWindow(PASS_);
}

// SetWindowPos shows the window as it is: ShowWindow would take the show
// state of the shortcut or of `start /max` for the first window shown, and
// PASS is never maximized or minimized.
int PassWindow::run() {
    ::SetWindowPos(PASS_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(PASS_);
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
    const int dots_per_inch = PASS != nullptr ? PASS->dots_per_inch_ : window_dpi(window);
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
    case WM_DPICHANGED:
        lay_out(HIWORD(wparam));
        move_to_suggested_place(PASS_, lparam);
        return TRUE;
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
    centre_on_screen(PASS_);
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

    set_client_size(PASS_, client_size(dots_per_inch), PASS_style, PASS_extended_style, dots_per_inch);
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
