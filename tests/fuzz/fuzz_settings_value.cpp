// A stored settings value as the start-up restore and the memo recall parse it: any kind
// of image, in either byte order, applied to the current program or the whole bank.
#include "fuzz_table.h"

#include <cstddef>
#include <cstdint>

using namespace kestro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    constexpr int kCurrent = 2;
    if (size > images::kLargestImageSize)
        return 0; // the store does not read such a value at all
    ProgramTable table = initial;
    const images::ImageLoad load = images::loadImage(table, kCurrent, templ, data, size, fuzz::kUniqueId, false,
                                                     images::kAnyKind, images::allParameters(), nullptr);
    if (!load.recognized || !load.result.applied)
        fuzz::require(fuzz::sameTable(table, initial), "an unloaded value changed the programs");
    else if (load.kind == images::kKindPreset || load.kind == images::kKindLegacyPreset)
        fuzz::require(fuzz::onlySlotChanged(initial, table, kCurrent), "a stored preset reached another slot");
    fuzz::require(load.result.programToSelect >= -1 && load.result.programToSelect < kProgramCount,
                  "selection in range");
    fuzz::require(fuzz::namesTerminated(table), "names terminated");
    return 0;
}
