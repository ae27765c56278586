// The older bank layout, reached with a valid five-byte start.
#include "fuzz_table.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace kestro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    const bool foreign = size > 0 && (data[0] & 1) != 0;
    std::vector<std::uint8_t> bytes(5);
    std::int32_t id = fuzz::kUniqueId;
    if (foreign)
        id = static_cast<std::int32_t>(images::reverseBytes(static_cast<std::uint32_t>(id)));
    images::writeInt(bytes.data(), id);
    bytes[4] = images::kKindLegacyBank;
    if (size > 1)
        bytes.insert(bytes.end(), data + 1, data + size);
    bytes.shrink_to_fit();

    ProgramTable table = initial;
    const images::ImageLoad load = images::loadImage(table, 0, templ, bytes.data(), bytes.size(),
                                                     fuzz::kUniqueId, false, images::kBankKinds,
                                                     images::allParameters(), nullptr);
    if (!load.recognized || !load.result.applied)
        fuzz::require(fuzz::sameTable(table, initial), "a rejected legacy bank changed the programs");
    else
        for (const ProgramRecord& program : table)
            for (float v : program.values)
                fuzz::require(v >= 0.0f && v <= 1.0f, "legacy bank values in 0..1");
    fuzz::require(fuzz::namesTerminated(table), "names terminated");
    return 0;
}
