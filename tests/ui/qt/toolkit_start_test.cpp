#include "ui/qt/toolkit_start.h"

#include <fontconfig/fontconfig.h>

#include <gtest/gtest.h>

namespace mirutoka::ui::qt {
namespace {

int faces_in_the_configuration() { return FcConfigGetFonts(nullptr, FcSetSystem)->nfont; }

// The thread only reads fontconfig's state, which Qt may be reading at the
// same time; the faces go only in wait(), on the thread that runs Qt.
TEST(FontConfigurationLoad, ChangesTheConfigurationOnlyInWait) {
    ASSERT_TRUE(FcInit());
    const int installed = faces_in_the_configuration();
    { const FontConfigurationLoad never_waited_for; }
    EXPECT_EQ(faces_in_the_configuration(), installed);
    FontConfigurationLoad load;
    load.wait();
    EXPECT_LT(faces_in_the_configuration(), installed) << "this machine has faces the window cannot use";
}

}  // namespace
}  // namespace mirutoka::ui::qt
