#pragma once
// The program table every target loads into, and the checks they share: a load that is not
// taken must leave the table byte for byte as it was.

#include "presets/preset_images.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kestro::fuzz {

inline constexpr std::int32_t kUniqueId = ('T' << 24) | ('v' << 16) | ('K' << 8) | '1';

inline ProgramTable knownTable()
{
    ProgramTable table{};
    for (int slot = 0; slot < kProgramCount; ++slot) {
        char name[32];
        std::snprintf(name, sizeof name, "Slot %d", slot);
        applyProgramName(table[static_cast<std::size_t>(slot)].name, name);
        for (int p = 0; p < kProgramParameterCount; ++p)
            table[static_cast<std::size_t>(slot)].values[p] = static_cast<float>((slot + p) % 8) / 8.0f;
    }
    return table;
}

inline ProgramRecord templateProgram()
{
    ProgramRecord program{};
    applyProgramName(program.name, "Template");
    for (float& v : program.values)
        v = 0.5f;
    return program;
}

inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

inline bool sameTable(const ProgramTable& a, const ProgramTable& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(ProgramTable)) == 0;
}

// Every slot other than `slot` unchanged.
inline bool onlySlotChanged(const ProgramTable& before, const ProgramTable& after, int slot)
{
    for (int i = 0; i < kProgramCount; ++i) {
        if (i != slot && std::memcmp(&before[static_cast<std::size_t>(i)], &after[static_cast<std::size_t>(i)],
                                     sizeof(ProgramRecord)) != 0)
            return false;
    }
    return true;
}

// Every name in the table still terminated: hosts copy them with string functions.
inline bool namesTerminated(const ProgramTable& table)
{
    for (const ProgramRecord& program : table)
        if (program.name[kProgramNameSize - 1] != '\0')
            return false;
    return true;
}

} // namespace kestro::fuzz
