#include "editor/editor_layout.h"
#include "editor_fixture.h"

#include <string>

#include <cstdlib>

namespace kestro::test {
namespace {

using RenderWindow = EditorFixture;

// Writes the window to a PNG when KESTRO_EDITOR_PNG names a file (to look at it).
TEST_F(RenderWindow, WritesPngOnRequest)
{
    const char* path = std::getenv("KESTRO_EDITOR_PNG");
    if (path == nullptr)
        GTEST_SKIP() << "set KESTRO_EDITOR_PNG to write the window";
    editor().idle();
    EXPECT_TRUE(window().writePng(path));
    click(centre(layout::kTagAbout));
    editor().idle();
    EXPECT_TRUE(window().writePng(std::string(path) + ".about.png"));
}

} // namespace
} // namespace kestro::test
