// File dialogs on Linux: zenity, else kdialog, started with posix_spawn (never through a
// shell, so no name or path is ever interpreted). The dialog's standard output is read
// through a non-blocking pipe while the frame polls at idle, so the host keeps working.

#include "toolkit/file_selector_backend.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kestro {

namespace {

// The program's full path on PATH, or "" when it is not installed.
std::string findProgram(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + name;
            struct stat info{};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

std::string startPath(const FileSelectorRequest& request)
{
    std::string path = request.directory;
    if (!path.empty() && path.back() != '/')
        path += '/';
    if (request.save)
        path += request.defaultName;
    return path;
}

std::vector<std::string> zenityArguments(const std::string& program, const FileSelectorRequest& request)
{
    std::vector<std::string> args{program, "--file-selection", "--title=" + request.title};
    if (request.save) {
        args.emplace_back("--save");
        args.emplace_back("--confirm-overwrite");
    }
    const std::string start = startPath(request);
    if (!start.empty())
        args.push_back("--filename=" + start);
    if (!request.extension.empty())
        args.push_back("--file-filter=" + request.filterDescription + " (*." + request.extension + ") | *." +
                       request.extension);
    args.emplace_back("--file-filter=All files | *");
    return args;
}

std::vector<std::string> kdialogArguments(const std::string& program, const FileSelectorRequest& request)
{
    std::vector<std::string> args{program, "--title", request.title,
                                  request.save ? "--getsavefilename" : "--getopenfilename"};
    const std::string start = startPath(request);
    args.push_back(start.empty() ? "." : start);
    if (!request.extension.empty())
        args.push_back("*." + request.extension + "|" + request.filterDescription + " (*." + request.extension + ")");
    return args;
}

class SpawnedDialog : public FileSelectorSession {
public:
    explicit SpawnedDialog(const FileSelectorRequest& selection) : request(selection) { start(); }

    ~SpawnedDialog() override
    {
        if (child > 0) {
            ::kill(child, SIGTERM);
            int ended = 0;
            ::waitpid(child, &ended, 0);
        }
        if (output >= 0)
            ::close(output);
    }

    FileSelectorStatus poll() override
    {
        if (status != FileSelectorStatus::Running)
            return status;
        drain();
        int exitStatus = 0;
        const pid_t done = ::waitpid(child, &exitStatus, WNOHANG);
        if (done == 0)
            return status;
        child = -1;
        drain();
        if (done > 0 && WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0)
            finish();
        else
            status = FileSelectorStatus::Cancelled;
        return status;
    }

    const std::string& path() const override { return chosen; }
    const std::string& message() const override { return problem; }

private:
    void start()
    {
        std::vector<std::string> args;
        if (std::string zenity = findProgram("zenity"); !zenity.empty())
            args = zenityArguments(zenity, request);
        else if (std::string kdialog = findProgram("kdialog"); !kdialog.empty())
            args = kdialogArguments(kdialog, request);
        if (args.empty()) {
            fail("No file dialog program was found. Please install zenity or kdialog.");
            return;
        }
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
            fail("The file dialog could not be started.");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        if (spawned != 0) {
            ::close(pipeEnds[0]);
            fail("The file dialog could not be started.");
            return;
        }
        child = pid;
        output = pipeEnds[0];
        ::fcntl(output, F_SETFL, ::fcntl(output, F_GETFL) | O_NONBLOCK);
    }

    void fail(const char* text)
    {
        problem = text;
        status = FileSelectorStatus::Unavailable;
    }

    void drain()
    {
        if (output < 0)
            return;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(output, buffer, sizeof buffer);
            if (got > 0) {
                // A path longer than any file system allows is not a path.
                if (received.size() < 65536)
                    received.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            if (got == 0) {
                ::close(output);
                output = -1;
            }
            return;
        }
    }

    void finish()
    {
        std::string line = received.substr(0, received.find('\n'));
        if (line.empty()) {
            status = FileSelectorStatus::Cancelled;
            return;
        }
        // A saved file gets the type's extension when the user typed a bare name.
        if (request.save && !request.extension.empty()) {
            const std::size_t slash = line.find_last_of('/');
            const std::string name = line.substr(slash == std::string::npos ? 0 : slash + 1);
            if (name.find('.') == std::string::npos)
                line += "." + request.extension;
        }
        chosen = line;
        status = FileSelectorStatus::Chosen;
    }

    FileSelectorRequest request;
    FileSelectorStatus status = FileSelectorStatus::Running;
    pid_t child = -1;
    int output = -1;
    std::string received;
    std::string chosen;
    std::string problem;
};

} // namespace

std::unique_ptr<FileSelectorSession> startFileSelector(const FileSelectorRequest& request)
{
    return std::make_unique<SpawnedDialog>(request);
}

} // namespace kestro
