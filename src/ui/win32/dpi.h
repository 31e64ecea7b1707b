#pragma once

#include <windows.h>

#include <string_view>

#include "ui/win32/handles.h"

// What a window's DPI decides: its fonts, icons and frame. Functions that
// Windows 7 lacks are looked up at run time.
namespace mirutoka::ui::win32 {

// The window's DPI: its monitor's from Windows 10 on, the system's before.
int window_dpi(HWND window);

// A system metric (SM_CXICON, say) at `dots_per_inch`.
int system_metric(int index, int dots_per_inch);

// The system's message font, at `dots_per_inch`.
UniqueFont message_font(int dots_per_inch);

// How many pixels wide `text` is in `font` on `control`.
int text_width(HWND control, HFONT font, std::string_view text);

// The size of the frame a window with these styles has around `client` at
// `dots_per_inch`. Only a per-monitor (v2) window has its frame scaled to
// its monitor's DPI; any other keeps the frame of the system's DPI.
SIZE frame_size(SIZE client, DWORD style, DWORD extended_style, int dots_per_inch);

// Where the dialog manager would scale a dialog from its template on a DPI
// change (Windows 10 1703 on), the dialog lays itself out instead.
void keep_own_layout_on_dpi_change(HWND dialog);

}  // namespace mirutoka::ui::win32
