#pragma once
// One program of the store, laid out exactly as banks, presets and chunks carry it, so the
// table can be written and read as bytes without conversion.

#include "params/factory_programs.h"

#include <array>
#include <cstddef>

namespace kestro {

// The name field size comes from the factory programs so both layouts stay one layout.
constexpr int kProgramCount = kNumPrograms;
constexpr int kProgramParameterCount = kNumHostParameters; // the host parameters a program stores
constexpr std::size_t kProgramNameMaxChars = kProgramNameSize - 1;

struct ProgramRecord {
    char name[kProgramNameSize];
    float values[kProgramParameterCount];
};

static_assert(sizeof(ProgramRecord) == 168, "program records are stored byte for byte");
static_assert(offsetof(ProgramRecord, values) == 24);
static_assert(sizeof(ProgramRecord) == sizeof(ProgramData), "factory programs copy straight into records");

using ProgramTable = std::array<ProgramRecord, kProgramCount>;
static_assert(sizeof(ProgramTable) == kProgramCount * sizeof(ProgramRecord), "one contiguous block");

// Writes a name the way every writer of a program name must: a short text fills a
// zero-filled field, a long one is cut to 23 characters and a terminating zero, so no stale
// bytes of an earlier name survive in the stored image. A null text leaves the field alone.
void applyProgramName(char (&field)[kProgramNameSize], const char* text);

// Whole-program copies. Host automation and MIDI may write a value of any program on the
// audio thread (global parameters go into all 32) while the user-interface thread copies
// programs to load, restore or keep them, so values cross one by one as relaxed atomics.
void copyProgram(ProgramRecord& to, const ProgramRecord& from);
void copyPrograms(ProgramTable& to, const ProgramTable& from);

// Copies a stored name into a host buffer of kProgramNameSize bytes, terminated even when
// the record came from a file whose name field has no terminating zero.
void copyProgramName(char* destination, const char (&field)[kProgramNameSize]);

} // namespace kestro
