// The byte images: exact layouts written here from the format's tables, the other byte
// order, value repair and rejection, the two older layouts, and reads that must stay inside
// the bytes they were given.

#include "preset_probe.h"

#include "params/parameter_indices.h"
#include "presets/preset_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace kestro;
using kestro::test::foreignImage;
using kestro::test::kProbeId;
using kestro::test::PresetProbe;
using kestro::test::sameTable;

namespace {

// An independent writer for the expected bytes: native integers and floats, packed.
class Bytes {
public:
    void i32(std::int32_t v) { append(&v, 4); }
    void f32(float v) { append(&v, 4); }
    void byte(std::uint8_t v) { data.push_back(v); }
    void zeros(std::size_t n) { data.insert(data.end(), n, 0); }
    void name(const char* text)
    {
        char field[24] = {};
        std::memcpy(field, text, ::strnlen(text, 23));
        append(field, 24);
    }
    std::vector<std::uint8_t> data;

private:
    void append(const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        data.insert(data.end(), b, b + n);
    }
};

void expectHeader(Bytes& out, std::uint8_t kind, std::int32_t records, std::int32_t current, std::int32_t length)
{
    out.i32(kProbeId);
    out.byte(kind);
    out.i32(0x01000000);
    out.i32(36);
    out.i32(records);
    out.i32(current);
    out.i32(length);
    out.zeros(16);
}

void expectProgram(Bytes& out, std::int32_t index, const ProgramRecord& program)
{
    out.i32(0);
    out.i32(156);
    out.i32(index);
    out.name(program.name);
    out.zeros(4 + 128);
    for (int p = 0; p < 36; ++p) {
        out.i32(1);
        out.i32(20);
        out.i32(index);
        out.i32(p);
        out.zeros(8);
        out.f32(program.values[p]);
        out.zeros(4);
    }
}

std::vector<std::uint8_t> presetOf(const ProgramRecord& program)
{
    std::vector<std::uint8_t> image(images::kPresetImageSize);
    images::writePresetImage(image.data(), image.size(), program, kProbeId, images::allParameters());
    return image;
}

void setValueInImage(std::vector<std::uint8_t>& image, std::size_t recordStart, float value)
{
    std::memcpy(image.data() + recordStart + 24, &value, 4);
}

// Offset of parameter record `p` of slot `slot` in a bank image.
std::size_t bankParameterRecord(int slot, int p)
{
    return 41 + static_cast<std::size_t>(slot) * (168 + 36 * 32) + 168 + static_cast<std::size_t>(p) * 32;
}

} // namespace

TEST(PresetImages, BankAndPresetImagesMatchTheLayoutByteForByte)
{
    PresetProbe probe;
    probe.selectProgram(7);
    probe.programAt(7).values[kSetup] = 1.0f;

    Bytes bank;
    expectHeader(bank, 0x38, 32 * 37, 7, 42240);
    for (int slot = 0; slot < 32; ++slot)
        expectProgram(bank, slot, probe.programAt(slot));
    ASSERT_EQ(bank.data.size(), 42281u);
    EXPECT_EQ(probe.presets().buildBankImage(), bank.data);

    Bytes preset;
    expectHeader(preset, 0x22, 37, 0, 1320);
    expectProgram(preset, 0, probe.programAt(7));
    ASSERT_EQ(preset.data.size(), 1361u);
    EXPECT_EQ(probe.presets().buildPresetImage(), preset.data);

    // The host's chunk wraps the same bank image behind its two words.
    void* chunk = nullptr;
    const VstInt32 size = probe.getChunk(&chunk, true);
    ASSERT_EQ(size, 42289);
    Bytes prefix;
    prefix.i32(0x02000000);
    prefix.i32(kProbeId);
    const auto* bytes = static_cast<const std::uint8_t*>(chunk);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 8), prefix.data);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes + 8, bytes + size), bank.data);
}

