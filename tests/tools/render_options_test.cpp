// Command-line parsing of tav-render: what each form means, and that every bad line is
// refused with a message that names the problem.

#include "tools/tav-render/render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro::render {
namespace {

ParseResult parse(std::vector<std::string> args)
{
    return parseRenderOptions(args);
}

TEST(RenderOptions, FilesFlagsAndDefaults)
{
    const ParseResult plain = parse({"in.wav", "out.flac"});
    ASSERT_TRUE(plain.ok()) << plain.error;
    EXPECT_EQ(plain.options.inputPath, "in.wav");
    EXPECT_EQ(plain.options.outputPath, "out.flac");
    EXPECT_EQ(plain.options.blockSize, 512);
    EXPECT_FALSE(plain.options.doublePrecision);
    EXPECT_DOUBLE_EQ(plain.options.tailSeconds, 1.0);
    EXPECT_FALSE(plain.options.demo);

    const ParseResult full = parse({"--block=100", "--double", "--no-tail", "--plugin", "/x/p.so", "--program",
                                    "Wobble", "--bank", "b.tvb", "--preset=p.tvp", "--save-bank", "o.tvb",
                                    "--save-preset", "o.tvp", "--", "-in.wav", "out.wav"});
    ASSERT_TRUE(full.ok()) << full.error;
    EXPECT_EQ(full.options.blockSize, 100);
    EXPECT_TRUE(full.options.doublePrecision);
    EXPECT_DOUBLE_EQ(full.options.tailSeconds, 0.0);
    EXPECT_EQ(full.options.pluginPath, "/x/p.so");
    EXPECT_EQ(full.options.program, "Wobble");
    EXPECT_EQ(full.options.bankPath, "b.tvb");
    EXPECT_EQ(full.options.presetPath, "p.tvp");
    EXPECT_EQ(full.options.saveBankPath, "o.tvb");
    EXPECT_EQ(full.options.savePresetPath, "o.tvp");
    EXPECT_EQ(full.options.inputPath, "-in.wav"); // after "--" a leading dash is a file name

    EXPECT_TRUE(parse({"x", "--help"}).options.help); // help wins over anything incomplete
    EXPECT_TRUE(parse({"--list", "--param", "drive=0.2"}).ok());
}

TEST(RenderOptions, DemoTakesAnOptionalLengthAndAnOptionalOutput)
{
    const ParseResult bare = parse({"--demo"});
    ASSERT_TRUE(bare.ok()) << bare.error;
    EXPECT_TRUE(bare.options.demo);
    EXPECT_DOUBLE_EQ(bare.options.demoSeconds, 12.0);
    EXPECT_EQ(bare.options.outputPath, "kestro-demo.wav");
    EXPECT_FALSE(bare.options.sampleRate.has_value());

    const ParseResult timed = parse({"--demo", "8", "organ.wav", "--rate", "48000"});
    ASSERT_TRUE(timed.ok()) << timed.error;
    EXPECT_DOUBLE_EQ(timed.options.demoSeconds, 8.0);
    EXPECT_EQ(timed.options.outputPath, "organ.wav");
    EXPECT_EQ(timed.options.sampleRate, 48000);

    // A file name after --demo is not mistaken for a length.
    const ParseResult named = parse({"--demo", "organ.wav"});
    ASSERT_TRUE(named.ok()) << named.error;
    EXPECT_DOUBLE_EQ(named.options.demoSeconds, 12.0);
    EXPECT_EQ(named.options.outputPath, "organ.wav");

    EXPECT_DOUBLE_EQ(parse({"--demo=2.5"}).options.demoSeconds, 2.5);
}

TEST(RenderOptions, ParametersAndTimedChangesKeepTheirOrder)
{
    const ParseResult result = parse({"--param", "Drive=0.25", "--param", "lever=1", "--at", "2.5:lever=1",
                                      "--at", "4:stop=1", "--at", "3.0:CC64=127", "--at", "0:cc1=0", "i", "o"});
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.options.parameters.size(), 2u);
    EXPECT_EQ(result.options.parameters[0].name, "Drive");
    EXPECT_FLOAT_EQ(result.options.parameters[0].value, 0.25f);
    EXPECT_EQ(result.options.parameters[1].name, "lever");

