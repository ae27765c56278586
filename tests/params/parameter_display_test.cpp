// Host texts (name, label, display) and editor texts of the parameters. The expected texts
// are worked out here from the published rules, independently of params/value_laws.
#include "params/editor_display.h"
#include "params/parameter_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace kestro;

std::string display(int index, float v, double limit = kNoFrequencyLimit)
{
    char text[kTextBufferSize];
    std::memset(text, 'x', sizeof text);
    getParameterDisplay(index, v, text, limit);
    return text;
}

std::string label(int index, float v, double limit = kNoFrequencyLimit)
{
    char text[kTextBufferSize];
    std::memset(text, 'x', sizeof text);
    getParameterLabel(index, v, text, limit);
    return text;
}

std::string name(int index)
{
    char text[kTextBufferSize];
    std::memset(text, 'x', sizeof text);
    getParameterName(index, text);
    return text;
}

std::string editor(EditorLaw law, float v)
{
    char text[kTextBufferSize];
    std::memset(text, 'x', sizeof text);
    formatEditorDisplay(law, v, text);
    return text;
}

std::string print(int decimals, double x)
{
    char text[128];
    std::snprintf(text, sizeof text, "%.*f", decimals, x);
    return text;
}

// ---- an independent oracle: the rules as written, single precision on shown values ----

struct Texts {
    std::string display;
    std::string label;
};

float levelL(float v) { return float(0.5048 * (std::exp(2.185 * double(v)) - 1.0)); }
float timeT(float v) { return float(std::pow(100.0, double(v)) * 0.10000000149011612); }
float distD(float v) { return float(1.3 * double(v) + 0.35); }
float hpfH(float v) { return double(v) >= 0.01 ? float(53.33 * std::exp(2.966 * double(v)) - 34.94) : 0.0f; }
float lpfP(float v) { return v == 1.0f ? 0.0f : 200.0f * powf(100.0f, v); }

std::string dB(float x) { return x > 0.0f ? print(1, double(20.0f * log10f(x))) : "-oo"; }

Texts timeTexts(float t)
{
    const float ms = 1000.0f * t;
    if (ms >= 1000.0f)
        return {print(1, double(ms / 1000.0f)), "s"};
    return {print(0, double(ms)), "ms"};
}

Texts distanceTexts(float d)
{
    const float e = d - 0.35f;
    if (e < 0.0f)
        return {"0", "cm"};
    if (e < 1.0f)
        return {print(0, double(100.0f * e)), "cm"};
    return {print(2, double(e)), "m"};
}

Texts frequencyOrOffTexts(float f)
{
    if (f == 0.0f)
        return {"Off", " "};
    if (f >= 1000.0f)
        return {print(2, double(f / 1000.0f)), "kHz"};
    return {print(0, double(f)), "Hz"};
}

Texts expectedHost(int i, float v)
{
    const char* firstWord[] = {"Amp", "Front", "Front", "Front", "Opposite", "Mono"};
    const char* secondWord[] = {"Only", "Side", "Diagonal", "Rear", "Diagonal", ""};
    const char* typeWord[] = {"Thru", "Tube", "Solid"};
    switch (i) {
    case kBypass: return {int(v + 0.5f) != 0 ? "On" : "Off", " "};
    case kCpuMode: return {int(v + 0.5f) != 0 ? "Brilliant" : "LowCPU", " "};
    case kLever:
        if (v <= 0.005f) return {"Chorale", " "};
        if (v >= 0.995f) return {"Tremolo", " "};
        return {std::to_string(int(100.0f * v + 0.5f)), " "};
    case kSpeed: return {"", " "};
    case kStop: return {int(v + 0.5f) != 0 ? "Stopped" : "Running", " "};
    case kMech: case kHornGain: case kDrumGain: return {dB(levelL(v)), "dB"};
    case kBottom: case kLoMid: case kPresence: case kTop: return {print(1, double(24.0f * v - 12.0f)), "dB"};
    case kSetup: {
        const int k = int(5.0f * v + 0.5f);
        return {std::string(firstWord[k]) + secondWord[k], " "};
    }
    case kInput: return {dB(float(double(levelL(v)) * 0.70794578438 * 1.4142)), "dB"};
    case kType: return {typeWord[int(2.0f * v + 0.5f)], " "};
    case kDrive: return {dB(float(std::pow(10.0, (40.0 * double(v) - 20.0) / 20.0))), "dB"};
    case kSize: return {std::to_string(int(4.0f * v + 0.5f) + 1), " "};
    case kColor: return {print(1, double(100.0f * v)), "%"};
    case kAmount: return {dB(float(double(levelL(v)) * 0.0316227766 * 31.62277660168379)), "dB"};
    case kHornSlowSpeed: case kHornFastSpeed: case kDrumSlowSpeed: case kDrumFastSpeed:
        return {print(2, double(10.0f * v)), "Hz"};
    case kHornAccel: case kHornDecel: case kDrumAccel: case kDrumDecel: return timeTexts(timeT(v));
    case kHornDistance: case kDrumDistance: return distanceTexts(distD(v));
    case kHornHighPass: return frequencyOrOffTexts(hpfH(v));
    case kDrumLowPass: return frequencyOrOffTexts(lpfP(v));
    case kFirstSpare: case kFirstSpare + 1: case kFirstSpare + 2: case kFirstSpare + 3: return {"", " "};
    case kMidiChannel: {
        const int n = int(17.0f * v + 0.5f);
        if (n == 0) return {"OFF", " "};
        if (n == 17) return {"OMNI", " "};
        return {"Ch " + std::to_string(n), " "};
    }
    }
    return {"?", "?"};
}

