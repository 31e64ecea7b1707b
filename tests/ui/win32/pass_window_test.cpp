#include "ui/win32/pass_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "gate/ok_action.h"
#include "support/fakes.h"
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

struct BoxSeen {
    HWND owner = nullptr;
    bool owner_enabled = true;
};

// Waits for the box titled `title`, notes who owns it, then dismisses it.
void watch_box(const wchar_t* title, BoxSeen& seen) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (const HWND box = ::FindWindowW(L"#32770", title)) {
            seen.owner = ::GetWindow(box, GW_OWNER);
            seen.owner_enabled = ::IsWindowEnabled(seen.owner) != FALSE;
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
        ::Sleep(10);
    }
}

// Even when another window is active, a box belongs to PASS, which is
// disabled while the box is up, so OK cannot be pressed a second time.
TEST_F(PassWindowTest, MessageBoxesAreOwnedByPassAndDisableIt) {
    message_boxes.own_by(PASS.window());
    ::ShowWindow(PASS.window(), SW_SHOWNORMAL);
    const UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                               100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    ::SetActiveWindow(other.get());

    BoxSeen seen;
    std::thread watcher(watch_box, L"パスワード不一致", std::ref(seen));
    message_boxes.show(gate::M2);
    watcher.join();
    EXPECT_EQ(seen.owner, PASS.window());
    EXPECT_FALSE(seen.owner_enabled);
    EXPECT_TRUE(::IsWindowEnabled(PASS.window()));
}

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

INSTANTIATE_TEST_SUITE_P(Scales, AtDpi, ::testing::Values(96, 120, 144, 192));

}  // namespace
}  // namespace mirutoka::ui::win32
