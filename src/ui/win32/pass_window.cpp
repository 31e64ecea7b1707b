#include "ui/win32/pass_window.h"

#include <commctrl.h>
#include <imm.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/secrets.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::ui::win32 {
namespace {

constexpr wchar_t window_class_name[] = L"PASS";
constexpr int Label1_id = 100;
constexpr int Text1_id = 101;
constexpr int Command1_id = IDOK;  // Enter anywhere arrives as IDOK, the default button's id
constexpr int icon_id = 1;

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
    : instance_(instance), services_(services), owner_(create_hidden_owner(instance, PASS_title)) {
    register_window_class(instance, window_class_name, route_to_object<PassWindow>, icon_id);
    ::CreateWindowExW(PASS_extended_style, window_class_name, platform::to_wide(PASS_title).c_str(), PASS_style,
                      CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner_.get(), nullptr, instance, this);
    if (PASS_ == nullptr || Command1 == nullptr) throw window_error("ウィンドウ");
    lay_out(window_dpi(PASS_));
}

PassWindow::~PassWindow() {
    if (PASS_ != nullptr) ::DestroyWindow(PASS_);
}

int PassWindow::run(int show_command) {
    centre_on_screen(PASS_);
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

LRESULT PassWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        create_controls();
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(Command1_id, DC_HASDEFID);
    case WM_COMMAND:
        // IDCANCEL (Esc) is left alone: the window has no cancel button.
        if (LOWORD(wparam) == Command1_id && HIWORD(wparam) == BN_CLICKED) {
            gate::Command1_Click(services_, take_typed_text());
            ::DestroyWindow(PASS_);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE && ::IsChild(PASS_, ::GetFocus())) focus_before_deactivation_ = ::GetFocus();
        return ::DefWindowProcW(PASS_, message, wparam, lparam);
    case WM_SETFOCUS:
        // Like a dialog box: the focus goes back to the control that had it, at first Text1.
        ::SetFocus(focus_before_deactivation_ != nullptr ? focus_before_deactivation_ : Text1);
        return 0;
    case WM_DPICHANGED:
        lay_out(HIWORD(wparam));
        move_to_suggested_place(PASS_, lparam);
        return 0;
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

    set_client_size(PASS_, client_size(dots_per_inch), PASS_style, PASS_extended_style, dots_per_inch);
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
