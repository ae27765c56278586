#pragma once
// Whole-file reads and writes for preset files and stored settings. A write goes to a
// temporary file beside the target and is renamed over it, so a crash or a full disk never
// leaves half a file where a good one was.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestro::platform {

bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);

// The whole file, or nothing when it cannot be opened for reading, is not a regular file
// or is longer than `largest` bytes.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::size_t largest);

// The process's current directory, or an empty text.
std::string currentDirectory();

} // namespace kestro::platform
