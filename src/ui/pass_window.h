#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

// The PASS window as designed, shared by every front end. Geometry is in
// twips (1440 to the inch); a front end turns it into pixels at the DPI of its screen.
namespace mirutoka::ui {

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDescription {
    std::string_view name;
    std::string_view text;
    TwipRect twips;
};

inline constexpr std::string_view PASS_name = "PASS";
inline constexpr std::string_view PASS_title = "ミルトカ";
inline constexpr int PASS_client_width = 4950;
inline constexpr int PASS_client_height = 585;

inline constexpr ControlDescription Command1{"Command1", "OK", {3990, 105, 855, 330}};
inline constexpr ControlDescription Text1{"Text1", "", {1050, 105, 2640, 330}};
inline constexpr ControlDescription Label1{"Label1", "パスワード", {105, 210, 855, 225}};

inline constexpr char16_t Text1_password_character = u'*';

// Shown below Text1 while it has the focus and Caps Lock is on.
inline constexpr std::string_view caps_lock_hint_text = "Caps Lock がオンになっています";

inline constexpr int twips_per_inch = 1440;

// Rounded to the nearest pixel, so 96 dpi gives exactly twips / 15.
constexpr int twips_to_pixels(int twips, int dots_per_inch) {
    return (twips * dots_per_inch + twips_per_inch / 2) / twips_per_inch;
}

// Label1's width in pixels for a caption `caption_width` pixels wide. Fonts
// do not grow in step with the DPI, so a caption can outgrow the designed box
// (it does at 96 dpi with Noto Sans CJK); it may then take the free gap up to
// Text1's left edge.
constexpr int Label1_width(int caption_width, int dots_per_inch) {
    const int designed = twips_to_pixels(Label1.twips.width, dots_per_inch);
    const int room =
        twips_to_pixels(Text1.twips.left, dots_per_inch) - twips_to_pixels(Label1.twips.left, dots_per_inch);
    return std::clamp(caption_width, designed, room);
}

// The key filter of Text1: a carriage return never reaches the text (Enter
// belongs to the default button), and neither does DEL, which the Windows
// edit control types for Ctrl+Backspace: invisible, it would show as one more
// '*' where the user believes a word was deleted. 0 means the character is
// discarded. The Win32 edit control gets every character through it; Qt's
// line edit takes neither into its text, so the Qt front end needs none.
constexpr void Text1_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii == 13 || KeyAscii == 127) KeyAscii = 0;
}

}  // namespace mirutoka::ui