const char* const kHostNames[kNumHostParameters] = {
    "Bypass", "CPUmode", "Lever", "Speed", "Stop", "Mech", "Bottom", "LoMid", "Presence",
    "Top", "Setup", "Input", "Type", "Drive", "Size", "Color", "Amount", "HSlowSpd",
    "HFastSpd", "HAccel", "HDecel", "HDistance", "HHPF", "HGain", "DSlowSpd", "DFastSpd",
    "DAccel", "DDecel", "DDistance", "DLPF", "DGain", "", "", "", "", "MIDIchl"};

TEST(HostParameterTexts, EveryHostParameterFollowsItsRuleAcrossTheRange)
{
    for (int i = 0; i < kNumHostParameters; ++i) {
        EXPECT_EQ(name(i), kHostNames[i]) << i;
        EXPECT_LE(name(i).size(), 9u) << i;
        for (float v : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
            const Texts want = expectedHost(i, v);
            EXPECT_EQ(display(i, v), want.display) << "index " << i << " v " << v;
            EXPECT_EQ(label(i, v), want.label) << "index " << i << " v " << v;
        }
    }
}

TEST(HostParameterTexts, AnchorValuesReadAsAUserExpects)
{
    EXPECT_EQ(display(kMech, 0.0f), "-oo");
    EXPECT_EQ(display(kMech, 0.5f), "0.0");
    EXPECT_EQ(display(kMech, 1.0f), "12.0");
    EXPECT_EQ(display(kDrive, 0.0f), "-20.0");
    EXPECT_EQ(display(kDrive, 1.0f), "20.0");
    EXPECT_EQ(display(kInput, 0.5f), "0.0");
    EXPECT_EQ(display(kType, 0.25f), "Tube");
    EXPECT_EQ(display(kSize, 0.75f), "4");
    EXPECT_EQ(display(kHornSlowSpeed, 0.5f), "5.00");
    EXPECT_EQ(display(kHornAccel, 0.0f), "100");
    EXPECT_EQ(label(kHornAccel, 0.0f), "ms");
    EXPECT_EQ(display(kHornAccel, 0.5f), "1.0");
    EXPECT_EQ(display(kHornAccel, 1.0f), "10.0");
    EXPECT_EQ(display(kHornDistance, 1.0f), "1.30");
    EXPECT_EQ(label(kHornDistance, 1.0f), "m");
    EXPECT_EQ(display(kHornDistance, 0.5f), "65");
    EXPECT_EQ(display(kHornHighPass, 0.0f), "Off");
    // The host's 1 % is the float 0.0099999998, below 0.01: the filter is off.
    EXPECT_EQ(display(kHornHighPass, 0.01f), "Off");
    EXPECT_EQ(display(kHornHighPass, std::nextafter(0.01f, 1.0f)), "20");
    EXPECT_EQ(display(kHornHighPass, 1.0f), "1.00");
    EXPECT_EQ(label(kHornHighPass, 1.0f), "kHz");
    EXPECT_EQ(display(kDrumLowPass, 0.0f), "200");
    EXPECT_EQ(display(kDrumLowPass, 0.5f), "2.00");
}

