// tav-render end to end: the built tool run as a user runs it, on short generated files,
// against the built plug-in.

#include "support/test_host.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kestro::render {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string errors;
};

class TavRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tav-render-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path path(const std::string& name) const { return dir_ / name; }

    // Runs the tool with `dir_` as its working directory; stderr is kept for the test.
    ToolRun run(const std::vector<std::string>& args) const
    {
        const fs::path errors = dir_ / "stderr.txt";
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(dir_.c_str()) != 0 || !std::freopen(errors.c_str(), "w", stderr) ||
                !std::freopen("/dev/null", "w", stdout))
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(TAV_RENDER_PATH)};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(TAV_RENDER_PATH, argv.data());
            ::_exit(127);
        }
        ToolRun result;
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
        std::ifstream in(errors);
        result.errors.assign(std::istreambuf_iterator<char>(in), {});
        fs::remove(errors);
        return result;
    }

    void writeWav(const std::string& name, int rate, int channels, int frames) const
    {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        std::vector<double> samples(static_cast<std::size_t>(frames * channels));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = 0.3 * std::sin(0.05 * static_cast<double>(i / static_cast<std::size_t>(channels)));
        sf_writef_double(file, samples.data(), frames);
        sf_close(file);
    }

    static SF_INFO info(const fs::path& file)
    {
        SF_INFO result{};
        if (SNDFILE* handle = sf_open(file.c_str(), SFM_READ, &result))
            sf_close(handle);
        return result;
    }

    // Everything in the directory but the named files: leftovers of a failed render.
    std::vector<std::string> othersThan(std::initializer_list<std::string> expected) const
    {
        std::vector<std::string> others;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (std::find(expected.begin(), expected.end(), entry.path().filename().string()) == expected.end())
                others.push_back(entry.path().filename().string());
        return others;
    }

    static std::string contents(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
};

TEST_F(TavRender, RendersAFileWithItsRateAndTheTail)
{
    writeWav("in.wav", 48000, 1, 12000);
    const ToolRun plain = run({"in.wav", "out.wav"});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors;
    EXPECT_EQ(plain.errors, "");
    const SF_INFO out = info(path("out.wav"));
    EXPECT_EQ(out.samplerate, 48000);
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.frames, 12000 + 48000); // one second of tail
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "the input's sample format is kept";

    writeWav("stereo.wav", 44100, 2, 4410);
    const ToolRun timed = run({"stereo.wav", "out.flac", "--double", "--block", "100", "--no-tail", "--param",
                           "drive=0.3", "--at", "0.05:lever=1", "--at", "0.07:cc64=0", "--at", "0.08:stop=1"});
    ASSERT_EQ(timed.exitCode, 0) << timed.errors;
    const SF_INFO flac = info(path("out.flac"));
    EXPECT_EQ(flac.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(flac.frames, 4410);
    EXPECT_EQ(flac.channels, 2);
    EXPECT_EQ(othersThan({"in.wav", "out.wav", "stereo.wav", "out.flac"}), std::vector<std::string>{});
}

TEST_F(TavRender, DemoWritesItsDefaultFile)
{
    const ToolRun demo = run({"--demo", "0.5", "--tail", "0.25"});
    ASSERT_EQ(demo.exitCode, 0) << demo.errors;
    const SF_INFO out = info(path("kestro-demo.wav"));
    EXPECT_EQ(out.samplerate, 44100);
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.frames, 22050 + 11025);
}

TEST_F(TavRender, FailedRendersLeaveNothingBehindAndKeepOldFiles)
{
    writeWav("in.wav", 44100, 2, 4410);
    std::ofstream(path("out.wav")) << "earlier render";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* expected;
    };
    const std::vector<Case> cases{
        {{"in.wav", "out.wav", "--param", "wobble=1"}, 1, "unknown parameter 'wobble'; valid names: Bypass"},
        {{"in.wav", "out.wav", "--at", "9:lever=1"}, 1, "beyond the end of the render"},
        {{"in.wav", "out.wav", "--program", "No Such Program"}, 1, "unknown program"},
        {{"in.wav", "out.wav", "--preset", "missing.tvp"}, 1, "missing.tvp"},
        {{"in.wav", "out.wav", "--plugin", "in.wav"}, 1, "cannot load plug-in"},
        {{"missing.wav", "out.wav"}, 1, "cannot open input 'missing.wav'"},
        {{"out.wav", "x.wav"}, 1, "cannot read input 'out.wav'"},
        {{"in.wav", "out.mp9"}, 1, "cannot tell the format"},
        {{"in.wav", "out.wav", "--param", "lever=2"}, 2, "outside 0..1"},
        {{"in.wav", "nowhere/out.wav"}, 1, "cannot write 'nowhere/out.wav'"},
        {{"in.wav", "in.wav/out.wav"}, 1, "cannot write"},
        {{"in.wav", "out2.wav", "--save-bank", "nowhere/b.tvb"}, 1, "nowhere/b.tvb"},
    };
    for (const Case& c : cases) {
        const ToolRun result = run(c.args);
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        EXPECT_EQ(result.exitCode, c.exitCode) << line << result.errors;
        EXPECT_NE(result.errors.find(c.expected), std::string::npos) << line << "-> " << result.errors;
        EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << "one line: " << result.errors;
        EXPECT_EQ(contents(path("out.wav")), "earlier render") << line;
        EXPECT_EQ(othersThan({"in.wav", "out.wav"}), std::vector<std::string>{}) << line;
    }
}

TEST_F(TavRender, BanksAndPresetsRoundTrip)
{
    {
        // The tool saves banks from the plug-in's chunk: a state it cannot read is a failure.
        test::TestHost host;
        ASSERT_TRUE(host.create());
        void* data = nullptr;
        ASSERT_EQ(host.dispatch(effGetChunk, 0, 0, &data), 42289);
        ASSERT_NE(data, nullptr);
    }
    const ToolRun first = run({"--demo", "0.1", "--no-tail", "a.wav", "--program", "wobble", "--param", "drive=0.3",
                           "--save-bank", "first.tvb", "--save-preset", "first.tvp"});
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_EQ(fs::file_size(path("first.tvb")), 42281u);
    EXPECT_EQ(fs::file_size(path("first.tvp")), 1361u);

    // Loading what was saved and saving again gives the same bytes.
    const ToolRun second = run({"--demo", "0.1", "--no-tail", "b.wav", "--bank", "first.tvb", "--save-bank", "second.tvb"});
    ASSERT_EQ(second.exitCode, 0) << second.errors;
    EXPECT_EQ(contents(path("second.tvb")), contents(path("first.tvb")));

    const ToolRun preset = run({"--demo", "0.1", "--no-tail", "c.wav", "--program", "3", "--preset", "first.tvp",
                            "--save-preset", "second.tvp"});
    ASSERT_EQ(preset.exitCode, 0) << preset.errors;
    EXPECT_EQ(contents(path("second.tvp")), contents(path("first.tvp")));
    // A different program's preset differs, so the comparisons above compare something.
    const ToolRun other = run({"--demo", "0.1", "--no-tail", "d.wav", "--program", "3", "--save-preset", "third.tvp"});
    ASSERT_EQ(other.exitCode, 0) << other.errors;
    EXPECT_NE(contents(path("third.tvp")), contents(path("first.tvp")));
}

} // namespace
} // namespace kestro::render