    const auto& changes = result.options.timedChanges;
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_DOUBLE_EQ(changes[0].seconds, 2.5);
    const auto* lever = std::get_if<ParameterSetting>(&changes[0].action);
    ASSERT_NE(lever, nullptr);
    EXPECT_EQ(lever->name, "lever");
    EXPECT_FLOAT_EQ(lever->value, 1.0f);
    EXPECT_EQ(std::get<ParameterSetting>(changes[1].action).name, "stop");

    const auto* sustain = std::get_if<ControlChange>(&changes[2].action);
    ASSERT_NE(sustain, nullptr);
    EXPECT_DOUBLE_EQ(changes[2].seconds, 3.0);
    EXPECT_EQ(sustain->controller, 64);
    EXPECT_EQ(sustain->value, 127);
    EXPECT_EQ(std::get<ControlChange>(changes[3].action).controller, 1);
    EXPECT_EQ(std::get<ControlChange>(changes[3].action).value, 0);
    EXPECT_EQ(changes[3].text, "0:cc1=0");
}

TEST(RenderOptions, BadLinesAreRefusedWithAMessageNamingTheProblem)
{
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const std::vector<Case> cases{
        {{"--bogus", "i", "o"}, "unknown option '--bogus'"},
        {{"--param", "lever=1.5", "i", "o"}, "outside 0..1"},
        {{"--param", "lever=-0.1", "i", "o"}, "outside 0..1"},
        {{"--param", "lever=nan", "i", "o"}, "not a number"},
        {{"--param", "lever", "i", "o"}, "NAME=VALUE"},
        {{"--at", "x:lever=1", "i", "o"}, "time 'x'"},
        {{"--at", "-1:lever=1", "i", "o"}, "seconds >= 0"},
        {{"--at", "2.5", "i", "o"}, "SECONDS:NAME=VALUE"},
        {{"--at", "1:lever=2", "i", "o"}, "outside 0..1"},
        {{"--at", "1:cc128=0", "i", "o"}, "controller number"},
        {{"--at", "1:cc64=128", "i", "o"}, "0..127"},
        {{"--at", "1:cc64", "i", "o"}, "0..127"},
        {{"--block", "0", "i", "o"}, "1 to 65536"},
        {{"--block", "12x", "i", "o"}, "1 to 65536"},
        {{"i", "o", "--block"}, "--block needs a value"},
        {{"--rate", "48000", "i", "o"}, "only to --demo"},
        {{"--demo", "--rate", "100"}, "8000 to 768000"},
        {{"--demo", "0"}, "(0, 3600]"},
        {{"--demo", "a.wav", "b.wav"}, "no input file"},
        {{"--double=1", "i", "o"}, "takes no value"},
        {{"--tail", "2", "--no-tail", "i", "o"}, "contradict"},
        {{"--tail", "61", "i", "o"}, "0 to 60"},
        {{"--program", "a", "--program", "b", "i", "o"}, "given twice"},
        {{"--list", "i.wav"}, "takes no audio files"},
        {{"--list", "--save-bank", "b.tvb"}, "writes no files"},
        {{}, "no input file"},
        {{"in.wav"}, "no output file"},
        {{"a", "b", "c"}, "too many files"},
    };
    for (const Case& c : cases) {
        const ParseResult result = parse(c.args);
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        EXPECT_FALSE(result.ok()) << line;
        EXPECT_NE(result.error.find(c.expected), std::string::npos) << line << "-> " << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << "one line: " << result.error;
    }
}

TEST(RenderOptions, NumbersMustBeWholeAndFinite)
{
    EXPECT_EQ(parseNumber("2.5"), 2.5);
    EXPECT_EQ(parseNumber("+1"), 1.0);
    EXPECT_EQ(parseNumber("1e-3"), 0.001);
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("1.5s"));
    EXPECT_FALSE(parseNumber("inf"));
    EXPECT_FALSE(parseNumber(" 1"));
    EXPECT_EQ(parseInteger("512"), 512);
    EXPECT_FALSE(parseInteger("5.0"));
    EXPECT_FALSE(parseInteger("99999999999"));
}

} // namespace
} // namespace kestro::render
