// The progress line must fit the terminal whatever the numbers, or every redraw would wrap
// onto a new line and flood the screen.

#include "tools/tav-render/progress_bar.h"

#include <gtest/gtest.h>

namespace kestro::render {
namespace {

TEST(ProgressBar, LineFitsItsWidthAndShowsWhereTheRenderIs)
{
    for (int width : {40, 80, 200}) {
        for (std::int64_t done : {std::int64_t{0}, std::int64_t{264600}, std::int64_t{529200}}) {
            const std::string line = formatProgressLine(done, 529200, 44100.0, 1.5, width);
            EXPECT_LT(line.size(), static_cast<std::size_t>(width)) << line;
        }
    }
    const std::string half = formatProgressLine(264600, 529200, 44100.0, 1.5, 80);
    EXPECT_NE(half.find(" 50%"), std::string::npos) << half;
    EXPECT_NE(half.find("6.0 / 12.0 s"), std::string::npos) << half;
    EXPECT_NE(half.find("4.0x real time"), std::string::npos) << half;

    // Numbers beyond the ends are held to 0..100 % rather than drawing past the bar.
    EXPECT_NE(formatProgressLine(900, 600, 100.0, 0.0, 80).find("100%"), std::string::npos);
    EXPECT_NE(formatProgressLine(5, 0, 44100.0, 0.0, 80).find("100%"), std::string::npos);
}

} // namespace
} // namespace kestro::render
