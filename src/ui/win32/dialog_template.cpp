#include "ui/win32/dialog_template.h"

namespace mirutoka::ui::win32 {
namespace {

constexpr WORD extended_template_version = 1;
constexpr WORD extended_template_signature = 0xFFFF;

}  // namespace

DialogTemplate::DialogTemplate(std::wstring_view window_class, std::wstring_view title, DWORD style,
                               DWORD extended_style) {
    words_ = {extended_template_version, extended_template_signature};
    add_dword(0);  // help id
    add_dword(extended_style);
    add_dword(style);
    control_count_at_ = words_.size();
    words_.insert(words_.end(), {0, 0, 0, 0, 0});  // control count; x, y, width, height
    words_.push_back(0);                           // no menu
    add_text(window_class);
    add_text(title);
}

void DialogTemplate::add_control(std::wstring_view control_class, std::wstring_view text, DWORD style,
                                 DWORD extended_style, int id) {
    align_to_dword();
    add_dword(0);  // help id
    add_dword(extended_style);
    add_dword(style);
    words_.insert(words_.end(), {0, 0, 0, 0});  // x, y, width, height
    add_dword(static_cast<DWORD>(id));
    add_text(control_class);
    add_text(text);
    words_.push_back(0);  // no creation data
    ++words_[control_count_at_];
}

void DialogTemplate::add_dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
}

void DialogTemplate::add_text(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
}

void DialogTemplate::align_to_dword() {
    if (words_.size() % 2 != 0) words_.push_back(0);
}

}  // namespace mirutoka::ui::win32
