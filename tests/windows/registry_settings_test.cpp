// The per-user settings store as the registry holds it: images as REG_BINARY, texts as
// REG_SZ in UTF-16 with their terminator, all under HKCU\SOFTWARE\TAV-quillmoor\TAVKST1.

#include "windows_test_support.h"

#include "platform/settings_store.h"

#include <gtest/gtest.h>

using namespace kestro;
using namespace kestro::test;

namespace {

class RegistrySettings : public testing::Test {
protected:
    void SetUp() override { clearSettingsStore(); }
    void TearDown() override { clearSettingsStore(); }
};

// "C:\Música\日本\🎹 Bänke" in both encodings.
const std::wstring kWideText = L"C:\\M\u00FAsica\\\u65E5\u672C\\\U0001F3B9 B\u00E4nke";
const std::string kUtf8Text = "C:\\M\xC3\xBAsica\\\xE6\x97\xA5\xE6\x9C\xAC\\\xF0\x9F\x8E\xB9 B\xC3\xA4nke";

} // namespace

TEST_F(RegistrySettings, ImagesAreStoredAsBinaryValuesWithTheirExactBytes)
{
    std::vector<std::uint8_t> image(1361);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(platform::writeBinarySetting(platform::kDefaultPresetValue, image.data(), image.size()));

    const auto stored = readStoreValue(L"DefaultPreset");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored->bytes, image);
    EXPECT_EQ(platform::readBinarySetting(platform::kDefaultPresetValue, image.size()), image);
    EXPECT_FALSE(platform::readBinarySetting(platform::kDefaultPresetValue, image.size() - 1))
        << "a value longer than the caller takes is not read at all";
}

TEST_F(RegistrySettings, TextsAreUtf16StringsWithTheirTerminator)
{
    ASSERT_TRUE(platform::writeTextSetting(platform::kCurrentDirectoryValue, kUtf8Text));
    const auto stored = readStoreValue(L"CurrDir");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->bytes, wideBytes(kWideText, true));
    EXPECT_EQ(platform::readTextSetting(platform::kCurrentDirectoryValue, 256), kUtf8Text);

    // A limit inside the last four-byte character gives the text before it, never half of it.
    const std::size_t beforeKeyboard = kUtf8Text.find("\xF0");
    EXPECT_EQ(platform::readTextSetting(platform::kCurrentDirectoryValue, beforeKeyboard + 2),
              kUtf8Text.substr(0, beforeKeyboard));
}

TEST_F(RegistrySettings, TextsWrittenByOtherToolsAreRead)
{
    // No terminator and a stray odd byte at the end.
    std::vector<std::uint8_t> bytes = wideBytes(L"D:\\Presets", false);
    bytes.push_back(0x41);
    writeStoreValue(L"CurrBank", REG_SZ, bytes.data(), bytes.size());
    EXPECT_EQ(platform::readTextSetting(platform::kCurrentBankValue, 256), "D:\\Presets");

    // An installer may keep the manual's path with an environment variable.
    const std::vector<std::uint8_t> expandable = wideBytes(L"%SystemRoot%\\manual.pdf", true);
    writeStoreValue(L"ManualPath", REG_EXPAND_SZ, expandable.data(), expandable.size());
    const auto manual = platform::readTextSetting(platform::kManualPathValue, 4096);
    ASSERT_TRUE(manual);
    EXPECT_EQ(manual->find('%'), std::string::npos) << *manual;
    EXPECT_NE(manual->find("\\manual.pdf"), std::string::npos) << *manual;

    const DWORD number = 7;
    writeStoreValue(L"CurrPreset", REG_DWORD, &number, sizeof number);
    EXPECT_FALSE(platform::readTextSetting(platform::kCurrentPresetValue, 256)) << "a number is no text";
}

TEST_F(RegistrySettings, RemovingDeletesOnlyThatValue)
{
    EXPECT_TRUE(platform::removeSetting(platform::kDefaultBankValue)) << "no key at all: nothing to remove";
    EXPECT_FALSE(platform::readBinarySetting(platform::kDefaultBankValue, 1 << 20));
    EXPECT_FALSE(platform::readTextSetting(platform::kCurrentDirectoryValue, 256));

    const std::uint8_t bank[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(platform::writeBinarySetting(platform::kDefaultBankValue, bank, sizeof bank));
    ASSERT_TRUE(platform::writeBinarySetting(platform::kDefaultPresetValue, bank, sizeof bank));
    EXPECT_TRUE(platform::removeSetting(platform::kDefaultPresetValue));
    EXPECT_FALSE(readStoreValue(L"DefaultPreset"));
    EXPECT_TRUE(readStoreValue(L"DefaultBank"));
    EXPECT_TRUE(platform::removeSetting(platform::kDefaultPresetValue)) << "already gone";
}
