// Bank images as files and stored defaults hold them, read in both byte-order modes.
#include "fuzz_table.h"

#include <cstddef>
#include <cstdint>

using namespace kestro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ProgramTable initial = fuzz::knownTable();
    static const ProgramRecord templ = fuzz::templateProgram();
    for (bool invert : {false, true}) {
        ProgramTable table = initial;
        const images::ImageLoad load =
            images::loadImage(table, 3, templ, data, size, fuzz::kUniqueId, invert, images::kBankKinds,
                              images::allParameters(), nullptr);
        if (!load.recognized || !load.result.applied)
            fuzz::require(fuzz::sameTable(table, initial), "an unloaded bank changed the programs");
        if (load.recognized && load.kind == images::kKindBank) {
            for (const ProgramRecord& program : table)
                for (float v : program.values)
                    fuzz::require(v >= 0.0f && v <= 1.0f, "bank values repaired into 0..1");
        }
        fuzz::require(fuzz::namesTerminated(table), "names terminated");
    }
    return 0;
}
