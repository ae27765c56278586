// The host's view of the program store: chunks and program names through the exported
// entry, as a host reaches them.

#include "preset_probe.h"
#include "support/test_host.h"

#include "params/parameter_indices.h"
#include "presets/preset_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using kestro::test::TestHost;
using kestro::kLever;

namespace {

constexpr VstInt32 kUniqueId = kVstFourCC('T', 'v', 'K', '1');

std::vector<std::uint8_t> takeChunk(TestHost& host)
{
    void* data = nullptr;
    const auto size = host.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

VstIntPtr giveChunk(TestHost& host, std::vector<std::uint8_t>& chunk)
{
    return host.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
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
    std::memcpy(text, name, ::strnlen(name, sizeof text - 1));
    host.dispatch(effSetProgramName, 0, 0, text);
}

// A whole, zero-filled name field, as the builder writes it.
void setName(std::vector<std::uint8_t>& chunk, int slot, const char* name)
{
    char field[24] = {};
    std::memcpy(field, name, ::strnlen(name, 23));
    std::memcpy(chunk.data() + 8 + 41 + static_cast<std::size_t>(slot) * (168 + 36 * 32) + 12, field, 24);
}

class HostChunk : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.create()) << kestro::test::pluginLoadError(); }
    kestro::test::FreshSettings settings;
    TestHost host;
};

} // namespace

TEST_F(HostChunk, SameBufferAndSizeEveryTime)
{
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, &first), 42289);
    EXPECT_EQ(host.dispatch(effGetChunk, 1, 0, &second), 42289) << "a preset request gets the bank too";
    EXPECT_EQ(first, second);
}

TEST_F(HostChunk, RoundTripRestoresNamesValuesAndCurrentProgram)
{
    auto chunk = takeChunk(host);
    ASSERT_EQ(chunk.size(), 42289u);
    const std::string name0 = programName(host, 0);
    // As if taken with program 6, renamed "Six", current.
    const std::int32_t six = 6;
    std::memcpy(chunk.data() + 8 + 17, &six, 4);
    setName(chunk, 6, "Six");
    const auto given = chunk;

    renameCurrent(host, "Changed");
    host.clearRecords();
    ASSERT_EQ(giveChunk(host, chunk), 0);
    EXPECT_EQ(chunk, given) << "the host's bytes stay as they were";
    EXPECT_EQ(host.dispatchText(effGetProgramName), "Six");
    EXPECT_EQ(programName(host, 0), name0);
    EXPECT_GE(host.updateDisplayCount(), 1);
    EXPECT_EQ(takeChunk(host), given);
}

TEST_F(HostChunk, OtherByteOrderIsReadWithEveryNumberReversed)
{
    auto chunk = takeChunk(host);
    setName(chunk, 3, "Turned");
    const std::int32_t three = 3;
    std::memcpy(chunk.data() + 8 + 17, &three, 4);
    const auto native = chunk;
    auto foreign = kestro::test::foreignImage(chunk, 8);
    kestro::test::reverseWord(foreign, 0);
    kestro::test::reverseWord(foreign, 4);
    ASSERT_NE(foreign, native);

    ASSERT_EQ(giveChunk(host, foreign), 0);
    EXPECT_EQ(host.dispatchText(effGetProgramName), "Turned");
    EXPECT_EQ(takeChunk(host), native);
}

TEST_F(HostChunk, RejectedChunksChangeNothingAndAreNeverOverread)
{
    const auto before = takeChunk(host);
    auto wrongId = before;
    wrongId[4] ^= 0x01;
    EXPECT_EQ(giveChunk(host, wrongId), -1);
    auto wrongFormat = before;
    wrongFormat[0] = 0x03;
    EXPECT_EQ(giveChunk(host, wrongFormat), -1);
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 42289, nullptr), -1);

    // A short bank chunk: the header alone does not fit. Its bytes live at the very end
    // of a buffer so that any read past the size would be caught by the sanitizer build.
    for (std::size_t size : {4u, 8u, 48u}) {
        std::vector<std::uint8_t> shortChunk(before.begin(), before.begin() + static_cast<long>(size));
        shortChunk.shrink_to_fit();
        EXPECT_EQ(giveChunk(host, shortChunk), -1) << size;
    }
    EXPECT_EQ(takeChunk(host), before);
}

TEST_F(HostChunk, LegacyBankChunk)
{
    const auto before = takeChunk(host);
    // 32-byte header, c = 2 programs of 24-byte name and 3 values, current program 1.
    std::vector<std::uint8_t> legacy(32 + 2 * (24 + 12), 0);
    const std::int32_t words[] = {0x01000000, kUniqueId, 2, 1};
    std::memcpy(legacy.data(), words, sizeof words);
    std::memcpy(legacy.data() + 32, "First", 6);
    std::memcpy(legacy.data() + 32 + 36, "Second", 7);
    const float values[] = {0.0f, 0.0f, 0.5f};
    std::memcpy(legacy.data() + 32 + 24, values, 12);
    std::memcpy(legacy.data() + 32 + 36 + 24, values, 12);

    auto bad = legacy;
    const float tooBig = 3.0f;
    std::memcpy(bad.data() + 32 + 36 + 24 + 8, &tooBig, 4);
    EXPECT_EQ(giveChunk(host, bad), -1);
    EXPECT_EQ(takeChunk(host), before) << "a rejected legacy chunk leaves every program as it was";

    auto noPrograms = legacy;
    std::memset(noPrograms.data() + 8, 0, 4);
    EXPECT_EQ(giveChunk(host, noPrograms), -1);
    auto tooShort = std::vector<std::uint8_t>(legacy.begin(), legacy.begin() + 31);
    EXPECT_EQ(giveChunk(host, tooShort), -1);
    auto hugeCount = legacy;
    const std::int32_t huge = 1000;
    std::memcpy(hugeCount.data() + 8, &huge, 4);
    EXPECT_EQ(giveChunk(host, hugeCount), -1);
    EXPECT_EQ(takeChunk(host), before);

    ASSERT_EQ(giveChunk(host, legacy), 0);
    EXPECT_EQ(programName(host, 0), "First");
    EXPECT_EQ(host.dispatchText(effGetProgramName), "Second");
    EXPECT_FLOAT_EQ(host.getParameter(kLever), 0.5f) << "program 1 was selected";
}

TEST_F(HostChunk, ProgramNames)
{
    char untouched[64];
    std::memset(untouched, '#', sizeof untouched);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 32, 0, untouched), 0);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, -1, 0, untouched), 0);
    EXPECT_EQ(untouched[0], '#');
    EXPECT_NE(programName(host, 31), "");

    renameCurrent(host, "123456789012345678901234567890");
    EXPECT_EQ(host.dispatchText(effGetProgramName), "12345678901234567890123");
    EXPECT_EQ(programName(host, 0), "12345678901234567890123");

    // The host program interface stays on its one program.
    host.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    EXPECT_EQ(host.dispatchText(effGetProgramName), "12345678901234567890123");
}
