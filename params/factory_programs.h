// The 32 programs a new instance starts with: 17 named sounds, then 15 neutral "Init"
// copies of "Default". Only the 36 host parameters are part of a program.
#pragma once

#include "params/parameter_table.h"

#include <array>

namespace kestro {

inline constexpr int kProgramNameSize = 24; // 23 characters and the terminating zero
inline constexpr int kNumNamedFactoryPrograms = 17;

struct ProgramData {
    char name[kProgramNameSize]; // zero-filled after the name
    float values[kNumHostParameters];
};

// All 32 slots, in slot order. Constant data built at compile time.
const std::array<ProgramData, kNumPrograms>& factoryPrograms();

// One slot, or nullptr when slot is outside 0..31.
const ProgramData* factoryProgram(int slot);

} // namespace kestro
