// File dialogs on Windows: the common Open and Save As dialogs. They are modal to the host's
// window and run their own message loop, so the dialog finishes inside startFileSelector and
// the session reports its result at the frame's first poll.

#include "toolkit/file_selector_backend.h"

#include "platform/windows/wide_text.h"

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace kestro {

namespace {

// Long enough for any path the wide calls accept.
constexpr std::size_t kPathUnits = 32768;

class FinishedSession : public FileSelectorSession {
public:
    FinishedSession(FileSelectorStatus status, std::string path, std::string message)
        : status_(status), path_(std::move(path)), message_(std::move(message))
    {
    }
    FileSelectorStatus poll() override { return status_; }
    const std::string& path() const override { return path_; }
    const std::string& message() const override { return message_; }

private:
    FileSelectorStatus status_;
    std::string path_;
    std::string message_;
};

// "TAV Preset (*.tvp)\0*.tvp\0All files (*.*)\0*.*\0\0": pairs of description and pattern.
std::wstring filterOf(const FileSelectorRequest& request)
{
    std::wstring filter;
    if (!request.extension.empty()) {
        const std::wstring pattern = L"*." + platform::windows::widen(request.extension);
        filter += platform::windows::widen(request.filterDescription) + L" (" + pattern + L")";
        filter.push_back(L'\0');
        filter += pattern;
        filter.push_back(L'\0');
    }
    filter += L"All files (*.*)";
    filter.push_back(L'\0');
    filter += L"*.*";
    filter.push_back(L'\0');
    return filter; // the string's own terminator ends the list
}

} // namespace

std::unique_ptr<FileSelectorSession> startFileSelector(const FileSelectorRequest& request)
{
    const std::wstring title = platform::windows::widen(request.title);
    const std::wstring directory = platform::windows::widen(request.directory);
    const std::wstring extension = platform::windows::widen(request.extension);
    const std::wstring filter = filterOf(request);
    std::wstring file(kPathUnits, L'\0');
    if (request.save) {
        const std::wstring name = platform::windows::widen(request.defaultName);
        name.copy(file.data(), kPathUnits - 1);
    }

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(request.parentWindow);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // A name typed without extension gets the filter's.
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The process's current directory stays the host's.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);

    const BOOL chosen = request.save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (chosen) {
        file.resize(file.find(L'\0'));
        return std::make_unique<FinishedSession>(FileSelectorStatus::Chosen, platform::windows::narrow(file), "");
    }
    const DWORD error = ::CommDlgExtendedError();
    if (error == 0)
        return std::make_unique<FinishedSession>(FileSelectorStatus::Cancelled, "", "");
    return std::make_unique<FinishedSession>(FileSelectorStatus::Unavailable, "",
                                             "The file dialog could not be opened (error " + std::to_string(error) +
                                                 ").");
}

} // namespace kestro