TEST(HostParameterTexts, LeverSetupAndSwitchWords)
{
    EXPECT_EQ(display(kLever, 0.004f), "Chorale");
    EXPECT_EQ(display(kLever, 0.005f), "Chorale");
    EXPECT_EQ(display(kLever, 0.5f), "50");
    EXPECT_EQ(display(kLever, 0.995f), "Tremolo");
    EXPECT_EQ(display(kLever, 0.006f), "1");

    EXPECT_EQ(display(kSetup, 0.0f), "AmpOnly");
    EXPECT_EQ(display(kSetup, 0.25f), "FrontSide");
    EXPECT_EQ(display(kSetup, 0.4f), "FrontDiagonal");
    EXPECT_EQ(display(kSetup, 0.6f), "FrontRear");
    EXPECT_EQ(display(kSetup, 0.8f), "OppositeDiagonal");
    EXPECT_EQ(display(kSetup, 1.0f), "Mono");

    EXPECT_EQ(name(kSpeed), "Speed");
    EXPECT_EQ(display(kSpeed, 1.0f), "");
    EXPECT_EQ(label(kSpeed, 1.0f), " ");
    EXPECT_EQ(display(kCpuMode, 1.0f), "Brilliant");
    EXPECT_EQ(display(kStop, 0.5f), "Stopped");
    EXPECT_EQ(display(kStop, 0.49f), "Running");
}

TEST(HostParameterTexts, MidiChannelSettings)
{
    EXPECT_EQ(display(kMidiChannel, 0.0f), "OFF");
    EXPECT_EQ(display(kMidiChannel, 1.0f / 17.0f), "Ch 1");
    EXPECT_EQ(display(kMidiChannel, 16.0f / 17.0f), "Ch 16");
    EXPECT_EQ(display(kMidiChannel, 1.0f), "OMNI");
    // Settings beyond 17 match no channel, so they must not claim one.
    EXPECT_EQ(display(kMidiChannel, 2.0f), "OFF");
    EXPECT_EQ(display(kMidiChannel, -1.0f), "OFF");
}

TEST(HostParameterTexts, DistanceShowsTheSpanBeyondTheMinimum)
{
    // 0.35 m is the closest position: nothing beyond it.
    EXPECT_EQ(display(kDrumDistance, 0.0f), "0");
    EXPECT_EQ(label(kDrumDistance, 0.0f), "cm");
    // The float nearest 1/1.3 lands on 1.35 m: one metre beyond the minimum.
    const float oneMetre = 1.0f / 1.3f;
    EXPECT_EQ(display(kHornDistance, oneMetre), "1.00");
    EXPECT_EQ(label(kHornDistance, oneMetre), "m");

    char text[kTextBufferSize];
    formatDistance(0.35f, text);
    EXPECT_STREQ(text, "0");
    EXPECT_STREQ(distanceLabel(0.35f), "cm");
    formatDistance(1.35f, text);
    EXPECT_STREQ(text, "1.00");
    EXPECT_STREQ(distanceLabel(1.35f), "m");
}

TEST(HostParameterTexts, FilterFrequenciesSwitchOffAndFollowTheModelRateLimit)
{
    EXPECT_EQ(display(kDrumLowPass, 1.0f), "Off");
    EXPECT_EQ(label(kDrumLowPass, 1.0f), " ");
    EXPECT_EQ(display(kDrumLowPass, 0.9999999f), "20.00");
    EXPECT_EQ(display(kHornHighPass, 0.0099f), "Off");
    EXPECT_EQ(label(kHornHighPass, 0.0099f), " ");

    // Half of an 24 kHz model rate: the drum low-pass cannot go above 12 kHz.
    EXPECT_EQ(display(kDrumLowPass, 0.9f, 12000.0), "12.00");
    EXPECT_EQ(label(kDrumLowPass, 0.9f, 12000.0), "kHz");
    EXPECT_EQ(display(kDrumLowPass, 0.0f, 12000.0), "200");
    EXPECT_EQ(display(kHornHighPass, 1.0f, 500.0), "500");
    EXPECT_EQ(label(kHornHighPass, 1.0f, 500.0), "Hz");
    // Off stays off under any limit; a missing rate limits nothing.
    EXPECT_EQ(display(kDrumLowPass, 1.0f, 12000.0), "Off");
    EXPECT_EQ(display(kDrumLowPass, 0.9f, 0.0), display(kDrumLowPass, 0.9f));
    EXPECT_EQ(display(kDrumLowPass, 0.9f, std::numeric_limits<double>::quiet_NaN()), display(kDrumLowPass, 0.9f));
    // Other indices ignore the limit.
    EXPECT_EQ(display(kHornLpfCutLow, 1.0f, 500.0), "20.00");
}

