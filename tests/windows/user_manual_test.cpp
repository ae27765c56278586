// Opening the user manual through the shell's "open" verb, and the message box for each way
// it can fail, as the user sees them.

#include "windows_test_support.h"

#include "editor/cpreset_system_editor.h"
#include "platform/open_document.h"
#include "platform/settings_store.h"
#include "platform/windows/wide_text.h"

#include <gtest/gtest.h>

using namespace kestro;
using namespace kestro::test;

namespace {

// A document type whose "open" runs a program that ends at once.
constexpr const wchar_t* kExtension = L".kestromanual";
constexpr const wchar_t* kProgId = L"KestroTest.Manual";

void setDefault(const std::wstring& key, const std::wstring& value)
{
    HKEY handle = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

class UserManual : public testing::Test {
protected:
    void SetUp() override
    {
        clearSettingsStore();
        setDefault(kExtension, kProgId);
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        setDefault(std::wstring(kProgId) + L"\\shell\\open\\command",
                   L"\"" + std::wstring(system) + L"\\cmd.exe\" /c exit");
    }
    void TearDown() override
    {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
        clearSettingsStore();
    }

    // Creates an empty document in the folder and names it as the installer would.
    std::string document(const wchar_t* name)
    {
        const std::wstring path = folder.path() + L"\\" + name;
        ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        return platform::windows::narrow(path);
    }

    // The boxes the manual button brings up for a stored path (none stored: nullptr).
    std::vector<MessageBoxWatcher::Box> pressManualButton(const std::string* manualPath)
    {
        if (manualPath != nullptr)
            platform::writeTextSetting(platform::kManualPathValue, *manualPath);
        CPresetSystemEditor editor(nullptr);
        MessageBoxWatcher watcher;
        editor.openUserManual();
        return watcher.stop();
    }

    TemporaryFolder folder;
};

} // namespace

TEST_F(UserManual, ShellOutcomes)
{
    EXPECT_EQ(platform::openDocument(document(L"Handbuch \u00DC.kestromanual")), platform::OpenDocumentResult::Opened);
    EXPECT_EQ(platform::openDocument(document(L"Handbuch.unknownkind")), platform::OpenDocumentResult::NoApplication);
    EXPECT_EQ(platform::openDocument(folder.utf8() + "\\missing.pdf"), platform::OpenDocumentResult::Failed);
    EXPECT_EQ(platform::openDocument(""), platform::OpenDocumentResult::Failed);
}

TEST_F(UserManual, MessageBoxForEachFailure)
{
    const std::string opens = document(L"Handbuch \u00DC.kestromanual");
    EXPECT_TRUE(pressManualButton(&opens).empty()) << "an opened manual shows nothing";

    const std::string unknownKind = document(L"Handbuch.unknownkind");
    auto boxes = pressManualButton(&unknownKind);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Could not open manual file");
    EXPECT_EQ(boxes[0].text, L"Make sure Acrobat Reader is installed");

    const std::string missing = folder.utf8() + "\\missing.pdf";
    boxes = pressManualButton(&missing);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"");
    EXPECT_EQ(boxes[0].text, L"Could not open user manual");

    clearSettingsStore();
    boxes = pressManualButton(nullptr);
    ASSERT_EQ(boxes.size(), 1u) << "no path stored at all";
    EXPECT_EQ(boxes[0].text, L"Could not open user manual");
}
