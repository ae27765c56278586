// Preset images: whatever they hold, only the current program may change.
#include "fuzz_table.h"

#include <cstddef>
#include <cstdint>

using namespace kestro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    constexpr int kCurrent = 5;
    for (bool invert : {false, true}) {
        ProgramTable table = initial;
        const images::ImageLoad load =
            images::loadImage(table, kCurrent, templ, data, size, fuzz::kUniqueId, invert, images::kPresetKinds,
                              images::allParameters(), nullptr);
        if (!load.recognized || !load.result.applied)
            fuzz::require(fuzz::sameTable(table, initial), "a rejected preset changed the programs");
        else
            fuzz::require(fuzz::onlySlotChanged(initial, table, kCurrent), "a preset reached another slot");
        fuzz::require(fuzz::namesTerminated(table), "names terminated");
    }
    return 0;
}
