// The opcode table as a host sees it, through the descriptor's dispatcher.

#include "params/parameter_indices.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using kestro::test::ChannelBuffers;
using kestro::test::TestHost;
using kestro::kBypass;

namespace {

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.create()) << kestro::test::pluginLoadError(); }
    TestHost host;
};

VstSpeakerArrangement arrangementOf(VstInt32 channels)
{
    VstSpeakerArrangement arrangement{};
    arrangement.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    arrangement.numChannels = channels;
    return arrangement;
}

} // namespace

TEST_F(Dispatcher, FixedAnswers)
{
    EXPECT_EQ(host.dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(host.dispatch(effGetTailSize), 0);
    EXPECT_EQ(host.dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(host.dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host.dispatch(effOpen), 0);
    EXPECT_EQ(host.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f), 0);
    EXPECT_EQ(host.dispatch(effSetBlockSize, 0, 64), 0);
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 0), 0);
}

TEST_F(Dispatcher, TotalSamplesComeBackAsInt32)
{
    EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, -5), -5);
    if (sizeof(VstIntPtr) == 8) {
        EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, static_cast<VstIntPtr>(0x100000007LL)), 7);
    }
}

TEST_F(Dispatcher, NamesOfTheProduct)
{
    VstIntPtr result = 0;
    EXPECT_EQ(host.dispatchText(effGetEffectName, 0, 0, &result), "TAV Kestro");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(host.dispatchText(effGetVendorString, 0, 0, &result), "tav-quillmoor.com");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(host.dispatchText(effGetProductString, 0, 0, &result), "TAV Kestro - rotary speaker emulator");
    EXPECT_EQ(result, 1);
}

TEST_F(Dispatcher, UnsupportedAndDeprecatedOpcodesAnswerZeroAndWriteNothing)
{
    const VstInt32 opcodes[] = {
        effGetVu, effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep, effString2Parameter,
        effGetNumProgramCategories, effCopyProgram, effConnectInput, effConnectOutput, effGetCurrentPosition,
        effGetDestinationBuffer, effOfflineNotify, effOfflinePrepare, effOfflineRun, effProcessVarIo,
        effSetBlockSizeAndSampleRate, effSetBypass, effGetErrorText, effVendorSpecific, effIdle, effGetIcon,
        effSetViewPosition, effKeysRequired, effGetMidiProgramName, effGetMidiProgramCategory,
        effHasMidiProgramsChanged, effGetMidiKeyName, effBeginSetProgram, effEndSetProgram,
        effShellGetNextPlugin, effStartProcess, effStopProcess, effSetPanLaw, effBeginLoadBank,
        effBeginLoadProgram, effSetProcessPrecision, 80, 81, 1000, -1, -100,
    };
    for (VstInt32 opcode : opcodes) {
        unsigned char buffer[512];
        std::memset(buffer, 0xA5, sizeof buffer);
        EXPECT_EQ(host.dispatch(opcode, 1, 1, buffer, 1.0f), 0) << "opcode " << opcode;
        for (unsigned char b : buffer)
            ASSERT_EQ(b, 0xA5) << "opcode " << opcode << " wrote into the host's buffer";
    }
}

TEST_F(Dispatcher, OnlyHostParametersCanBeAutomated)
{
    for (VstInt32 i = 0; i < 36; ++i)
        EXPECT_EQ(host.dispatch(effCanBeAutomated, i), 1) << i;
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 36), 0);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 119), 0);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, -1), 0);
}

TEST_F(Dispatcher, ParameterPropertiesAnswerForEveryIndex)
{
    for (VstInt32 index : {0, 35, 36, 119, 500}) {
        VstParameterProperties properties{};
        EXPECT_EQ(host.dispatch(effGetParameterProperties, index, 0, &properties), 1) << index;
    }
    EXPECT_EQ(host.dispatch(effGetParameterProperties, kBypass, 0, nullptr), 0);
}

TEST_F(Dispatcher, HostProgramInterfaceStaysAtProgramZero)
{
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    EXPECT_EQ(host.dispatch(effSetProgram, 0, 0), 0);
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    EXPECT_EQ(host.dispatch(effSetProgram, 0, 5), 0);
    EXPECT_EQ(host.dispatch(effSetProgram, 0, -1), 0);
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
}

