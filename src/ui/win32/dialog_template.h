#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace mirutoka::ui::win32 {

// An extended dialog template (DLGTEMPLATEEX) built in memory: the dialog,
// then its controls in the order the dialog manager creates them, which is
// also their z-order and tab order. Sizes are left to the dialog, which lays
// itself out in pixels at its own DPI as it is created.
class DialogTemplate {
public:
    DialogTemplate(std::wstring_view window_class, std::wstring_view title, DWORD style, DWORD extended_style);

    void add_control(std::wstring_view control_class, std::wstring_view text, DWORD style, DWORD extended_style,
                     int id);

    [[nodiscard]] const DLGTEMPLATE* get() const noexcept {
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

private:
    void add_dword(DWORD value);
    void add_text(std::wstring_view text);
    void align_to_dword();

    std::vector<WORD> words_;
    std::size_t control_count_at_;
};

}  // namespace mirutoka::ui::win32
