// Preset and bank files, stored defaults, memos, remembered file locations and the user
// manual, through the editor side of the preset system.

#include "preset_probe.h"

#include "platform/settings_store.h"
#include "presets/preset_images.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace kestro;
using kestro::test::FreshSettings;
using kestro::test::PresetProbe;
using kestro::test::sameTable;

namespace {

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class PresetFiles : public testing::Test {
protected:
    FreshSettings settings;
    fs::path files = fs::path(settings.dir) / "files";
    void SetUp() override { fs::create_directories(files); }
};

} // namespace

TEST_F(PresetFiles, BankRoundTripEndsOnProgramZeroAndRemembersWhere)
{
    PresetProbe source;
    source.programAt(8).values[9] = 0.125f;
    source.selectProgram(8);
    const fs::path path = files / "my bank.tvb";
    ASSERT_TRUE(source.presets().saveBankToPath(path.string()));
    EXPECT_EQ(fs::file_size(path), images::kBankImageSize);
    EXPECT_STREQ(source.presets().rememberedDirectory(), files.string().c_str());
    EXPECT_STREQ(source.presets().rememberedBankFile(), "my bank.tvb");
    for (const auto& entry : fs::directory_iterator(files))
        EXPECT_EQ(entry.path().filename(), "my bank.tvb") << "no temporary file stays behind";

    PresetProbe target;
    for (int slot = 0; slot < 32; ++slot)
        std::memset(&target.programAt(slot), 0, sizeof(ProgramRecord));
    target.selectProgram(5);
    ASSERT_TRUE(target.presets().loadBankFromPath(path.string(), false));
    EXPECT_TRUE(sameTable(target.snapshot(), source.snapshot()));
    EXPECT_EQ(target.getCurrentProgramIndex(), 0);
    EXPECT_EQ(target.values[9], source.programAt(0).values[9]);

    // A bare name opens in the remembered directory.
    target.selectProgram(3);
    EXPECT_TRUE(target.presets().loadBankFromPath("my bank.tvb", false));
    EXPECT_EQ(target.getCurrentProgramIndex(), 0);
}

TEST_F(PresetFiles, EndianReversedCommandInvertsTheDetectedOrder)
{
    PresetProbe source;
    source.selectProgram(2);
    const auto native = source.presets().buildPresetImage();
    const fs::path foreignFile = files / "foreign.tvp";
    const fs::path mixedFile = files / "mixed.tvp";
    const fs::path nativeFile = files / "native.tvp";
    writeFile(foreignFile, kestro::test::foreignImage(native));
    // A writer that put its numbers in the other order but our identification word first:
    // only the reversed command reads it correctly.
    writeFile(mixedFile, kestro::test::foreignImage(native, 0, false));
    writeFile(nativeFile, native);

    PresetProbe target;
    target.selectProgram(4);
    const ProgramTable before = target.snapshot();
    ASSERT_TRUE(target.presets().loadPresetFromPath(foreignFile.string(), false));
    EXPECT_EQ(std::memcmp(&target.programAt(4), &source.programAt(2), sizeof(ProgramRecord)), 0);

    target.programAt(4) = before[4];
    EXPECT_FALSE(target.presets().loadPresetFromPath(mixedFile.string(), false));
    EXPECT_FALSE(target.presets().loadPresetFromPath(nativeFile.string(), true));
    EXPECT_TRUE(sameTable(target.snapshot(), before));
    ASSERT_TRUE(target.presets().loadPresetFromPath(mixedFile.string(), true));
    EXPECT_EQ(std::memcmp(&target.programAt(4), &source.programAt(2), sizeof(ProgramRecord)), 0);

    // Banks: the foreign file through the normal command, its mixed twin only reversed.
    const auto bank = source.presets().buildBankImage();
    writeFile(files / "foreign.tvb", kestro::test::foreignImage(bank));
    writeFile(files / "mixed.tvb", kestro::test::foreignImage(bank, 0, false));
    PresetProbe banks;
    for (int slot = 0; slot < 32; ++slot)
        std::memset(&banks.programAt(slot), 0, sizeof(ProgramRecord));
    ASSERT_TRUE(banks.presets().loadBankFromPath((files / "foreign.tvb").string(), false));
    EXPECT_TRUE(sameTable(banks.snapshot(), source.snapshot()));
    for (int slot = 0; slot < 32; ++slot)
        std::memset(&banks.programAt(slot), 0, sizeof(ProgramRecord));
    ASSERT_TRUE(banks.presets().loadBankFromPath((files / "mixed.tvb").string(), true));
    EXPECT_TRUE(sameTable(banks.snapshot(), source.snapshot()));
}

