#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Every handle the front end owns, held one way: a unique_ptr whose deleter
// gives it back to the system.
namespace mirutoka::ui::win32 {

struct DestroyWindowDeleter {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
struct DeleteObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
struct DestroyIconDeleter {
    void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
struct ReleaseDcDeleter {
    HWND window;
    void operator()(HDC dc) const noexcept { ::ReleaseDC(window, dc); }
};

using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, DestroyWindowDeleter>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIconDeleter>;
using WindowDc = std::unique_ptr<std::remove_pointer_t<HDC>, ReleaseDcDeleter>;

// The device context of a window, or of the screen for none.
inline WindowDc window_dc(HWND window) { return WindowDc(::GetDC(window), ReleaseDcDeleter{window}); }

}  // namespace mirutoka::ui::win32
