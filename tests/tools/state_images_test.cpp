// Host-side handling of preset and bank files: presets applied through values, bank files
// wrapped into the chunk the plug-in takes back, both byte orders and the old layouts, and
// a clear refusal of damaged or mismatched files.

#include "tools/tav-render/state_images.h"

#include "presets/preset_images.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestro::render {
namespace {

constexpr std::int32_t kId = 0x54764B31; // TvK1

HostProgram sampleProgram(float offset)
{
    HostProgram program;
    program.name = "Sample";
    for (std::size_t i = 0; i < program.values.size(); ++i)
        program.values[i] = offset + 0.01f * static_cast<float>(i);
    return program;
}

void reverseWord(Bytes& bytes, std::size_t at)
{
    std::swap(bytes[at], bytes[at + 3]);
    std::swap(bytes[at + 1], bytes[at + 2]);
}

std::int32_t wordAt(const Bytes& bytes, std::size_t at)
{
    std::int32_t word = 0;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

// What a machine of the other byte order writes: every integer and float reversed, names not.
Bytes foreignOrder(Bytes image)
{
    reverseWord(image, 0);
    for (std::size_t at = 5; at < 41; at += 4)
        reverseWord(image, at);
    std::size_t at = 41;
    while (at + 12 <= image.size()) {
        const std::int32_t type = wordAt(image, at);
        const std::int32_t payload = wordAt(image, at + 4);
        for (std::size_t w = 0; w < 3; ++w)
            reverseWord(image, at + 4 * w);
        if (type == 1) {
            reverseWord(image, at + 12);
            reverseWord(image, at + 24);
        }
        at += 12 + static_cast<std::size_t>(payload);
    }
    return image;
}

Bytes bankFile(int currentProgram)
{
    ProgramTable table{};
    for (std::size_t slot = 0; slot < table.size(); ++slot) {
        applyProgramName(table[slot].name, ("Slot " + std::to_string(slot)).c_str());
        for (float& value : table[slot].values)
            value = 0.5f;
    }
    Bytes image(images::kBankImageSize);
    image.resize(images::writeBankImage(image.data(), image.size(), table, currentProgram, kId,
                                        images::allParameters(), nullptr));
    return image;
}

TEST(StateImages, PresetsRoundTripInBothByteOrders)
{
    const HostProgram written = sampleProgram(0.5f);
    const Bytes image = buildPresetImage(kId, written);
    ASSERT_EQ(image.size(), 1361u);

    for (const Bytes& file : {image, foreignOrder(image)}) {
        std::string error;
        const std::optional<HostProgram> read = applyPresetFile(file, kId, sampleProgram(0.0f), error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(read->name, "Sample");
        EXPECT_EQ(read->values, written.values);
    }
}

TEST(StateImages, DamagedOrMismatchedPresetsAreRefused)
{
    const HostProgram current = sampleProgram(0.0f);
    Bytes outOfRange = buildPresetImage(kId, sampleProgram(0.5f));
    const float tooLarge = 1.5f;
    std::memcpy(outOfRange.data() + 41 + 168 + 5 * 32 + 24, &tooLarge, 4); // parameter 5

    struct Case {
        Bytes file;
        const char* expected;
    };
    const Bytes good = buildPresetImage(kId, sampleProgram(0.5f));
    const std::vector<Case> cases{
        {outOfRange, "outside 0..1"},
        {Bytes(good.begin(), good.begin() + 1000), "cut short"},
        {Bytes(good.begin(), good.begin() + 3), "too short"},
        {buildPresetImage(kId + 1, sampleProgram(0.5f)), "not a TAV Kestro file"},
        {bankFile(0), "is a bank file"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(applyPresetFile(c.file, kId, current, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(StateImages, OldPresetLayoutSetsWhatItCarriesAndKeepsTheRest)
{
    // Identification word, kind '!', a 24-byte name, then 20 values.
    Bytes file(5 + 24 + 4 * 20, 0);
    std::memcpy(file.data(), &kId, 4);
    file[4] = images::kKindLegacyPreset;
    std::memcpy(file.data() + 5, "Old", 3);
    for (int i = 0; i < 20; ++i) {
        const float value = 0.9f;
        std::memcpy(file.data() + 29 + 4 * i, &value, 4);
    }
    std::string error;
    const HostProgram current = sampleProgram(0.0f);
    const std::optional<HostProgram> read = applyPresetFile(file, kId, current, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->name, "Old");
    EXPECT_EQ(read->values[19], 0.9f);
    EXPECT_EQ(read->values[20], current.values[20]);
    EXPECT_EQ(read->values[35], current.values[35]);
}

TEST(StateImages, BankFilesBecomeTheChunkThePluginTakes)
{
    const Bytes native = bankFile(7);
    std::string error;
    const std::optional<Bytes> chunk = chunkFromBankFile(native, kId, error);
    ASSERT_TRUE(chunk) << error;
    ASSERT_EQ(chunk->size(), 42289u);
    EXPECT_EQ(wordAt(*chunk, 0), 0x02000000);
    EXPECT_EQ(wordAt(*chunk, 4), kId);
    EXPECT_EQ(Bytes(chunk->begin() + 8, chunk->end()), native);
    // And back: the bank image inside, with the current program rewritten in place.
    Bytes patched = *chunk;
    ASSERT_TRUE(setCurrentProgramInChunk(patched, 12));
    EXPECT_EQ(wordAt(patched, 8 + 17), 12);
    const std::optional<Bytes> image = bankImageFromChunk(patched, kId, error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->size(), native.size());

    // A foreign file travels with a foreign chunk header, so the plug-in reverses it all.
    const std::optional<Bytes> foreign = chunkFromBankFile(foreignOrder(native), kId, error);
    ASSERT_TRUE(foreign) << error;
    Bytes header(foreign->begin(), foreign->begin() + 8);
    reverseWord(header, 0);
    reverseWord(header, 4);
    EXPECT_EQ(wordAt(header, 0), 0x02000000);
    EXPECT_EQ(wordAt(header, 4), kId);
    Bytes foreignChunk = *foreign;
    EXPECT_FALSE(setCurrentProgramInChunk(foreignChunk, 1)) << "only native chunks are patched";

    // The old layout: 32 records of a name and p values become the old chunk, program 0.
    const int values = 36;
    Bytes old(5 + 32 * (24 + 4 * values), 0);
    std::memcpy(old.data(), &kId, 4);
    old[4] = images::kKindLegacyBank;
    const std::optional<Bytes> legacy = chunkFromBankFile(old, kId, error);
    ASSERT_TRUE(legacy) << error;
    ASSERT_EQ(legacy->size(), 32 + old.size() - 5);
    EXPECT_EQ(wordAt(*legacy, 0), 0x01000000);
    EXPECT_EQ(wordAt(*legacy, 4), kId);
    EXPECT_EQ(wordAt(*legacy, 8), 32);
    EXPECT_EQ(wordAt(*legacy, 12), 0);
}

TEST(StateImages, DamagedOrMismatchedBanksAreRefused)
{
    const Bytes good = bankFile(0);
    Bytes negativeCount = good;
    const std::int32_t minusOne = -1;
    std::memcpy(negativeCount.data() + 13, &minusOne, 4);
    struct Case {
        Bytes file;
        const char* expected;
    };
    const std::vector<Case> cases{
        {Bytes(good.begin(), good.begin() + 100), "cut short"},
        {negativeCount, "damaged"},
        {buildPresetImage(kId, sampleProgram(0.5f)), "is a preset file"},
        {Bytes(good.size(), 0), "not a TAV Kestro file"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(chunkFromBankFile(c.file, kId, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(bankImageFromChunk(Bytes(good.begin(), good.end()), kId, error)) << "a bare image is no chunk";
}

} // namespace
} // namespace kestro::render