TEST_F(PresetFiles, ReadOnlyLoadsUnreadableChangesNothingAndSavesAreAtomic)
{
    PresetProbe probe;
    probe.selectProgram(6);
    const fs::path path = files / "locked.tvp";
    ASSERT_TRUE(probe.presets().savePresetToPath(path.string()));
    ::chmod(path.c_str(), 0444);
    probe.programAt(6).values[7] = 0.0f;
    EXPECT_TRUE(probe.presets().loadPresetFromPath(path.string(), false)) << "a read-only preset still loads";
    EXPECT_EQ(probe.programAt(6).values[7], kestro::test::knownValue(6, 7));

    const ProgramTable before = probe.snapshot();
    EXPECT_FALSE(probe.presets().loadPresetFromPath((files / "missing.tvp").string(), false));
    EXPECT_FALSE(probe.presets().loadBankFromPath((files / "missing.tvb").string(), false));
    EXPECT_EQ(probe.getCurrentProgramIndex(), 6) << "an unreadable bank file selects nothing";
    writeFile(files / "short.tvb", {1, 2, 3});
    EXPECT_FALSE(probe.presets().loadBankFromPath((files / "short.tvb").string(), false));
    EXPECT_TRUE(sameTable(probe.snapshot(), before));

    // Saving over an existing file replaces it whole; saving into a missing directory fails.
    const fs::path bankPath = files / "bank.tvb";
    writeFile(bankPath, std::vector<std::uint8_t>(100000, 0xAB));
    ASSERT_TRUE(probe.presets().saveBankToPath(bankPath.string()));
    EXPECT_EQ(readFile(bankPath), probe.presets().buildBankImage());
    EXPECT_FALSE(probe.presets().saveBankToPath((files / "nowhere" / "bank.tvb").string()));
}

TEST_F(PresetFiles, StartupRestoresDefaultBankWithDefaultPresetOverProgramZero)
{
    {
        PresetProbe first;
        for (int slot = 0; slot < 32; ++slot) {
            first.programAt(slot).values[15] = 0.5f;
            applyProgramName(first.programAt(slot).name, ("Bank " + std::to_string(slot)).c_str());
        }
        ASSERT_TRUE(first.presets().storeDefaultBank());
        first.selectProgram(9);
        first.programAt(9).values[15] = 0.875f;
        applyProgramName(first.programAt(9).name, "Favourite");
        first.presets().defaultPresetButton(1.0f);
        first.presets().defaultBankButton(0.5f); // the Control gesture clears...
        first.presets().defaultBankButton(0.75f); // ...and the plain one stores again
    }
    {
        PresetProbe second;
        EXPECT_STREQ(second.programAt(0).name, "Favourite");
        EXPECT_EQ(second.programAt(0).values[15], 0.875f);
        EXPECT_STREQ(second.programAt(1).name, "Bank 1");
        EXPECT_EQ(second.programAt(31).values[15], 0.5f);
        EXPECT_EQ(second.getCurrentProgramIndex(), 0);
        EXPECT_EQ(second.values[15], 0.875f);
        second.presets().defaultPresetButton(0.5f);
    }
    EXPECT_FALSE(fs::exists(settings.valueFile("DefaultPreset")));
    EXPECT_TRUE(fs::exists(settings.valueFile("DefaultBank")));
    PresetProbe third;
    EXPECT_STREQ(third.programAt(0).name, "Bank 0");
    EXPECT_EQ(third.programAt(0).values[15], 0.5f);
}

