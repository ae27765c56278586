#include "presets/program_record.h"

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

} // namespace kestro
