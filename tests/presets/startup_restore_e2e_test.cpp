// A host creating a fresh instance gets the user's stored default bank with the default
// preset over program 0, exactly as the per-user settings hold them.

#include "preset_probe.h"
#include "support/test_host.h"

#include "params/parameter_indices.h"
#include "platform/settings_store.h"
#include "presets/preset_images.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace kestro;
using kestro::test::FreshSettings;
using kestro::test::TestHost;

namespace {

constexpr std::int32_t kUniqueId = 0x54764B31;

ProgramTable storedBank()
{
    ProgramTable table{};
    for (int slot = 0; slot < kProgramCount; ++slot) {
        applyProgramName(table[static_cast<std::size_t>(slot)].name, ("Stored " + std::to_string(slot)).c_str());
        for (int i = 0; i < kProgramParameterCount; ++i)
            table[static_cast<std::size_t>(slot)].values[i] = 0.5f;
        table[static_cast<std::size_t>(slot)].values[kColor] = 0.25f + 0.01f * static_cast<float>(slot);
    }
    return table;
}

std::string programName(TestHost& host, int index)
{
    char text[64] = {};
    host.dispatch(effGetProgramNameIndexed, index, 0, text);
    return text;
}

} // namespace

TEST(StartupRestore, NewInstanceHoldsStoredBankWithStoredPresetOverProgramZero)
{
    FreshSettings settings;
    const ProgramTable bank = storedBank();
    std::vector<std::uint8_t> image(images::kBankImageSize);
    ASSERT_EQ(images::writeBankImage(image.data(), image.size(), bank, 3, kUniqueId, images::allParameters(), nullptr),
              images::kBankImageSize);
    ASSERT_TRUE(platform::writeBinarySetting(platform::kDefaultBankValue, image.data(), image.size()));

    ProgramRecord preset = bank[7];
    applyProgramName(preset.name, "My Default");
    preset.values[kColor] = 0.875f;
    std::vector<std::uint8_t> presetImage(images::kPresetImageSize);
    ASSERT_EQ(images::writePresetImage(presetImage.data(), presetImage.size(), preset, kUniqueId,
                                       images::allParameters()),
              images::kPresetImageSize);
    ASSERT_TRUE(platform::writeBinarySetting(platform::kDefaultPresetValue, presetImage.data(), presetImage.size()));

    {
        TestHost host;
        ASSERT_TRUE(host.create());
        EXPECT_EQ(programName(host, 0), "My Default");
        EXPECT_EQ(programName(host, 1), "Stored 1");
        EXPECT_EQ(programName(host, 31), "Stored 31");
        EXPECT_FLOAT_EQ(host.getParameter(kColor), 0.875f) << "program 0 is applied after the restore";
        char current[64] = {};
        host.dispatch(effGetProgramName, 0, 0, current);
        EXPECT_STREQ(current, "My Default");
        EXPECT_EQ(host.close(), 1);
    }

    // Without the default preset the bank alone is restored.
    ASSERT_TRUE(platform::removeSetting(platform::kDefaultPresetValue));
    TestHost host;
    ASSERT_TRUE(host.create());
    EXPECT_EQ(programName(host, 0), "Stored 0");
    EXPECT_FLOAT_EQ(host.getParameter(kColor), 0.25f);
}

TEST(StartupRestore, NothingStoredGivesTheFactoryPrograms)
{
    FreshSettings settings;
    TestHost host;
    ASSERT_TRUE(host.create());
    EXPECT_EQ(programName(host, 0), "Default");
    EXPECT_EQ(programName(host, 16), "Single Mic");
    EXPECT_EQ(programName(host, 17), "Init");
}
