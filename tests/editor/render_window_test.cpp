#include "editor_fixture.h"

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
}

} // namespace
} // namespace kestro::test