TEST(HostParameterTexts, IndicesOutsideTheTableAreBlank)
{
    for (int i : {120, 121, 1000, -1, -120, std::numeric_limits<int>::min(),
                  std::numeric_limits<int>::max()}) {
        EXPECT_EQ(name(i), "") << i;
        EXPECT_EQ(display(i, 0.5f), "") << i;
        EXPECT_EQ(label(i, 0.5f), " ") << i;
    }
}

TEST(InternalParameterTexts, NamesUnitsAndDerivedValues)
{
    EXPECT_EQ(name(kHornInputGain), "Horn Gain");
    EXPECT_EQ(name(kVirtualRoomSize), "Early Refl. Virtual Room Size");
    EXPECT_EQ(name(kAmpOnly), "Bypass Speakers (Amp Only)");
    EXPECT_EQ(name(kReserved79), "");
    for (int i = 36; i < kNumParameters; ++i)
        EXPECT_LE(name(i).size(), 29u) << i;

    EXPECT_EQ(display(kHornMic1Angle, 0.19f), print(1, double((0.19f - 0.5f) * 360.0f)));
    EXPECT_EQ(label(kHornMic1Angle, 0.19f), "deg");
    EXPECT_EQ(display(kHornMic1Pan, 0.0f), "-100.0");
    EXPECT_EQ(display(kHornMic2Pan, 1.0f), "100.0");
    EXPECT_EQ(display(kHornMic2Distance, 0.5f), "0.0%");
    EXPECT_EQ(display(kHornFmRadius, 0.0f), "12.5");
    EXPECT_EQ(display(kHornFmRadius, 1.0f), "25.0");
    EXPECT_EQ(display(kHornAttenuation, 0.5f), "2.00");
    EXPECT_EQ(display(kHornRay1Front, 0.497715f), "0.50");
    EXPECT_EQ(display(kHornLpfCutLow, 0.0f), "200");
    EXPECT_EQ(label(kHornLpfCutLow, 0.0f), "Hz");
    EXPECT_EQ(display(kHornLpfCutHigh, 1.0f), "20.00");
    EXPECT_EQ(label(kHornLpfCutHigh, 1.0f), "kHz");
    EXPECT_EQ(display(kHornReflectionCoeff, 1.0f), "0.0");
    EXPECT_EQ(display(kHornReflectionCoeff, 0.5f), "-12.0");
    EXPECT_EQ(display(kHornFlip, 0.5f), "Off");
    EXPECT_EQ(display(kHornFlip, 0.51f), "On");
    EXPECT_EQ(display(kHornOpenBackMode, 0.49f), "Off");
    EXPECT_EQ(display(kHornOpenBackMode, 0.99f), "On");
    EXPECT_EQ(display(kDrumOpenBackMode, 0.0f), "Not implemented");
    EXPECT_EQ(display(kHornAttenuationDistance, 0.0f), "10");
    EXPECT_EQ(display(kHornAttenuationDistance, 1.0f), "1000");
    EXPECT_EQ(display(kDrumAttenuationDistance, 1.0f), "300");
    EXPECT_EQ(display(kHornAttDecayExp, 0.0f), "0.50");
    EXPECT_EQ(display(kHornAttDecayExp, 1.0f), "2.00");
    EXPECT_EQ(display(kHornFilterSaturation, 0.0f), "0.00");
    EXPECT_EQ(display(kHornFilterSaturation, 1.0f), "0.32");
    EXPECT_EQ(display(kRoomSize, 0.0f), "0.50");
    EXPECT_EQ(display(kRoomSize, 1.0f), "4.00");
    EXPECT_EQ(display(kVirtualRoomSize, 1.0f), "4.00");
    EXPECT_EQ(display(kRoomLrDelay, 0.0f), "15.0");
    EXPECT_EQ(display(kDrumStaticFilterCutoff, 0.0f), "200");
    EXPECT_EQ(label(kDrumStaticFilterCutoff, 0.0f), " ");
    EXPECT_EQ(display(kDrumSplitterFrequency, 0.0f), "50");
    EXPECT_EQ(display(kDrumSplitterFrequency, 1.0f), "500");
    EXPECT_EQ(display(kAmpOnly, 1.0f), "On");
    EXPECT_EQ(label(kDrumReflectionCoeff, 0.5f), " ");
    for (int i : {36, 57, 59, 64, 65, 66, 67, 71, 79, 81, 82, 83, 84, 108})
        EXPECT_EQ(display(i, 0.7f), "") << i;
}

