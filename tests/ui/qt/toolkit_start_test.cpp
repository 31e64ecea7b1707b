#include "ui/qt/toolkit_start.h"

#include <fontconfig/fontconfig.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace mirutoka::ui::qt {
namespace {

int faces_in_the_configuration() { return FcConfigGetFonts(nullptr, FcSetSystem)->nfont; }

// The thread only reads fontconfig's state, which Qt may be reading at the
// same time; the faces go only in wait(), on the thread that runs Qt. The
// fonts are two copies of one face, of which the window can use only the
// first: the second adds no character.
TEST(FontConfigurationLoad, ChangesTheConfigurationOnlyInWait) {
    const testing::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.path() / "fonts");
    for (const char* copy : {"a.ttf", "b.ttf"})
        fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", dir.path() / "fonts" / copy);
    std::ofstream(dir.path() / "fonts.conf") << "<?xml version=\"1.0\"?><fontconfig><dir>" << (dir.path() / "fonts").string()
                                             << "</dir><cachedir>" << (dir.path() / "cache").string()
                                             << "</cachedir></fontconfig>";
    ::setenv("FONTCONFIG_FILE", (dir.path() / "fonts.conf").c_str(), 1);
    ASSERT_TRUE(FcInit());
    ASSERT_EQ(faces_in_the_configuration(), 2);
    { const FontConfigurationLoad never_waited_for; }
    EXPECT_EQ(faces_in_the_configuration(), 2);
    FontConfigurationLoad load;
    load.wait();
    EXPECT_EQ(faces_in_the_configuration(), 1);
}

}  // namespace
}  // namespace mirutoka::ui::qt
