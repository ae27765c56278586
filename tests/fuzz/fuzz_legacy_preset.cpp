// The older preset layout: the fuzzer's bytes follow a valid five-byte start so every input
// reaches the legacy reader.
#include "fuzz_table.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace kestro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    constexpr int kCurrent = 7;
    // The first byte picks the byte order of the identification word.
    const bool foreign = size > 0 && (data[0] & 1) != 0;
    std::vector<std::uint8_t> bytes(5);
    std::int32_t id = fuzz::kUniqueId;
    if (foreign)
        id = static_cast<std::int32_t>(images::reverseBytes(static_cast<std::uint32_t>(id)));
    images::writeInt(bytes.data(), id);
    bytes[4] = images::kKindLegacyPreset;
    if (size > 1)
        bytes.insert(bytes.end(), data + 1, data + size);
    bytes.shrink_to_fit();

    ProgramTable table = initial;
    const images::ImageLoad load = images::loadImage(table, kCurrent, templ, bytes.data(), bytes.size(),
                                                     fuzz::kUniqueId, false, images::kPresetKinds,
                                                     images::allParameters(), nullptr);
    if (!load.recognized || !load.result.applied)
        fuzz::require(fuzz::sameTable(table, initial), "a rejected legacy preset changed the programs");
    else
        fuzz::require(fuzz::onlySlotChanged(initial, table, kCurrent), "a legacy preset reached another slot");
    fuzz::require(fuzz::namesTerminated(table), "names terminated");
    return 0;
}
