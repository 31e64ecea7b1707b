// Writes PASS as designed, in pixels at the end-to-end tests' 96 dpi, as
// shell assignments: the tests read the window's geometry from the same
// description the front ends lay it out by, compiled, never parsed.
#include <cstdio>

#include "ui/pass_window.h"

namespace {

using mirutoka::ui::ControlDescription;
using mirutoka::ui::twips_to_pixels;

constexpr int dots_per_inch = 96;

void print_centre(const char* name, const ControlDescription& control) {
    std::printf("%s_x=%d\n%s_y=%d\n", name,
                twips_to_pixels(control.twips.left + control.twips.width / 2, dots_per_inch), name,
                twips_to_pixels(control.twips.top + control.twips.height / 2, dots_per_inch));
}

}  // namespace

int main() {
    std::printf("client_width=%d\nclient_height=%d\n", twips_to_pixels(mirutoka::ui::PASS_client_width, dots_per_inch),
                twips_to_pixels(mirutoka::ui::PASS_client_height, dots_per_inch));
    print_centre("text1", mirutoka::ui::Text1);
    print_centre("ok", mirutoka::ui::Command1);
}
