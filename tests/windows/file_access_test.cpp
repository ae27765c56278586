// Files by full path: names in any script save and load, a save replaces the old file in one
// step and leaves nothing beside it, and what cannot be written or read is refused.

#include "windows_test_support.h"

#include "host/audio_effect.h"
#include "editor/cpreset_system_editor.h"
#include "platform/atomic_file.h"
#include "platform/windows/wide_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace kestro;
using namespace kestro::test;

namespace {

// "Préset ☃ 🎹.tvp"
const std::wstring kWideName = L"Pr\u00E9set \u2603 \U0001F3B9.tvp";

std::vector<std::uint8_t> bytesOf(const char* text)
{
    return {text, text + std::strlen(text)};
}

} // namespace

TEST(FileAccess, NonAsciiNamesSaveReplaceAndLoad)
{
    TemporaryFolder folder;
    const std::string path = folder.utf8() + "\\" + platform::windows::narrow(kWideName);
    const auto first = bytesOf("first version");
    ASSERT_TRUE(platform::writeFileAtomically(path, first.data(), first.size()));
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{kWideName}) << "the name as the file system shows it";
    EXPECT_EQ(platform::readWholeFile(path, 1024), first);

    const auto second = bytesOf("the second, longer version");
    ASSERT_TRUE(platform::writeFileAtomically(path, second.data(), second.size()));
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{kWideName}) << "no temporary file stays behind";
    EXPECT_EQ(platform::readWholeFile(path, 1024), second);

    // Forward slashes name the same file.
    std::string forward = path;
    for (char& c : forward)
        c = c == '\\' ? '/' : c;
    EXPECT_EQ(platform::readWholeFile(forward, 1024), second);
}

TEST(FileAccess, RefusesWhatCannotBeWrittenOrRead)
{
    TemporaryFolder folder;
    const std::wstring wideTarget = folder.path() + L"\\" + kWideName;
    const std::string target = platform::windows::narrow(wideTarget);
    const auto kept = bytesOf("kept");
    ASSERT_TRUE(platform::writeFileAtomically(target, kept.data(), kept.size()));
    ASSERT_TRUE(::SetFileAttributesW(wideTarget.c_str(), FILE_ATTRIBUTE_READONLY));

    const auto other = bytesOf("other");
    EXPECT_FALSE(platform::writeFileAtomically(target, other.data(), other.size()));
    EXPECT_EQ(platform::readWholeFile(target, 1024), kept) << "a read-only file still loads and stays as it was";
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{kWideName});

    EXPECT_FALSE(platform::readWholeFile(target, kept.size() - 1)) << "longer than the caller takes";
    EXPECT_FALSE(platform::readWholeFile(folder.utf8(), 1024)) << "a folder is no file";
    EXPECT_FALSE(platform::readWholeFile(folder.utf8() + "\\missing.tvp", 1024));
    EXPECT_FALSE(platform::writeFileAtomically(folder.utf8() + "\\no such folder\\x.tvp", kept.data(), kept.size()));
}

TEST(FileAccess, CurrentDirectoryComesBackAsUtf8)
{
    TemporaryFolder folder;
    wchar_t previous[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH + 1, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));
    const std::string current = platform::currentDirectory();
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(current, folder.utf8());
}

// The preset system's own transfers through these paths: the bank comes back, and the
// folder and file name are remembered as UTF-8 for the next dialog.
TEST(FileAccess, BankSavedAndLoadedUnderANonAsciiPath)
{
    clearSettingsStore();
    TemporaryFolder folder;
    std::unique_ptr<AudioEffect> effect(createEffectInstance(nullptr));
    ASSERT_TRUE(effect);
    auto* presets = dynamic_cast<CPresetSystemEditor*>(effect->getEditor());
    ASSERT_NE(presets, nullptr);

    char name[32] = "Saved \xC3\xA9";
    effect->dispatcher(effSetProgramName, 0, 0, name, 0.0f);
    const std::string fileName = "B\xC3\xA4nk \xE2\x98\x83.tvb";
    const std::string path = folder.utf8() + "\\" + fileName;
    ASSERT_TRUE(presets->saveBankToPath(path));
    EXPECT_STREQ(presets->rememberedDirectory(), folder.utf8().c_str());
    EXPECT_STREQ(presets->rememberedBankFile(), fileName.c_str());

    char other[32] = "Changed";
    effect->dispatcher(effSetProgramName, 0, 0, other, 0.0f);
    ASSERT_TRUE(presets->loadBankFromPath(path, false));
    char loaded[32] = {};
    effect->dispatcher(effGetProgramName, 0, 0, loaded, 0.0f);
    EXPECT_STREQ(loaded, name);
    effect.reset();
    clearSettingsStore();
}
