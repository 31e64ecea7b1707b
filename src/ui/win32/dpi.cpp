#include "ui/win32/dpi.h"

#include <string>

#include "platform/win32/system_function.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::ui::win32 {
namespace {

int system_dpi() { return ::GetDeviceCaps(window_dc(nullptr).get(), LOGPIXELSY); }

template <typename Function>
Function* user32(const char* name) {
    return platform::system_function<Function>(L"user32.dll", name);
}

bool frame_scales_with_monitor() {
    auto* thread_context = user32<DPI_AWARENESS_CONTEXT WINAPI()>("GetThreadDpiAwarenessContext");
    auto* equal = user32<BOOL WINAPI(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT)>("AreDpiAwarenessContextsEqual");
    return thread_context != nullptr && equal != nullptr &&
           equal(thread_context(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

}  // namespace

int window_dpi(HWND window) {
    if (auto* get_dpi_for_window = user32<UINT WINAPI(HWND)>("GetDpiForWindow"))
        return static_cast<int>(get_dpi_for_window(window));
    return system_dpi();
}

int system_metric(int index, int dots_per_inch) {
    if (auto* for_dpi = user32<int WINAPI(int, UINT)>("GetSystemMetricsForDpi"))
        return for_dpi(index, static_cast<UINT>(dots_per_inch));
    return ::MulDiv(::GetSystemMetrics(index), dots_per_inch, system_dpi());
}

UniqueFont message_font(int dots_per_inch) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (auto* for_dpi = user32<BOOL WINAPI(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi")) {
        for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dots_per_inch));
    } else {
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dots_per_inch, system_dpi());
    }
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
}

int text_width(HWND control, HFONT font, std::string_view text) {
    const WindowDc dc = window_dc(control);
    const HGDIOBJ previous = ::SelectObject(dc.get(), font);
    const std::wstring wide = platform::to_wide(text);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
    ::SelectObject(dc.get(), previous);
    return static_cast<int>(extent.cx);
}

SIZE frame_size(SIZE client, DWORD style, DWORD extended_style, int dots_per_inch) {
    RECT frame{0, 0, client.cx, client.cy};
    auto* adjust_for_dpi = user32<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjust_for_dpi != nullptr && frame_scales_with_monitor())
        adjust_for_dpi(&frame, style, FALSE, extended_style, static_cast<UINT>(dots_per_inch));
    else
        ::AdjustWindowRectEx(&frame, style, FALSE, extended_style);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void keep_own_layout_on_dpi_change(HWND dialog) {
    using SetBehavior = BOOL WINAPI(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    if (auto* set_behavior = user32<SetBehavior>("SetDialogDpiChangeBehavior"))
        set_behavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

}  // namespace mirutoka::ui::win32
