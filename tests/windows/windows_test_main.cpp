// Every Windows test program starts here. HKEY_CURRENT_USER is redirected, for this process
// and the plug-in it loads, to a fresh key of its own: the tests see a user who never ran
// the plug-in and never touch a developer's real settings, even outside a private wine
// prefix.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <windows.h>

int main(int argc, char** argv)
{
    const std::wstring parent = L"Software\\TAV-quillmoor-tests";
    const std::wstring root =
        parent + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount());
    HKEY redirected = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, root.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &redirected, nullptr) != ERROR_SUCCESS ||
        ::RegOverridePredefKey(HKEY_CURRENT_USER, redirected) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot redirect HKEY_CURRENT_USER for the tests\n");
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(redirected);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, parent.c_str()); // only when no other run still uses it
    return rc;
}
