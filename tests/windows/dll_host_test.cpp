// The DLL as a Windows host meets it: loaded with LoadLibraryW, the entry found with
// GetProcAddress under both names, then descriptor, processing in both precisions, the
// state chunk, and the user's stored default bank in a new instance.

#include "windows_test_support.h"

#include "params/parameter_indices.h"
#include "platform/settings_store.h"
#include "presets/preset_images.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace kestro;
using namespace kestro::test;

namespace {

constexpr VstInt32 kFrames = 512;
constexpr int kBlocks = 40;

std::vector<std::uint8_t> takeChunk(TestHost& host)
{
    void* data = nullptr;
    const auto size = host.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

std::string programName(TestHost& host, VstInt32 index)
{
    char text[64] = {};
    host.dispatch(effGetProgramNameIndexed, index, 0, text);
    return text;
}

void renameCurrent(TestHost& host, const char* name)
{
    char text[64] = {};
    std::strncpy(text, name, sizeof text - 1);
    host.dispatch(effSetProgramName, 0, 0, text);
}

// Runs a 220 Hz tone through a fresh instance and gives the left output of every block.
template <typename Sample>
std::vector<Sample> processTone()
{
    TestHost host;
    EXPECT_TRUE(host.create()) << pluginLoadError();
    host.prepare(44100.0f, kFrames);
    ChannelBuffers<Sample> in(2, kFrames);
    ChannelBuffers<Sample> out(2, kFrames);
    std::vector<Sample> left;
    for (int block = 0; block < kBlocks; ++block) {
        for (int i = 0; i < kFrames; ++i) {
            const double t = static_cast<double>(block * kFrames + i) / 44100.0;
            in[0][static_cast<std::size_t>(i)] = in[1][static_cast<std::size_t>(i)] =
                static_cast<Sample>(0.5 * std::sin(2.0 * 3.14159265358979 * 220.0 * t));
        }
        if constexpr (sizeof(Sample) == sizeof(float))
            host.processReplacing(in.pointers(), out.pointers(), kFrames);
        else
            host.processDoubleReplacing(in.pointers(), out.pointers(), kFrames);
        left.insert(left.end(), out[0].begin(), out[0].end());
    }
    return left;
}

class DllHost : public testing::Test {
protected:
    void SetUp() override { clearSettingsStore(); }
    void TearDown() override { clearSettingsStore(); }
};

} // namespace

TEST_F(DllHost, BothEntryNamesGiveTheDescriptor)
{
    const PluginEntry entry = pluginEntry("VSTPluginMain");
    ASSERT_NE(entry, nullptr) << pluginLoadError();
    EXPECT_EQ(pluginEntry("main"), entry);

    TestHost host;
    ASSERT_TRUE(host.create());
    const AEffect* effect = host.effect();
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->flags, 0x1031);
    EXPECT_EQ(effect->numParams, 36);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->uniqueID, 0x54764B31);
    EXPECT_EQ(effect->version, 1);
    EXPECT_FLOAT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(host.close(), 1);
}

TEST_F(DllHost, ProcessesInBothPrecisionsAlike)
{
    const std::vector<float> single = processTone<float>();
    const std::vector<double> twice = processTone<double>();
    ASSERT_EQ(single.size(), twice.size());
    double energy = 0.0;
    double largestDifference = 0.0;
    for (std::size_t i = 0; i < single.size(); ++i) {
        ASSERT_TRUE(std::isfinite(single[i]) && std::isfinite(twice[i])) << "sample " << i;
        energy += twice[i] * twice[i];
        largestDifference = std::max(largestDifference, std::fabs(static_cast<double>(single[i]) - twice[i]));
    }
    EXPECT_GT(energy / static_cast<double>(twice.size()), 1e-4) << "the tone comes through";
    EXPECT_LT(largestDifference, 1e-4) << "one model, two sample formats";
}

TEST_F(DllHost, ChunkRoundTripAndStoredDefaultBank)
{
    std::vector<std::uint8_t> chunk;
    {
        TestHost host;
        ASSERT_TRUE(host.create());
        host.dispatch(effSetProgram, 0, 0);
        renameCurrent(host, "Round Trip");
        host.setParameter(kColor, 0.625f);
        chunk = takeChunk(host);
        ASSERT_FALSE(chunk.empty());
    }
    {
        TestHost host;
        ASSERT_TRUE(host.create());
        EXPECT_NE(programName(host, 0), "Round Trip");
        EXPECT_EQ(host.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 0);
        EXPECT_EQ(programName(host, 0), "Round Trip");
        EXPECT_FLOAT_EQ(host.getParameter(kColor), 0.625f);
        EXPECT_EQ(takeChunk(host), chunk);
    }

    // The same bank stored as the user's default is what a new instance starts with. The
    // chunk is the bank image behind a prefix of its own.
    ASSERT_GT(chunk.size(), images::kChunkPrefixSize);
    ASSERT_TRUE(platform::writeBinarySetting(platform::kDefaultBankValue, chunk.data() + images::kChunkPrefixSize,
                                             chunk.size() - images::kChunkPrefixSize));
    TestHost fresh;
    ASSERT_TRUE(fresh.create());
    EXPECT_EQ(programName(fresh, 0), "Round Trip");
    EXPECT_FLOAT_EQ(fresh.getParameter(kColor), 0.625f);
}

// The editor in a real (wine) parent window, as a host opens it: a click on the bypass
// switch reaches the host as automation, and the program name typed into the native name
// box renames the program.
TEST_F(DllHost, EditorInAParentWindowTakesClicksAndTypedNames)
{
    TestHost host;
    ASSERT_TRUE(host.create());
    HostWindow parent(401, 570);
    ERect* rect = nullptr;
    ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent.handle), 1);
    const auto children = childrenOf(parent.handle);
    ASSERT_EQ(children.size(), 1u);
    HWND window = children[0];
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, rect->right - rect->left);
    EXPECT_EQ(client.bottom, rect->bottom - rect->top);
    const auto idle = [&] { host.dispatch(effEditIdle); };
    for (int i = 0; i < 20; ++i) { // the first frames are drawn
        pumpMessages();
        idle();
    }

    // The bypass switch at (340, 536)-(398, 550).
    host.setParameter(kBypass, 0.0f);
    host.clearRecords();
    clickAt(window, 369, 543);
    EXPECT_TRUE(waitUntil([&] { return host.getParameter(kBypass) == 1.0f; }, idle));
    EXPECT_FALSE(host.automations().empty());

    // The program name field at (146, 554)-(262, 568).
    ::Sleep(500); // no double-click with the click before
    clickAt(window, 200, 561);
    EXPECT_TRUE(waitUntil([&] { return ::FindWindowExW(window, nullptr, L"Edit", nullptr) != nullptr; }, idle));
    typeKey('W');
    typeKey('I');
    typeKey('N');
    typeKey(VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return host.dispatchText(effGetProgramName) == "win"; }, idle))
        << host.dispatchText(effGetProgramName);

    host.dispatch(effEditClose);
    EXPECT_TRUE(childrenOf(parent.handle).empty());
}
