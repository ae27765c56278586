// The common Open and Save As dialogs behind the toolkit's file selector: title and starting
// folder as asked, the chosen path handed back in UTF-8 (also for names in other scripts),
// the extension added to a typed name, and a cancel reported as such.

#include "windows_test_support.h"

#include "platform/windows/wide_text.h"
#include "toolkit/file_selector_backend.h"

#include <gtest/gtest.h>

using namespace kestro;
using namespace kestro::test;

namespace {

// The file name box: a combo box in the newer dialog layout, an edit box in the older one.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

// Types `name` into the dialog's file name box and presses OK (or Cancel for an empty name).
MessageBoxWatcher::Answer typeAndConfirm(const std::wstring& name)
{
    return [name](HWND dialog) {
        if (name.empty()) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        for (int id : {kFileNameCombo, kFileNameEdit})
            if (HWND box = ::GetDlgItem(dialog, id))
                ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

struct Outcome {
    std::unique_ptr<FileSelectorSession> session;
    std::wstring title;
};

Outcome runDialog(const FileSelectorRequest& request, const std::wstring& typed)
{
    MessageBoxWatcher watcher(typeAndConfirm(typed));
    Outcome outcome{startFileSelector(request), {}};
    const auto dialogs = watcher.stop();
    if (!dialogs.empty())
        outcome.title = dialogs.front().caption;
    return outcome;
}

FileSelectorRequest presetRequest(bool save, const std::string& directory)
{
    FileSelectorRequest request;
    request.save = save;
    request.title = save ? "Save preset" : "Load preset";
    request.filterDescription = "TAV Preset";
    request.extension = "tvp";
    request.directory = directory;
    return request;
}

} // namespace

TEST(FileDialog, OpenHandsBackTheChosenFileInUtf8)
{
    TemporaryFolder folder;
    const std::wstring name = L"Orgel \u00C4\u00D6 \u65E5.tvp";
    ::CloseHandle(::CreateFileW((folder.path() + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));

    Outcome chosen = runDialog(presetRequest(false, folder.utf8()), name);
    EXPECT_EQ(chosen.title, L"Load preset");
    ASSERT_EQ(chosen.session->poll(), FileSelectorStatus::Chosen) << chosen.session->message();
    EXPECT_EQ(chosen.session->path(), folder.utf8() + "\\" + platform::windows::narrow(name));

    Outcome cancelled = runDialog(presetRequest(false, folder.utf8()), L"");
    EXPECT_EQ(cancelled.session->poll(), FileSelectorStatus::Cancelled);
    EXPECT_TRUE(cancelled.session->path().empty());
}

TEST(FileDialog, SaveAddsTheExtensionToATypedName)
{
    TemporaryFolder folder;
    FileSelectorRequest request = presetRequest(true, folder.utf8());
    request.defaultName = "Default";
    Outcome chosen = runDialog(request, L"Neu \u2603");
    EXPECT_EQ(chosen.title, L"Save preset");
    ASSERT_EQ(chosen.session->poll(), FileSelectorStatus::Chosen) << chosen.session->message();
    EXPECT_EQ(chosen.session->path(), folder.utf8() + "\\Neu \xE2\x98\x83.tvp");
}