TEST_F(Dispatcher, ProgramNamesFollowTheNameRule)
{
    char name[] = "Gospel Growl";
    EXPECT_EQ(host.dispatch(effSetProgramName, 0, 0, name), 0);
    EXPECT_EQ(host.dispatchText(effGetProgramName), "Gospel Growl");

    char longName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"; // 30 characters
    host.dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(host.dispatchText(effGetProgramName), "ABCDEFGHIJKLMNOPQRSTUVW");

    // A shorter name afterwards leaves nothing of the longer one behind.
    char shortName[] = "Jazz";
    host.dispatch(effSetProgramName, 0, 0, shortName);
    char buffer[kVstMaxProgNameLen];
    std::memset(buffer, 0x7F, sizeof buffer);
    host.dispatch(effGetProgramName, 0, 0, buffer);
    EXPECT_STREQ(buffer, "Jazz");

    // The host program's name is program 0 of the store.
    VstIntPtr result = 0;
    EXPECT_EQ(host.dispatchText(effGetProgramNameIndexed, 0, 0, &result), "Jazz");
    EXPECT_EQ(result, 1);
}

TEST_F(Dispatcher, IndexedProgramNamesCoverExactlyThirtyTwoPrograms)
{
    VstIntPtr result = 0;
    host.dispatchText(effGetProgramNameIndexed, 31, 0, &result);
    EXPECT_EQ(result, 1);
    for (VstInt32 index : {32, -1, 1000}) {
        char buffer[kVstMaxProgNameLen];
        std::memset(buffer, 0x7F, sizeof buffer);
        EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, index, 0, buffer), 0) << index;
        for (char c : buffer)
            ASSERT_EQ(c, 0x7F) << "index " << index << " wrote into the buffer";
    }
}

TEST_F(Dispatcher, CanDoComparesWholeStrings)
{
    for (const char* capability :
         {"offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out", "receiveVstMidiEvent"}) {
        std::string text = capability;
        EXPECT_EQ(host.dispatch(effCanDo, 0, 0, text.data()), 1) << capability;
    }
    for (const char* other : {"2in2out ", "2in2", "sendVstMidiEvent", "sendVstEvents", "receiveVstEvents", "bypass",
                              "", "OFFLINE"}) {
        std::string text = other;
        EXPECT_EQ(host.dispatch(effCanDo, 0, 0, text.data()), 0) << '"' << other << '"';
    }
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, PinPropertiesNameTwoStereoPinsEachWay)
{
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        const char* label;
    };
    for (const Case& c : {Case{effGetInputProperties, 0, "TAV Kestro 1 In"}, Case{effGetInputProperties, 1, "TAV Kestro 2 In"},
                          Case{effGetOutputProperties, 0, "TAV Kestro 1 Out"},
                          Case{effGetOutputProperties, 1, "TAV Kestro 2 Out"}}) {
        VstPinProperties pin;
        std::memset(&pin, 0x5A, sizeof pin);
        EXPECT_EQ(host.dispatch(c.opcode, c.index, 0, &pin), 1);
        EXPECT_STREQ(pin.label, c.label);
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
        // Only the label and the flags are ours to write.
        EXPECT_EQ(pin.arrangementType, 0x5A5A5A5A);
        EXPECT_EQ(static_cast<unsigned char>(pin.shortLabel[0]), 0x5A);
        EXPECT_EQ(static_cast<unsigned char>(pin.future[47]), 0x5A);
    }
    for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
        for (VstInt32 index : {2, 3, -1}) {
            VstPinProperties pin;
            std::memset(&pin, 0x5A, sizeof pin);
            EXPECT_EQ(host.dispatch(opcode, index, 0, &pin), 0);
            const auto* bytes = reinterpret_cast<const unsigned char*>(&pin);
            for (std::size_t i = 0; i < sizeof pin; ++i)
                ASSERT_EQ(bytes[i], 0x5A) << "pin " << index << " byte " << i;
        }
    }
}

TEST_F(Dispatcher, GetSpeakerArrangementHandsBackNoArrangement)
{
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* input = &dummy;
    VstSpeakerArrangement* output = &dummy;
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    // A host that passes no pointers at all is not written through.
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, EditorRectangleIsTheFixedWindow)
{
    ERect* rect = nullptr;
    ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 570);
    EXPECT_EQ(rect->right, 401);
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effEditIdle), 0);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
}

TEST_F(Dispatcher, ChunkOpcodesRejectWhatCannotBeAChunk)
{
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, nullptr), 0);
    if (sizeof(VstIntPtr) == 8) {
        char data[8] = {};
        EXPECT_EQ(host.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(0x100000008LL), data), -1);
    }
    EXPECT_EQ(host.dispatch(effSetChunk, 0, -8, nullptr), -1);
}