TEST(HostParameterTexts, AnyValueStaysInsideTheBuffer)
{
    const float nasty[] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::max(),
                           -std::numeric_limits<float>::max(), 1e9f, -1e9f, -0.5f, 3.0f};
    for (int i = -1; i <= kNumParameters; ++i) {
        for (float v : nasty) {
            // Exactly the promised size on the heap, so any overrun is caught by ASan.
            std::vector<char> text(kTextBufferSize, 'x');
            getParameterDisplay(i, v, text.data(), 12000.0);
            EXPECT_NE(std::memchr(text.data(), '\0', text.size()), nullptr) << i;
            getParameterLabel(i, v, text.data(), 12000.0);
            EXPECT_NE(std::memchr(text.data(), '\0', text.size()), nullptr) << i;
            getParameterName(i, text.data());
            EXPECT_NE(std::memchr(text.data(), '\0', text.size()), nullptr) << i;
        }
    }
    for (int law = 0; law <= static_cast<int>(EditorLaw::AmplifierType); ++law) {
        for (float v : nasty) {
            std::vector<char> text(kTextBufferSize, 'x');
            formatEditorDisplay(static_cast<EditorLaw>(law), v, text.data());
            EXPECT_NE(std::memchr(text.data(), '\0', text.size()), nullptr) << law;
        }
    }
    // A type or setup position with no word gives an empty text, never stale bytes.
    EXPECT_EQ(display(kType, 2.0f), "");
    EXPECT_EQ(display(kSetup, 2.0f), "");
}

TEST(ParameterProperties, StepsFlagsAndLabels)
{
    ParameterPropertiesInfo p{};
    ASSERT_TRUE(getParameterProperties(kTop, p));
    EXPECT_EQ(p.flags, 4);
    EXPECT_EQ(p.stepFloat, 1.0f / 35.0f);
    EXPECT_EQ(p.smallStepFloat, 1.0f / 70.0f);
    EXPECT_EQ(p.largeStepFloat, 1.0f / 35.0f);
    EXPECT_FLOAT_EQ(p.stepFloat, 0.0285714287f);
    EXPECT_STREQ(p.label, "Top");
    EXPECT_STREQ(p.shortLabel, "Top");

    ASSERT_TRUE(getParameterProperties(kHornDistance, p));
    EXPECT_STREQ(p.label, "HDistance");
    EXPECT_STREQ(p.shortLabel, "HDistan");

    for (int i : {kBypass, kCpuMode, kSpeed, kStop}) {
        ASSERT_TRUE(getParameterProperties(i, p));
        EXPECT_EQ(p.flags, 5) << i;
        EXPECT_EQ(p.stepFloat, 1.0f);
        EXPECT_EQ(p.smallStepFloat, 1.0f);
        EXPECT_EQ(p.largeStepFloat, 1.0f);
    }
    getParameterProperties(kSetup, p);
    EXPECT_EQ(p.flags, 4);
    EXPECT_EQ(p.stepFloat, 0.2f);
    EXPECT_EQ(p.smallStepFloat, 0.2f);
    getParameterProperties(kType, p);
    EXPECT_EQ(p.largeStepFloat, 0.5f);
    getParameterProperties(kSize, p);
    EXPECT_EQ(p.smallStepFloat, 0.25f);
    getParameterProperties(kLever, p);
    EXPECT_EQ(p.flags, 4);

    ASSERT_TRUE(getParameterProperties(kVirtualRoomSize, p));
    EXPECT_STREQ(p.label, "Early Refl. Virtual Room Size");
    EXPECT_STREQ(p.shortLabel, "Early R");
    ASSERT_TRUE(getParameterProperties(500, p));
    EXPECT_STREQ(p.label, "");
}

