// The host's chunk: any bytes a host (or a damaged project file) hands to setChunk.
#include "fuzz_table.h"

#include <cstddef>
#include <cstdint>

using namespace kestro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    ProgramTable table = initial;
    const images::LoadResult result =
        images::loadChunk(table, templ, data, size, fuzz::kUniqueId, images::allParameters(), nullptr);
    if (!result.applied)
        fuzz::require(fuzz::sameTable(table, initial), "a rejected chunk changed the programs");
    fuzz::require(result.programToSelect >= -1 && result.programToSelect < kProgramCount, "selection in range");
    fuzz::require(fuzz::namesTerminated(table), "names terminated");
    return 0;
}