TEST_F(PresetFiles, WithNothingStoredTheInstanceKeepsItsOwnPrograms)
{
    PresetProbe fresh(false);
    const ProgramTable own = fresh.snapshot();
    fresh.captureTemplateProgram();
    fresh.selectProgram(0);
    EXPECT_TRUE(sameTable(fresh.snapshot(), own));
}

TEST_F(PresetFiles, OversizedOrForeignStoredValuesAreIgnored)
{
    // Larger than any image could be: refused before anything is read.
    {
        std::vector<std::uint8_t> huge(images::kLargestImageSize + 1, 0);
        ASSERT_TRUE(platform::writeBinarySetting("DefaultBank", huge.data(), huge.size()));
    }
    {
        PresetProbe reference(false);
        PresetProbe probe;
        EXPECT_TRUE(sameTable(probe.snapshot(), reference.snapshot()));
        EXPECT_FALSE(probe.presets().loadDefaultBank());
        const std::vector<std::uint8_t> foreign = {'x', 'y', 'z', 'w', 0x38, 0, 0};
        ASSERT_TRUE(platform::writeBinarySetting("MemoA", foreign.data(), foreign.size()));
        EXPECT_FALSE(probe.presets().recallMemoA());
        EXPECT_TRUE(sameTable(probe.snapshot(), reference.snapshot()));
    }
}

TEST_F(PresetFiles, MemoRecallGoesIntoWhateverProgramIsCurrent)
{
    PresetProbe probe;
    probe.selectProgram(2);
    ASSERT_TRUE(probe.presets().storeMemoA());
    const ProgramRecord stored = probe.programAt(2);
    probe.selectProgram(7);
    ASSERT_TRUE(probe.presets().storeMemoB());
    const ProgramRecord storedB = probe.programAt(7);

    probe.selectProgram(11);
    ASSERT_TRUE(probe.presets().recallMemoA());
    EXPECT_EQ(std::memcmp(&probe.programAt(11), &stored, sizeof stored), 0) << "name included";
    EXPECT_EQ(probe.getCurrentProgramIndex(), 11);
    EXPECT_EQ(probe.values[20], stored.values[20]);
    ASSERT_TRUE(probe.presets().recallMemoB());
    EXPECT_EQ(std::memcmp(&probe.programAt(11), &storedB, sizeof storedB), 0);
}

TEST_F(PresetFiles, FileLocationsOutliveTheEditor)
{
    {
        PresetProbe probe;
        ASSERT_TRUE(probe.presets().savePresetToPath((files / "a.tvp").string()));
        ASSERT_TRUE(probe.presets().saveBankToPath((files / "b.tvb").string()));
    }
    PresetProbe next;
    EXPECT_STREQ(next.presets().rememberedDirectory(), files.string().c_str());
    EXPECT_STREQ(next.presets().rememberedPresetFile(), "a.tvp");
    EXPECT_STREQ(next.presets().rememberedBankFile(), "b.tvb");

    // Longer than the 256 characters the editor keeps: cut, never overflowing.
    const std::string longName(400, 'n');
    ASSERT_TRUE(platform::writeTextSetting("CurrBank", longName));
    next.presets().restoreFileLocations();
    EXPECT_EQ(std::string(next.presets().rememberedBankFile()), longName.substr(0, 256));
}

TEST_F(PresetFiles, UserManualFailuresAreReported)
{
    PresetProbe probe;
    testing::internal::CaptureStderr();
    probe.presets().openUserManual();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Could not open user manual\n") << "no path stored";

    ASSERT_TRUE(platform::writeTextSetting("ManualPath", (files / "missing manual.pdf").string()));
    testing::internal::CaptureStderr();
    probe.presets().openUserManual();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Could not open user manual\n");
}
