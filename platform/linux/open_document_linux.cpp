// Hands a document to xdg-open. It is started directly with posix_spawn, never through a
// shell, so no character of the path is ever interpreted.

#include "platform/open_document.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kestro::platform {

namespace {

// xdg-open may keep running as long as the viewer does; such children are collected on
// later calls instead of blocking the host's window.
std::vector<pid_t>& unfinishedChildren()
{
    static std::vector<pid_t> children;
    return children;
}

void collectFinishedChildren()
{
    auto& children = unfinishedChildren();
    for (auto it = children.begin(); it != children.end();) {
        int status = 0;
        if (::waitpid(*it, &status, WNOHANG) != 0)
            it = children.erase(it);
        else
            ++it;
    }
}

constexpr int kXdgOpenToolMissing = 3;
constexpr int kCommandNotFound = 127;

} // namespace

OpenDocumentResult openDocument(const std::string& path)
{
    collectFinishedChildren();
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return OpenDocumentResult::Failed;

    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return OpenDocumentResult::Failed;
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::string program = "xdg-open";
    std::string argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, "xdg-open", &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned == ENOENT)
        return OpenDocumentResult::NoApplication;
    if (spawned != 0)
        return OpenDocumentResult::Failed;

    // xdg-open reports quickly whether it found a handler; wait briefly for that answer.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            if (!WIFEXITED(status))
                return OpenDocumentResult::Failed;
            const int code = WEXITSTATUS(status);
            if (code == 0)
                return OpenDocumentResult::Opened;
            if (code == kXdgOpenToolMissing || code == kCommandNotFound)
                return OpenDocumentResult::NoApplication;
            return OpenDocumentResult::Failed;
        }
        if (done < 0)
            return OpenDocumentResult::Failed;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    unfinishedChildren().push_back(child);
    return OpenDocumentResult::Opened;
}

} // namespace kestro::platform
