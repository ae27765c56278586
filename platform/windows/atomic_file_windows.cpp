// File access by full path. Paths arrive as UTF-8 and go to the wide calls as UTF-16, so
// names in any script load and save. A write goes to a hidden temporary file beside the
// target and replaces it in one step.

#include "platform/atomic_file.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

namespace kestro::platform {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close()
    {
        if (!valid())
            return true;
        const bool ok = ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

bool writeAll(HANDLE file, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// A new, unique, hidden file beside the target; its name in `temporary`.
FileHandle createTemporaryBeside(const std::wstring& directory, const std::wstring& name, std::wstring& temporary)
{
    const DWORD process = ::GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = directory + L"." + name + L".tmp-" + std::to_wstring(process) + L"-" +
                    std::to_wstring(::GetTickCount() + attempt);
        HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return FileHandle(file);
    }
    return FileHandle(INVALID_HANDLE_VALUE);
}

} // namespace

bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    if (path.empty() || (data == nullptr && size > 0))
        return false;
    const std::wstring target = windows::widen(path);
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::wstring directory = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    const std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return false;

    // A read-only file or a folder by that name is not ours to replace. Windows refuses to
    // move over a read-only file anyway; asking first also holds where that is not enforced.
    const DWORD existing = ::GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;

    std::wstring temporary;
    FileHandle file = createTemporaryBeside(directory, name, temporary);
    if (!file.valid())
        return false;
    bool ok = writeAll(file.get(), data, size) && ::FlushFileBuffers(file.get()) != 0;
    ok = file.close() && ok;
    // The hidden mark only keeps the half-written file out of file dialogs.
    ok = ok && ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
    ok = ok && ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        ::DeleteFileW(temporary.c_str());
    return ok;
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::size_t largest)
{
    if (path.empty())
        return std::nullopt;
    // Directories do not open without backup semantics, devices are not disk files.
    FileHandle file(::CreateFileW(windows::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER length{};
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.get(), &length) ||
        length.QuadPart < 0 || static_cast<std::uint64_t>(length.QuadPart) > largest)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left),
                        &got, nullptr) ||
            got == 0)
            break; // the file shrank under us: what was read is what there is
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

std::string currentDirectory()
{
    const DWORD units = ::GetCurrentDirectoryW(0, nullptr);
    if (units == 0)
        return {};
    std::wstring directory(units, L'\0');
    const DWORD written = ::GetCurrentDirectoryW(units, directory.data());
    if (written == 0 || written >= units)
        return {};
    directory.resize(written);
    return windows::narrow(directory);
}

} // namespace kestro::platform
