#pragma once
// Fuzz targets that reach the per-user settings store point it at a directory of their own:
// never the user's settings, and on a memory file system where one exists, as every write
// is synced. scripts/fuzz.sh names its scratch directory (KESTRO_FUZZ_SCRATCH), which it
// removes itself, since libFuzzer may end a run without running destructors; a normal exit
// (the corpus replay) removes the directory here.

#include <cstdlib>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <system_error>

namespace kestro::fuzz {

inline bool useTemporarySettings()
{
    std::string base;
    if (const char* scratch = std::getenv("KESTRO_FUZZ_SCRATCH"))
        base = scratch;
    else
        base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/kestro-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr || ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1) != 0)
        return false;
    static const struct Cleanup {
        std::string path;
        ~Cleanup()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } cleanup{pattern};
    return true;
}

} // namespace kestro::fuzz