TEST_F(Dispatcher, TextOpcodesIgnoreAMissingBuffer)
{
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                            effGetParamName, effGetProgramNameIndexed, effGetInputProperties,
                            effGetOutputProperties, effGetEffectName, effGetVendorString, effGetProductString})
        EXPECT_EQ(host.dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
}

TEST_F(Dispatcher, MidiEventListAnswers)
{
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), -1);
    VstEvents none{};
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &none), 1);
}

// ---- speaker arrangements, observed through which buffers processing uses ----------------

namespace {

struct Routing {
    float out0;
    float out1;
};

// Bypass taken over across a suspend/resume is exact from the first sample, so the outputs
// show which input buffer reached them whatever the cabinet model does.
void bypassAtRest(TestHost& host)
{
    host.setParameter(kBypass, 1.0f);
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effMainsChanged, 0, 1);
}

// Left input carries 1, right input 2; the outputs start at -9 so an untouched buffer shows.
template <typename Sample>
Routing routeOnce(TestHost& host)
{
    ChannelBuffers<Sample> in(2, 8), out(2, 8, Sample(-9));
    for (int i = 0; i < 8; ++i) {
        in[0][i] = Sample(1);
        in[1][i] = Sample(2);
    }
    if constexpr (sizeof(Sample) == sizeof(float))
        host.processReplacing(in.pointers(), out.pointers(), 8);
    else
        host.processDoubleReplacing(in.pointers(), out.pointers(), 8);
    return Routing{static_cast<float>(out[0][7]), static_cast<float>(out[1][7])};
}

} // namespace

TEST_F(Dispatcher, SpeakerArrangementsSelectTheBuffers)
{
    host.prepare();
    bypassAtRest(host);
    struct Row {
        VstInt32 in;
        VstInt32 out;
        VstIntPtr result;
        Routing routing;
    };
    const Row rows[] = {
        {1, 1, 1, {1, -9}}, // mono: left in, left out only
        {1, 2, 1, {1, 1}},  // mono in feeds both outputs
        {2, 1, 1, {1, -9}}, // stereo in, only the left output written
        {2, 2, 1, {1, 2}},
        {6, 2, 0, {1, 2}}, // unsupported: back to full stereo
        {2, 6, 0, {1, 2}},
        {0, 0, 0, {1, 2}},
    };
    for (const Row& row : rows) {
        // Start from a mono layout each time so a refused one visibly resets the flags.
        VstSpeakerArrangement monoIn = arrangementOf(1), monoOut = arrangementOf(1);
        host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&monoIn), &monoOut);

        VstSpeakerArrangement in = arrangementOf(row.in), out = arrangementOf(row.out);
        EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), row.result)
            << row.in << " in, " << row.out << " out";
        for (const Routing r : {routeOnce<float>(host), routeOnce<double>(host)}) {
            EXPECT_EQ(r.out0, row.routing.out0) << row.in << " in, " << row.out << " out";
            EXPECT_EQ(r.out1, row.routing.out1) << row.in << " in, " << row.out << " out";
        }
    }
    EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, 0, nullptr), 0);
    const Routing r = routeOnce<float>(host);
    EXPECT_EQ(r.out1, 2.0f);
}

TEST_F(Dispatcher, UnconnectedPinsFallBackToTheLeftChannel)
{
    host.prepare();
    bypassAtRest(host);
    host.setPinConnected(false, 1, false);
    Routing r = routeOnce<float>(host);
    EXPECT_EQ(r.out0, 1.0f);
    EXPECT_EQ(r.out1, 1.0f) << "an unconnected right input is fed from the left";

    host.setPinConnected(false, 1, true);
    host.setPinConnected(true, 1, false);
    r = routeOnce<double>(host);
    EXPECT_EQ(r.out0, 1.0f);
    EXPECT_EQ(r.out1, -9.0f) << "an unconnected right output is never written";

    // The host was asked with value 0 for inputs and 1 for outputs, about pin 1.
    bool askedInput = false, askedOutput = false;
    for (const auto& call : host.calls()) {
        if (call.opcode != audioMasterPinConnected)
            continue;
        EXPECT_EQ(call.index, 1);
        askedInput |= call.value == 0;
        askedOutput |= call.value == 1;
    }
    EXPECT_TRUE(askedInput);
    EXPECT_TRUE(askedOutput);
}
