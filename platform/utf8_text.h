#pragma once
// Cutting UTF-8 text to a byte limit without leaving half a character behind.

#include <cstddef>
#include <string_view>

namespace kestro::platform {

// The length of the longest prefix of at most `maxBytes` bytes that ends between characters.
inline std::size_t utf8PrefixLength(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text.size();
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return end;
}

} // namespace kestro::platform
