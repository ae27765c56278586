// The plug-in is loaded as a Windows host loads it: LoadLibraryW with the DLL's full path
// (it sits beside this test program), GetProcAddress for the entry.

#include "support/plugin_library.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#ifndef KESTRO_PLUGIN_FILE_NAME
#error "KESTRO_PLUGIN_FILE_NAME must name the built DLL"
#endif

namespace kestro::test {

namespace {

std::wstring besideThisProgram(const wchar_t* fileName)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return fileName;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + fileName;
}

} // namespace

void* openPluginLibrary(std::string& error)
{
    const std::wstring path = besideThisProgram(KESTRO_PLUGIN_FILE_NAME);
    HMODULE library = ::LoadLibraryW(path.c_str());
    if (library == nullptr)
        error = "LoadLibraryW failed for " + platform::windows::narrow(path) + " with error " +
                std::to_string(::GetLastError());
    return reinterpret_cast<void*>(library);
}

void* findPluginSymbol(void* library, const char* symbol)
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), symbol));
}

} // namespace kestro::test
