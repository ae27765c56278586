#pragma once
// The platform's file-open and file-save dialogs behind CNewFileSelector. A dialog runs
// while the host's window keeps working: start() returns at once and the frame polls the
// session from its idle until it has a result. A back end whose dialog blocks (Win32
// common dialogs) may finish inside start() and report the result at the first poll.

#include <memory>
#include <string>

namespace kestro {

struct FileSelectorRequest {
    bool save = false;
    std::string title;
    std::string filterDescription; // "TAV Preset"
    std::string extension;         // "tvp", without the dot; empty for all files
    std::string directory;         // where the dialog starts
    std::string defaultName;       // suggested file name (save dialogs)
    void* parentWindow = nullptr;  // the plug-in window's native handle, may be null
};

enum class FileSelectorStatus {
    Running,
    Chosen,      // path() holds the chosen file
    Cancelled,   // the user closed the dialog without choosing
    Unavailable, // no dialog program could be run; message() says why
};

class FileSelectorSession {
public:
    virtual ~FileSelectorSession() = default; // ends a dialog still running
    virtual FileSelectorStatus poll() = 0;
    virtual const std::string& path() const = 0;
    virtual const std::string& message() const = 0;
};

// Starts the platform's dialog; never null (an Unavailable session when nothing can run).
std::unique_ptr<FileSelectorSession> startFileSelector(const FileSelectorRequest& request);

} // namespace kestro