TEST(PresetImages, BankSaveRepairsOutOfRangeValuesAndSaysSo)
{
    PresetProbe probe;
    probe.programAt(3).values[kType] = 1.5f;
    probe.programAt(4).values[kDrive] = std::numeric_limits<float>::quiet_NaN();
    testing::internal::CaptureStderr();
    const auto image = probe.presets().buildBankImage();
    const std::string messages = testing::internal::GetCapturedStderr();
    float stored;
    std::memcpy(&stored, image.data() + bankParameterRecord(3, 12) + 24, 4);
    EXPECT_EQ(stored, 1.0f);
    std::memcpy(&stored, image.data() + bankParameterRecord(4, 13) + 24, 4);
    EXPECT_EQ(stored, 0.0f);
    EXPECT_NE(messages.find("Invalid parameter 12 value 1.500000 on save of preset 3 Program 3\n"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("on save of preset 4 Program 4\n"), std::string::npos) << messages;
    EXPECT_EQ(probe.programAt(3).values[kType], 1.5f) << "saving never changes the programs";
}

TEST(PresetImages, ForeignByteOrderLoadsThroughTheNormalPath)
{
    PresetProbe source;
    source.selectProgram(9);
    const auto bank = foreignImage(source.presets().buildBankImage());
    const auto preset = foreignImage(presetOf(source.programAt(12)));

    PresetProbe target(false);
    for (int slot = 0; slot < 32; ++slot)
        std::memset(&target.programAt(slot), 0, sizeof(ProgramRecord));
    auto load = images::loadImage(target.programTable(), 0, target.templateProgram(), bank.data(), bank.size(),
                                  kProbeId, false, images::kAnyKind, images::allParameters(), nullptr);
    ASSERT_TRUE(load.recognized);
    ASSERT_TRUE(load.result.applied);
    EXPECT_EQ(load.result.programToSelect, 9);
    EXPECT_TRUE(sameTable(target.snapshot(), source.snapshot()));

    load = images::loadImage(target.programTable(), 2, target.templateProgram(), preset.data(), preset.size(),
                             kProbeId, false, images::kPresetKinds, images::allParameters(), nullptr);
    ASSERT_TRUE(load.result.applied);
    EXPECT_EQ(std::memcmp(&target.programAt(2), &source.programAt(12), sizeof(ProgramRecord)), 0);
}

TEST(PresetImages, BankLoadRepairsWhilePresetLoadRejectsAndRestores)
{
    PresetProbe probe;
    auto bank = probe.presets().buildBankImage();
    setValueInImage(bank, bankParameterRecord(6, 20), 1.5f);
    setValueInImage(bank, bankParameterRecord(6, 21), -0.25f);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(probe.presets().loadBankRecords(bank.data() + 41, bank.size() - 41,
                                                [&] {
                                                    images::ImageHeader h;
                                                    images::readHeader(bank.data(), bank.size(), false, h);
                                                    return h;
                                                }(),
                                                false));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(probe.programAt(6).values[kHornDecel], 1.0f);
    EXPECT_EQ(probe.programAt(6).values[kHornDistance], 0.0f);
    EXPECT_NE(messages.find("Invalid parameter 20 value 1.500000 on load of preset 6 Program 6\n"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("Invalid parameter 21 value -0.250000 on load of preset 6 Program 6\n"),
              std::string::npos);

    // A preset with 1.5 in its last record leaves the current program exactly as it was.
    probe.selectProgram(5);
    auto preset = presetOf(probe.programAt(11));
    setValueInImage(preset, 41 + 168 + 35 * 32, 1.5f);
    const ProgramTable before = probe.snapshot();
    const int calls = probe.setCalls;
    auto load = images::loadImage(probe.programTable(), 5, probe.templateProgram(), preset.data(), preset.size(),
                                  kProbeId, false, images::kPresetKinds, images::allParameters(), nullptr);
    EXPECT_TRUE(load.recognized);
    EXPECT_FALSE(load.result.applied);
    EXPECT_TRUE(sameTable(probe.snapshot(), before));
    EXPECT_EQ(probe.setCalls, calls) << "a rejected preset selects nothing";
}

TEST(PresetImages, PresetGoesIntoTheCurrentSlotWhateverIndexItsRecordsCarry)
{
    PresetProbe probe;
    auto preset = presetOf(probe.programAt(20));
    for (std::size_t at = 41; at < preset.size();) {
        std::int32_t length;
        std::memcpy(&length, preset.data() + at + 4, 4);
        const std::int32_t slot = 17;
        std::memcpy(preset.data() + at + 8, &slot, 4);
        at += 12 + static_cast<std::size_t>(length);
    }
    probe.selectProgram(5);
    const ProgramTable before = probe.snapshot();
    images::ImageHeader header;
    images::readHeader(preset.data(), preset.size(), false, header);
    ASSERT_TRUE(probe.presets().loadPresetRecords(preset.data() + 41, preset.size() - 41, header, false));
    for (int slot = 0; slot < 32; ++slot) {
        const ProgramRecord& expected = slot == 5 ? before[20] : before[static_cast<std::size_t>(slot)];
        EXPECT_EQ(std::memcmp(&probe.programAt(slot), &expected, sizeof expected), 0) << "slot " << slot;
    }
    EXPECT_EQ(probe.getCurrentProgramIndex(), 5);
    EXPECT_EQ(probe.values[kHornDecel], before[20].values[kHornDecel]) << "the loaded preset was selected";
}

TEST(PresetImages, CorruptPresetCountsAndCutOffRecordsChangeNothing)
{
    PresetProbe probe;
    probe.selectProgram(4);
    const ProgramTable before = probe.snapshot();
    auto preset = presetOf(probe.programAt(9));

    auto negative = preset;
    const std::int32_t minusOne = -1;
    std::memcpy(negative.data() + 13, &minusOne, 4);
    auto load = images::loadImage(probe.programTable(), 4, probe.templateProgram(), negative.data(),
                                  negative.size(), kProbeId, false, images::kPresetKinds, images::allParameters(),
                                  nullptr);
    EXPECT_FALSE(load.result.applied);
    EXPECT_TRUE(sameTable(probe.snapshot(), before)) << "a corrupt count must not reset the current program";

    std::vector<std::uint8_t> cut(preset.begin(), preset.begin() + 41 + 168 + 10 * 32 + 7);
    load = images::loadImage(probe.programTable(), 4, probe.templateProgram(), cut.data(), cut.size(), kProbeId,
                             false, images::kPresetKinds, images::allParameters(), nullptr);
    EXPECT_FALSE(load.result.applied);
    EXPECT_TRUE(sameTable(probe.snapshot(), before));

    // A record claiming more bytes than the image holds ends a bank load right there.
    PresetProbe source;
    for (int slot = 0; slot < 32; ++slot)
        source.programAt(slot).values[kBottom] = 0.75f;
    auto bank = source.presets().buildBankImage();
    const std::int32_t huge = 0x7fffff00;
    std::memcpy(bank.data() + 41 + 2 * (168 + 36 * 32) + 4, &huge, 4); // slot 2's name record
    load = images::loadImage(probe.programTable(), 0, probe.templateProgram(), bank.data(), bank.size(), kProbeId,
                             false, images::kBankKinds, images::allParameters(), nullptr);
    EXPECT_TRUE(load.result.applied);
    EXPECT_EQ(probe.programAt(1).values[kBottom], 0.75f);
    EXPECT_EQ(probe.programAt(2).values[kBottom], before[2].values[kBottom]);
}

TEST(PresetImages, LegacyLayoutsFillFromTheTemplateAndRejectOutOfRangeValues)
{
    PresetProbe probe;
    probe.selectProgram(3);
    // Legacy preset with 20 values: 29 + 4 * 20 bytes.
    Bytes legacy;
    legacy.i32(kProbeId);
    legacy.byte(0x21);
    legacy.name("Old preset");
    for (int p = 0; p < 20; ++p)
        legacy.f32(0.25f);
    ASSERT_EQ(legacy.data.size(), 29u + 80u);
    auto load = images::loadImage(probe.programTable(), 3, probe.templateProgram(), legacy.data.data(),
                                  legacy.data.size(), kProbeId, false, images::kPresetKinds,
                                  images::allParameters(), nullptr);
    ASSERT_TRUE(load.result.applied);
    EXPECT_STREQ(probe.programAt(3).name, "Old preset");
    for (int p = 0; p < 36; ++p)
        EXPECT_EQ(probe.programAt(3).values[p], p < 20 ? 0.25f : probe.templateProgram().values[p]) << p;

    // The same with 1.5 among its values: rejected, slot 3 as it was.
    const ProgramTable before = probe.snapshot();
    float bad = 1.5f;
    std::memcpy(legacy.data.data() + 29 + 4 * 7, &bad, 4);
    load = images::loadImage(probe.programTable(), 3, probe.templateProgram(), legacy.data.data(),
                             legacy.data.size(), kProbeId, false, images::kPresetKinds, images::allParameters(),
                             nullptr);
    EXPECT_FALSE(load.result.applied);
    EXPECT_TRUE(sameTable(probe.snapshot(), before));

    // Legacy bank, 32 records of 40 values (the last 4 ignored), bad value in record 30.
    Bytes bank;
    bank.i32(kProbeId);
    bank.byte(0x37);
    for (int slot = 0; slot < 32; ++slot) {
        bank.name(("Legacy " + std::to_string(slot)).c_str());
        for (int p = 0; p < 40; ++p)
            bank.f32(p == 3 && slot == 30 ? 2.0f : 0.5f);
    }
    load = images::loadImage(probe.programTable(), 3, probe.templateProgram(), bank.data.data(), bank.data.size(),
                             kProbeId, false, images::kBankKinds, images::allParameters(), nullptr);
    EXPECT_FALSE(load.result.applied);
    EXPECT_TRUE(sameTable(probe.snapshot(), before)) << "the whole table comes back";

    float good = 0.5f;
    std::memcpy(bank.data.data() + 5 + 30 * (24 + 160) + 24 + 3 * 4, &good, 4);
    const auto reversed = [&] {
        auto bytes = bank.data;
        kestro::test::reverseWord(bytes, 0);
        for (int slot = 0; slot < 32; ++slot)
            for (int p = 0; p < 40; ++p)
                kestro::test::reverseWord(bytes, 5 + static_cast<std::size_t>(slot) * 184 + 24 + 4 * p);
        return bytes;
    }();
    load = images::loadImage(probe.programTable(), 3, probe.templateProgram(), reversed.data(), reversed.size(),
                             kProbeId, false, images::kBankKinds, images::allParameters(), nullptr);
    ASSERT_TRUE(load.result.applied);
    EXPECT_EQ(load.result.programToSelect, 0);
    EXPECT_STREQ(probe.programAt(31).name, "Legacy 31");
    EXPECT_EQ(probe.programAt(31).values[kMidiChannel], 0.5f);
}

TEST(PresetImages, UnknownOrShortDataLoadsNothing)
{
    PresetProbe probe;
    const ProgramTable before = probe.snapshot();
    auto preset = presetOf(probe.programAt(1));
    const auto attempt = [&](const std::vector<std::uint8_t>& bytes, unsigned kinds) {
        return images::loadImage(probe.programTable(), 0, probe.templateProgram(), bytes.data(), bytes.size(),
                                 kProbeId, false, kinds, images::allParameters(), nullptr);
    };
    auto otherId = preset;
    otherId[0] ^= 0x55;
    EXPECT_FALSE(attempt(otherId, images::kAnyKind).recognized);
    auto otherKind = preset;
    otherKind[4] = 0x23;
    EXPECT_FALSE(attempt(otherKind, images::kAnyKind).recognized);
    EXPECT_FALSE(attempt(preset, images::kBankKinds).recognized) << "a bank command takes no preset";
    EXPECT_FALSE(attempt({preset.begin(), preset.begin() + 4}, images::kAnyKind).recognized);
    EXPECT_FALSE(attempt({preset.begin(), preset.begin() + 40}, images::kAnyKind).recognized);
    Bytes tinyLegacy; // fewer bytes than one legacy bank's 32 names
    tinyLegacy.i32(kProbeId);
    tinyLegacy.byte(0x37);
    tinyLegacy.zeros(700);
    EXPECT_FALSE(attempt(tinyLegacy.data, images::kAnyKind).result.applied);
    EXPECT_TRUE(sameTable(probe.snapshot(), before));
}
