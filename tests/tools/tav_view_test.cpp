// tav-view: its command line, and one headless render of the editor through the built
// plug-in with a click that must show in the picture.

#include "tools/tav-view/view_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kestro::view {
namespace {

namespace fs = std::filesystem;

TEST(TavViewOptions, GesturesKeepTheirOrderAndNeedPng)
{
    const ViewParseResult ok = parseViewOptions(
        {"--png=out.png", "--program", "Init", "--param", "Lever=1", "--seconds", "2.5", "--drag", "350,200:0,-40",
         "--click", "370,365"});
    ASSERT_TRUE(ok.ok()) << ok.error;
    EXPECT_EQ(ok.options.pngPath, "out.png");
    EXPECT_EQ(ok.options.program, "Init");
    ASSERT_EQ(ok.options.parameters.size(), 1u);
    EXPECT_EQ(ok.options.parameters[0].value, 1.0f);
    EXPECT_DOUBLE_EQ(ok.options.seconds, 2.5);
    ASSERT_EQ(ok.options.gestures.size(), 2u);
    EXPECT_EQ(ok.options.gestures[0].kind, Gesture::Kind::Drag);
    EXPECT_EQ(ok.options.gestures[0].dy, -40);
    EXPECT_EQ(ok.options.gestures[1].kind, Gesture::Kind::Click);
    EXPECT_EQ(ok.options.gestures[1].x, 370);

    EXPECT_FALSE(parseViewOptions({"--click", "10,10"}).ok()) << "gestures without --png";
    EXPECT_FALSE(parseViewOptions({"--png", "a.png", "--click", "10"}).ok());
    EXPECT_FALSE(parseViewOptions({"--png", "a.png", "--click", "-1,4"}).ok());
    EXPECT_FALSE(parseViewOptions({"--png", "a.png", "--drag", "1,2:3"}).ok());
    EXPECT_FALSE(parseViewOptions({"--png", "a.png", "--seconds", "-1"}).ok());
    EXPECT_FALSE(parseViewOptions({"--png", "a.png", "--param", "Lever=2"}).ok());
    EXPECT_FALSE(parseViewOptions({"--png"}).ok());
    EXPECT_FALSE(parseViewOptions({"--frobnicate"}).ok());
}

struct ToolResult {
    int exitCode = -1;
    std::string errors;
};

ToolResult runTool(const std::vector<std::string>& args, const fs::path& dir)
{
    const fs::path errors = dir / "stderr.txt";
    const pid_t child = ::fork();
    if (child == 0) {
        if (!std::freopen(errors.c_str(), "w", stderr) || !std::freopen("/dev/null", "w", stdout))
            ::_exit(127);
        ::unsetenv("DISPLAY"); // a PNG render needs no screen
        std::vector<char*> argv{const_cast<char*>(TAV_VIEW_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(TAV_VIEW_PATH, argv.data());
        ::_exit(127);
    }
    ToolResult result;
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    std::ifstream in(errors);
    result.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

std::vector<std::uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

TEST(TavView, RendersTheEditorHeadlessAndAClickChangesThePicture)
{
    std::string pattern = (fs::temp_directory_path() / "tav-view-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const fs::path plain = dir / "plain.png";
    const fs::path clicked = dir / "clicked.png";

    ToolResult run = runTool({"--png", plain.string(), "--seconds", "0.5"}, dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const auto image = readBytes(plain);
    ASSERT_GT(image.size(), 24u);
    EXPECT_EQ(bigEndian(image, 16), 401u) << "width from the IHDR chunk";
    EXPECT_EQ(bigEndian(image, 20), 570u) << "height";

    // The bypass switch in the bottom row shows its other frame after a click.
    run = runTool({"--png", clicked.string(), "--click", "369,543"}, dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(readBytes(clicked), readBytes(plain));

    run = runTool({"--png", (dir / "x.png").string(), "--program", "No Such Program"}, dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("tav-view: "), std::string::npos);
    EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << "one line: " << run.errors;
    fs::remove_all(dir);
}

} // namespace
} // namespace kestro::view
