// Every test program starts here: the per-user settings store must never touch the
// developer's real configuration, so XDG_CONFIG_HOME (and XDG_CONFIG_DIRS) point at a fresh
// directory. Scratch files go there too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::string base = (std::filesystem::temp_directory_path() / "kestro-test-XXXXXX").string();
    if (::mkdtemp(base.data()) != nullptr) {
        ::setenv("XDG_CONFIG_HOME", base.c_str(), 1);
        // Nor values a system-wide install provides (the store falls back to these).
        ::setenv("XDG_CONFIG_DIRS", (base + "/system").c_str(), 1);
        // CTest runs the tests of one program as parallel processes: a fixed name under
        // TempDir() would be shared between them, so each process gets a folder of its own.
        const std::string scratch = base + "/scratch";
        std::filesystem::create_directory(scratch);
        ::setenv("TEST_TMPDIR", scratch.c_str(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    return rc;
}
