#pragma once
// A file-open or file-save dialog of the platform, run without blocking the host: run()
// starts it and returns; the frame polls it at idle and the callback receives the chosen
// path (or null when the user cancelled). Where no dialog program exists the user gets a
// message box saying so, and the callback receives null.
//
// The selector belongs to its frame while it runs: it is released after its callback, or
// when the frame closes (a dialog still open is then ended and the callback not called).

#include "toolkit/file_selector_backend.h"

#include <functional>
#include <memory>
#include <string>

namespace kestro {

class CFrame;

struct CFileExtension {
    std::string description; // "TAV Preset"
    std::string extension;   // "tvp"
};

class CNewFileSelector {
public:
    enum Style { kSelectFile, kSelectSaveFile };
    using Callback = std::function<void(CNewFileSelector* selector, const char* path)>;

    CNewFileSelector(CFrame* frame, Style style);
    ~CNewFileSelector();

    CNewFileSelector(const CNewFileSelector&) = delete;
    CNewFileSelector& operator=(const CNewFileSelector&) = delete;

    void setTitle(const char* text) { request.title = text != nullptr ? text : ""; }
    void setFileExtension(const CFileExtension& type)
    {
        request.filterDescription = type.description;
        request.extension = type.extension;
    }
    void setInitialDirectory(const char* directory) { request.directory = directory != nullptr ? directory : ""; }
    void setDefaultSaveName(const char* name) { request.defaultName = name != nullptr ? name : ""; }
    const FileSelectorRequest& getRequest() const { return request; }

    // Starts the dialog and hands the selector to the frame, which deletes it after the
    // callback. False when there is no frame or a dialog of this frame is already open;
    // the caller then still owns the selector.
    bool run(Callback callback);
    bool isRunning() const { return session != nullptr; }
    // The chosen file after a successful run ("" otherwise).
    const char* getSelectedFile() const { return chosen.c_str(); }

    // Called by the frame at idle; true when the selector has finished (the frame then
    // releases it).
    bool poll();

private:
    CFrame* frame;
    FileSelectorRequest request;
    std::unique_ptr<FileSelectorSession> session;
    Callback done;
    std::string chosen;
};

} // namespace kestro