TEST(EditorDisplays, LawsWriteTheValueWithItsUnit)
{
    EXPECT_EQ(editor(EditorLaw::LevelDb, 0.0f), "-oo dB");
    EXPECT_EQ(editor(EditorLaw::LevelDb, 0.5f), "0.0 dB");
    EXPECT_EQ(editor(EditorLaw::LevelDb, 1.0f), "12.0 dB");
    EXPECT_EQ(editor(EditorLaw::EqDb, 0.0f), "-12.0 dB");
    EXPECT_EQ(editor(EditorLaw::EqDb, 0.75f), "6.0 dB");
    EXPECT_EQ(editor(EditorLaw::DriveDb, 0.25f), "-10.0 dB");
    EXPECT_EQ(editor(EditorLaw::SizeNumber, 1.0f), "5");
    EXPECT_EQ(editor(EditorLaw::ColorPercent, 0.508422f), "50.8 %");
    EXPECT_EQ(editor(EditorLaw::SpeedHz, 0.0673f), "0.67 Hz");
    EXPECT_EQ(editor(EditorLaw::Time, 0.0f), "100 ms");
    EXPECT_EQ(editor(EditorLaw::Time, 0.5f), "1.0 s");
    EXPECT_EQ(editor(EditorLaw::Distance, 0.0f), "0 cm");
    EXPECT_EQ(editor(EditorLaw::Distance, 1.0f), "1.30 m");
    EXPECT_EQ(editor(EditorLaw::HighPass, 0.0f), "Off  ");
    EXPECT_EQ(editor(EditorLaw::HighPass, 1.0f), "1.00 kHz");
    EXPECT_EQ(editor(EditorLaw::LowPass, 1.0f), "Off  ");
    EXPECT_EQ(editor(EditorLaw::LowPass, 0.0f), "200 Hz");
    EXPECT_EQ(editor(EditorLaw::SetupFirstWord, 0.8f), "Opposite");
    EXPECT_EQ(editor(EditorLaw::SetupSecondWord, 0.8f), "Diagonal");
    EXPECT_EQ(editor(EditorLaw::SetupSecondWord, 1.0f), "");
    EXPECT_EQ(editor(EditorLaw::AmplifierType, 1.0f), "Solid");
    EXPECT_EQ(editor(EditorLaw::None, 0.3f), "");
}

TEST(EditorDisplays, KnobsShowWhatTheHostShowsWhereBothDescribeOneQuantity)
{
    const EditorLaw expected[kNumHostParameters] = {
        EditorLaw::None, EditorLaw::None, EditorLaw::None, EditorLaw::None, EditorLaw::None,
        EditorLaw::LevelDb, EditorLaw::EqDb, EditorLaw::EqDb, EditorLaw::EqDb, EditorLaw::EqDb,
        EditorLaw::SetupFirstWord, EditorLaw::LevelDb, EditorLaw::AmplifierType,
        EditorLaw::DriveDb, EditorLaw::SizeNumber, EditorLaw::ColorPercent, EditorLaw::LevelDb,
        EditorLaw::SpeedHz, EditorLaw::SpeedHz, EditorLaw::Time, EditorLaw::Time,
        EditorLaw::Distance, EditorLaw::HighPass, EditorLaw::LevelDb, EditorLaw::SpeedHz,
        EditorLaw::SpeedHz, EditorLaw::Time, EditorLaw::Time, EditorLaw::Distance,
        EditorLaw::LowPass, EditorLaw::LevelDb, EditorLaw::None, EditorLaw::None,
        EditorLaw::None, EditorLaw::None, EditorLaw::None};
    for (int i = 0; i < kNumHostParameters; ++i)
        EXPECT_EQ(editorLawOf(i), expected[i]) << i;
    EXPECT_EQ(editorLawOf(kHornInputGain), EditorLaw::None);

    // Host display + " " + label equals the knob text for every parameter whose host text
    // is the same quantity (Input, Drive and Amount show trimmed gains on the host side).
    for (int i : {kMech, kBottom, kLoMid, kPresence, kTop, kHornSlowSpeed, kHornFastSpeed, kHornAccel,
                  kHornDecel, kHornDistance, kHornHighPass, kHornGain, kDrumSlowSpeed, kDrumFastSpeed,
                  kDrumAccel, kDrumDecel, kDrumDistance, kDrumLowPass, kDrumGain}) {
        for (int step = 0; step <= 200; ++step) {
            const float v = static_cast<float>(step) / 200.0f;
            EXPECT_EQ(display(i, v) + " " + label(i, v), editor(editorLawOf(i), v))
                << "index " << i << " v " << v;
        }
    }
}

} // namespace
