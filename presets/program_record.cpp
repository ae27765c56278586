#include "presets/program_record.h"

#include <atomic>
#include <cstring>

namespace kestro {

void applyProgramName(char (&field)[kProgramNameSize], const char* text)
{
    if (text == nullptr)
        return;
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text, ::strnlen(text, kProgramNameMaxChars));
}

void copyProgramName(char* destination, const char (&field)[kProgramNameSize])
{
    const std::size_t length = ::strnlen(field, kProgramNameMaxChars);
    std::memcpy(destination, field, length);
    destination[length] = '\0';
}

void copyProgram(ProgramRecord& to, const ProgramRecord& from)
{
    if (&to == &from)
        return;
    std::memcpy(to.name, from.name, kProgramNameSize);
    for (int i = 0; i < kProgramParameterCount; ++i) {
        const float v = std::atomic_ref<float>(const_cast<float&>(from.values[i])).load(std::memory_order_relaxed);
        std::atomic_ref<float>(to.values[i]).store(v, std::memory_order_relaxed);
    }
}

void copyPrograms(ProgramTable& to, const ProgramTable& from)
{
    for (std::size_t slot = 0; slot < to.size(); ++slot)
        copyProgram(to[slot], from[slot]);
}

} // namespace kestro
