#pragma once
// UTF-8 helpers for drawing and editing text. Malformed bytes decode as U+FFFD, one byte
// at a time, so a bad name never stops the text or reads past its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro::utf8 {

inline constexpr std::uint32_t kReplacement = 0xFFFD;

// Decodes the character at `pos` and moves `pos` past it.
std::uint32_t decode(std::string_view text, std::size_t& pos);
void append(std::string& text, std::uint32_t codePoint);
std::size_t countCharacters(std::string_view text);
// Byte offsets of the neighbouring character boundaries.
std::size_t next(std::string_view text, std::size_t pos);
std::size_t previous(std::string_view text, std::size_t pos);

} // namespace kestro::utf8
