#pragma once
// Names in messages are quoted so that empty names and names with spaces stay visible.

#include <string>
#include <string_view>

namespace kestro::render {

inline std::string inQuotes(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted.append(text);
    quoted += '\'';
    return quoted;
}

} // namespace kestro::render
