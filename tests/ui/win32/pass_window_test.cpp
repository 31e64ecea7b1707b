#include "ui/win32/pass_window.h"

#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>

#include "gate/ok_action.h"
#include "gate/password_file.h"
#include "platform/win32/wide_text.h"
#include "support/fakes.h"
#include "ui/win32/failing_allocation.h"
#include "ui/win32/dpi.h"
#include "ui/win32/win32_message_boxes.h"

namespace mirutoka::ui::win32 {
namespace {

using namespace mirutoka::testing;

class PassWindowTest : public ::testing::Test {
protected:
    FakeFiles files;
    FakeProgramStart program_start;
    Win32MessageBoxes message_boxes;
    FakeErrorReport error_report;
    PassWindow PASS{::GetModuleHandleW(nullptr), {files, program_start, message_boxes, error_report}};

    [[nodiscard]] HWND Label1() const { return ::FindWindowExW(PASS.window(), nullptr, L"STATIC", L"パスワード"); }
};

// What a PASS of a test's own is made with.
struct Fakes {
    FakeFiles files;
    FakeProgramStart program_start;
    Win32MessageBoxes message_boxes;
    FakeErrorReport error_report;
};

// A PASS made while `procedure` hooks this thread (WH_CBT, WH_CALLWNDPROC),
// and only then.
PassWindow PASS_made_under(int hook_type, HOOKPROC procedure, Fakes& fakes) {
    const HHOOK hook = ::SetWindowsHookExW(hook_type, procedure, nullptr, ::GetCurrentThreadId());
    struct Unhook {
        HHOOK hook;
        ~Unhook() { ::UnhookWindowsHookEx(hook); }
    } const unhook{hook};
    return PassWindow(::GetModuleHandleW(nullptr),
                      {fakes.files, fakes.program_start, fakes.message_boxes, fakes.error_report});
}

struct BoxSeen {
    HWND owner = nullptr;
    bool owner_enabled = true;
    HWND field = nullptr;  // whose text length to note while the box shows
    int field_length = -1;
};

BOOL CALLBACK dismiss_box(HWND window, LPARAM) {
    wchar_t class_name[8]{};
    if (::GetClassNameW(window, class_name, 8) != 0 && std::wstring_view(class_name) == L"#32770")
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// Waits for the box titled `title`, notes who owns it, then dismisses it.
// Whatever happens, any box of `thread` is dismissed within 30 s, so that
// the test fails rather than waits for a box that nobody closes.
void watch_box(const wchar_t* title, DWORD thread, BoxSeen& seen) {
    for (int attempt = 0; attempt < 3000; ++attempt) {
        if (const HWND box = ::FindWindowW(L"#32770", title)) {
            seen.owner = ::GetWindow(box, GW_OWNER);
            seen.owner_enabled = ::IsWindowEnabled(seen.owner) != FALSE;
            if (seen.field != nullptr) seen.field_length = ::GetWindowTextLengthW(seen.field);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
        ::Sleep(10);
    }
    ::EnumThreadWindows(thread, dismiss_box, 0);
}

// Even when another window is active, a box belongs to PASS, which is
// disabled while the box is up, so OK cannot be pressed a second time. PASS
// takes the boxes it is given as its own.
TEST_F(PassWindowTest, MessageBoxesAreOwnedByPassAndDisableIt) {
    ::ShowWindow(PASS.window(), SW_SHOWNORMAL);
    const UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                               100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    ::SetActiveWindow(other.get());

    BoxSeen seen;
    std::thread watcher(watch_box, L"パスワード不一致", ::GetCurrentThreadId(), std::ref(seen));
    message_boxes.show(gate::M2);
    watcher.join();
    EXPECT_EQ(seen.owner, PASS.window());
    EXPECT_FALSE(seen.owner_enabled);
    EXPECT_TRUE(::IsWindowEnabled(PASS.window()));
}

// An error in a handler goes to the error report, which ends the process;
// it never unwinds through the dialog manager's frames.
TEST_F(PassWindowTest, AnErrorInAHandlerGoesToTheReport) {
    files.contents[gate::password_file_name] = "secret\ngame\n";
    ::SetWindowTextW(::FindWindowExW(PASS.window(), nullptr, L"EDIT", nullptr), L"secret");
    fail_next_allocation(true);  // taking the typed text is the first thing OK does
    ::SendMessageW(PASS.window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    fail_next_allocation(false);
    ASSERT_EQ(error_report.reported.size(), 1U);
    EXPECT_EQ(error_report.reported[0].number(), 7);  // out of memory
    EXPECT_EQ(files.opens_attempted, 0);
    EXPECT_TRUE(program_start.started.empty());
}

// Keeps one control class from being created, as when the system is out of resources.
struct RefuseToCreate {
    static inline const wchar_t* refused = nullptr;
    static inline int refusals_left = 0;

    static LRESULT CALLBACK on_create(int code, WPARAM wparam, LPARAM lparam) {
        wchar_t class_name[16]{};
        if (code == HCBT_CREATEWND && refusals_left > 0 &&
            ::GetClassNameW(reinterpret_cast<HWND>(wparam), class_name, 16) != 0 &&
            std::wstring_view(class_name) == refused) {
            --refusals_left;
            return 1;
        }
        return ::CallNextHookEx(nullptr, code, wparam, lparam);
    }
};

// When PASS cannot be made, the error is thrown to the report, and nothing
// has ended the message loop: the report's box stays up until it is read.
// The hidden owner, the first window made, is no exception: without it PASS
// would have a taskbar button.
TEST(PassWindowCreation, FailsWithAnErrorAndLeavesTheLoopRunning) {
    for (const wchar_t* refused : {L"Edit", L"Static"}) {
        Fakes fakes;
        RefuseToCreate::refused = refused;
        RefuseToCreate::refusals_left = 1;
        EXPECT_THROW((void)PASS_made_under(WH_CBT, RefuseToCreate::on_create, fakes), platform::RunTimeError)
            << platform::to_utf8(refused);
        MSG message{};
        EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
}

// The field starts with '#' for its mask, as with visual styles it starts
// with a bullet (Wine's own is '*').
LRESULT CALLBACK other_password_character(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG)
        ::SendMessageW(::FindWindowExW(message->hwnd, nullptr, L"EDIT", nullptr), EM_SETPASSWORDCHAR, L'#', 0);
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

// The field masks with '*', takes more than an edit control's first limit
// of 32,767 characters, has no input method context to hand its keys to, and
// is empty by the time the gate shows a box.
TEST(Text1, MasksHasNoLimitNoInputMethodAndIsEmptiedByOk) {
    Fakes fakes;
    const PassWindow PASS = PASS_made_under(WH_CALLWNDPROC, other_password_character, fakes);
    const HWND Text1 = ::FindWindowExW(PASS.window(), nullptr, L"EDIT", nullptr);
    EXPECT_EQ(::SendMessageW(Text1, EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_GT(::SendMessageW(Text1, EM_GETLIMITTEXT, 0, 0), 32767);
    EXPECT_EQ(::ImmGetContext(Text1), nullptr);
    fakes.files.contents[gate::password_file_name] = "secret\ngame\n";
    ::SetWindowTextW(Text1, L"wrong");
    BoxSeen seen;
    seen.field = Text1;
    std::thread watcher(watch_box, L"パスワード不一致", ::GetCurrentThreadId(), std::ref(seen));
    ::SendMessageW(PASS.window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    watcher.join();
    EXPECT_EQ(seen.field_length, 0);
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // and OK unloaded PASS
}

SIZE client_area(HWND window) {
    RECT area{};
    ::GetClientRect(window, &area);
    return {area.right, area.bottom};
}

// 330 x 39 at 96 dpi, as designed.
SIZE designed_client_area(int dots_per_inch) {
    return {::MulDiv(330, dots_per_inch, 96), ::MulDiv(39, dots_per_inch, 96)};
}

// The client area PASS has as it is made, seen from a hook on the messages sent to it.
struct SizeAtCreation {
    static inline SIZE size{};

    static LRESULT CALLBACK on_message(int code, WPARAM wparam, LPARAM lparam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
        wchar_t class_name[8]{};
        if (code == HC_ACTION && sent->message == WM_CREATE && ::GetClassNameW(sent->hwnd, class_name, 8) != 0 &&
            std::wstring_view(class_name) == L"PASS")
            size = client_area(sent->hwnd);
        return ::CallNextHookEx(nullptr, code, wparam, lparam);
    }
};

// PASS has its designed frame from the moment it is made (made smaller and
// sized afterwards, a busy window manager has shrunk it back to the first
// size), and keeps it whatever size it is asked to take.
TEST(PassWindowCreation, HasItsDesignedSizeFromTheStartAndKeepsIt) {
    Fakes fakes;
    const PassWindow PASS = PASS_made_under(WH_CALLWNDPROC, SizeAtCreation::on_message, fakes);
    const SIZE designed = designed_client_area(window_dpi(PASS.window()));
    EXPECT_EQ(SizeAtCreation::size.cx, designed.cx);
    EXPECT_EQ(SizeAtCreation::size.cy, designed.cy);
    ::SetWindowPos(PASS.window(), nullptr, 0, 0, 107, 29, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const SIZE kept = client_area(PASS.window());
    EXPECT_EQ(kept.cx, designed.cx);
    EXPECT_EQ(kept.cy, designed.cy);
}

// Which of two top-level windows is nearer the top.
bool is_above(HWND window, HWND other) {
    for (HWND at = ::GetTopWindow(nullptr); at != nullptr; at = ::GetWindow(at, GW_HWNDNEXT)) {
        if (at == window) return true;
        if (at == other) return false;
    }
    return false;
}

BOOL WINAPI refuse_foreground(HWND) { return FALSE; }

// Where Windows keeps another program in front, PASS still comes above it,
// and leaves it the focus.
TEST_F(PassWindowTest, ComesAboveTheActiveWindowWhenItMayNotTakeTheFocus) {
    ::SetWindowPos(PASS.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    const UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                               100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    ::SetForegroundWindow(other.get());
    ASSERT_TRUE(is_above(other.get(), PASS.window()));
    come_forward(PASS.window(), refuse_foreground);
    EXPECT_TRUE(is_above(PASS.window(), other.get()));
    EXPECT_EQ(::GetForegroundWindow(), other.get());
}

// Every character that reaches the edit control itself, beneath the
// subclass PASS puts on it: a hook puts this procedure under the control as
// it is created, before PASS adds its own.
struct EditSpy {
    static inline std::wstring characters;
    static inline WNDPROC edit_procedure = nullptr;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_CHAR) characters.push_back(static_cast<wchar_t>(wparam));
        return ::CallWindowProcW(edit_procedure, window, message, wparam, lparam);
    }

    static LRESULT CALLBACK on_create(int code, WPARAM wparam, LPARAM lparam) {
        const auto window = reinterpret_cast<HWND>(wparam);
        wchar_t class_name[16]{};
        if (code == HCBT_CREATEWND && ::GetClassNameW(window, class_name, 16) != 0 &&
            std::wstring_view(class_name) == L"Edit")
            edit_procedure = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure)));
        return ::CallNextHookEx(nullptr, code, wparam, lparam);
    }
};

// Ctrl+M types a carriage return as a character of its own, Ctrl+Backspace
// a DEL; the field's filter discards both, so the edit control never sees
// them (on Windows a carriage return would beep, a DEL would be one more '*')
// and the characters around them go on.
TEST(Text1Filter, CarriageReturnAndDelNeverReachTheEditControl) {
    Fakes fakes;
    const PassWindow PASS = PASS_made_under(WH_CBT, EditSpy::on_create, fakes);
    ASSERT_NE(EditSpy::edit_procedure, nullptr);
    const HWND Text1 = ::FindWindowExW(PASS.window(), nullptr, L"EDIT", nullptr);
    for (const wchar_t c : std::wstring_view(L"se\rcr\x7F" L"et")) ::SendMessageW(Text1, WM_CHAR, c, 1);
    EXPECT_EQ(EditSpy::characters, L"secret");
}

void press_caps_lock() {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_CAPITAL;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

void pump_messages_for(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    MSG message{};
    while (::GetTickCount() - start < milliseconds) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(10);
    }
}

void set_caps_lock(bool on) {
    if (((::GetKeyState(VK_CAPITAL) & 1) != 0) != on) press_caps_lock();
    pump_messages_for(300);
}

struct BalloonsAsked {
    int count = 0;
    std::wstring text;
};

// Wine's edit control shows no balloon, so the test watches what the field is asked.
LRESULT CALLBACK record_balloons(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    if (message == EM_SHOWBALLOONTIP) {
        auto* asked = reinterpret_cast<BalloonsAsked*>(data);
        ++asked->count;
        asked->text = reinterpret_cast<const EDITBALLOONTIP*>(lparam)->pszText;
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

class CapsLockAtFocus : public PassWindowTest, public ::testing::WithParamInterface<bool> {};

// With Caps Lock already on as the field gets the focus, the field is asked
// for its balloon once; with Caps Lock off, never.
TEST_P(CapsLockAtFocus, AsksTheFieldForItsBalloonOnlyWhenOn) {
    const bool on = GetParam();
    set_caps_lock(on);
    ASSERT_EQ((::GetKeyState(VK_CAPITAL) & 1) != 0, on);
    const HWND Text1 = ::FindWindowExW(PASS.window(), nullptr, L"EDIT", nullptr);
    ::ShowWindow(PASS.window(), SW_SHOWNORMAL);
    ::SetFocus(::FindWindowExW(PASS.window(), nullptr, L"BUTTON", nullptr));
    BalloonsAsked asked;
    ::SetWindowSubclass(Text1, record_balloons, 1, reinterpret_cast<DWORD_PTR>(&asked));
    ::SetFocus(Text1);
    pump_messages_for(100);
    ::RemoveWindowSubclass(Text1, record_balloons, 1);
    set_caps_lock(false);
    EXPECT_EQ(asked.count, on ? 1 : 0);
    EXPECT_EQ(asked.text, on ? L"Caps Lock がオンになっています" : L"");
}

INSTANTIATE_TEST_SUITE_P(States, CapsLockAtFocus, ::testing::Values(false, true));

class AtDpi : public PassWindowTest, public ::testing::WithParamInterface<int> {};

// At 100, 125, 150 and 200 %, the caption in the label's own font fits the label.
TEST_P(AtDpi, LabelShowsItsWholeCaption) {
    const int dots_per_inch = GetParam();
    RECT suggested{0, 0, 600, 200};
    ::SendMessageW(PASS.window(), WM_DPICHANGED, MAKEWPARAM(dots_per_inch, dots_per_inch),
                   reinterpret_cast<LPARAM>(&suggested));
    const HWND label = Label1();
    ASSERT_NE(label, nullptr);

    const HDC dc = ::GetDC(label);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring caption = L"パスワード";
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);

    RECT box{};
    ::GetClientRect(label, &box);
    EXPECT_LE(extent.cx, box.right - box.left) << "caption " << extent.cx << " px at " << dots_per_inch << " dpi";
    EXPECT_GE(box.right - box.left, twips_to_pixels(ui::Label1.twips.width, dots_per_inch));
}

// After WM_DPICHANGED PASS goes where it was suggested, at its designed
// size, not the suggested one, which scales the whole frame. The window's
// frame is drawn for its own DPI only, so the client area is looked at once
// the DPI is back at the window's own.
TEST_P(AtDpi, GoesWhereSuggestedAndKeepsTheDesignedClientArea) {
    const int own_dpi = window_dpi(PASS.window());
    for (const int dots_per_inch : {GetParam(), own_dpi}) {
        RECT suggested{40 + dots_per_inch, 30, 1000, 900};
        ::SendMessageW(PASS.window(), WM_DPICHANGED, MAKEWPARAM(dots_per_inch, dots_per_inch),
                       reinterpret_cast<LPARAM>(&suggested));
        RECT frame{};
        ::GetWindowRect(PASS.window(), &frame);
        EXPECT_EQ(frame.left, suggested.left) << dots_per_inch << " dpi";
        EXPECT_EQ(frame.top, suggested.top) << dots_per_inch << " dpi";
        EXPECT_LT(frame.right - frame.left, suggested.right - suggested.left) << dots_per_inch << " dpi";
    }
    const SIZE area = client_area(PASS.window());
    EXPECT_EQ(area.cx, designed_client_area(own_dpi).cx);
    EXPECT_EQ(area.cy, designed_client_area(own_dpi).cy);
}

int icon_width(HWND window, WPARAM which) {
    const auto icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, which, 0));
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// The title bar's and Alt+Tab's icons are drawn from the picture of the size
// the DPI asks for, not scaled from the 32 x 32 one.
TEST_P(AtDpi, HasIconsOfTheSizesItsDpiAsksFor) {
    const int dots_per_inch = GetParam();
    RECT suggested{0, 0, 600, 200};
    ::SendMessageW(PASS.window(), WM_DPICHANGED, MAKEWPARAM(dots_per_inch, dots_per_inch),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(icon_width(PASS.window(), ICON_BIG), 32 * dots_per_inch / 96);
    EXPECT_EQ(icon_width(PASS.window(), ICON_SMALL), 16 * dots_per_inch / 96);
}

// Counts the fonts a control was told to drop that had already been deleted.
LRESULT CALLBACK check_font_alive(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_SETFONT) {
        const auto in_use = reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0));
        LOGFONTW font{};
        if (in_use != nullptr && ::GetObjectW(in_use, sizeof(font), &font) == 0) ++*reinterpret_cast<int*>(data);
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

// A font is deleted only once no control uses it any more.
TEST_P(AtDpi, NoControlIsLeftWithADeletedFont) {
    const int dots_per_inch = GetParam();
    int deleted_in_use = 0;
    const HWND Text1 = ::FindWindowExW(PASS.window(), nullptr, L"EDIT", nullptr);
    ::SetWindowSubclass(Text1, check_font_alive, 2, reinterpret_cast<DWORD_PTR>(&deleted_in_use));
    RECT suggested{0, 0, 600, 200};
    ::SendMessageW(PASS.window(), WM_DPICHANGED, MAKEWPARAM(dots_per_inch, dots_per_inch),
                   reinterpret_cast<LPARAM>(&suggested));
    ::RemoveWindowSubclass(Text1, check_font_alive, 2);
    EXPECT_EQ(deleted_in_use, 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, AtDpi, ::testing::Values(96, 120, 144, 192));

}  // namespace
}  // namespace mirutoka::ui::win32
