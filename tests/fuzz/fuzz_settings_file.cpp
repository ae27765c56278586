// Stored settings values end to end: the bytes go into the per-user store as another
// instance (or a damaged disk) might have left them, and come back through the same file
// reads the start-up restore and the memo recall use. Slow (two files per input); the value
// parser alone is fuzz_settings_value.
#include "fuzz_table.h"

#include "platform/settings_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace kestro;

namespace {

bool pointStoreAtTemporaryDirectory()
{
    char base[] = "/tmp/kestro-fuzz-settings-XXXXXX";
    if (::mkdtemp(base) == nullptr)
        return false;
    return ::setenv("XDG_CONFIG_HOME", base, 1) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = pointStoreAtTemporaryDirectory();
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    if (!ready)
        return 0;

    fuzz::require(platform::writeBinarySetting(platform::kMemoAValue, data, size), "value written");
    const auto stored = platform::readBinarySetting(platform::kMemoAValue, images::kLargestImageSize);
    fuzz::require(stored.has_value() && stored->size() == size, "value read back whole");

    ProgramTable table = initial;
    const images::ImageLoad load = images::loadImage(table, 2, templ, stored->data(), stored->size(),
                                                     fuzz::kUniqueId, false, images::kAnyKind,
                                                     images::allParameters(), nullptr);
    if (!load.recognized || !load.result.applied)
        fuzz::require(fuzz::sameTable(table, initial), "an unloaded value changed the programs");
    fuzz::require(fuzz::namesTerminated(table), "names terminated");

    // The same bytes as a text value: cut at a character boundary, never longer than asked.
    fuzz::require(platform::writeBinarySetting(platform::kCurrentDirectoryValue, data, size), "text written");
    const auto text = platform::readTextSetting(platform::kCurrentDirectoryValue, 256);
    fuzz::require(text.has_value() && text->size() <= 256, "text bounded");
    return 0;
}
