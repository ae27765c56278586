#pragma once
// The plug-in's preset and bank images seen from the host side. The byte format itself is
// the plug-in's own reader and writer (presets/preset_images.h); this adds what a host
// needs around it: bank files wrapped into the chunk the plug-in takes back, the current
// program picked through the chunk's header, presets applied through parameter values,
// and messages that say what is wrong with a file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::render {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kPresetParameterCount = 36;

// A program as a host sees it: the name and the 36 host parameter values.
struct HostProgram {
    std::string name;
    std::array<float, kPresetParameterCount> values{};
};

// The preset image of one program, in native byte order.
Bytes buildPresetImage(std::int32_t uniqueId, const HostProgram& program);

// The program that results from loading a preset file (current or old layout, either byte
// order) over `current`, exactly as the plug-in loads one into its current program, except
// that values the file does not carry keep their current values. Nothing on rejection.
std::optional<HostProgram> applyPresetFile(std::span<const unsigned char> file, std::int32_t uniqueId,
                                           const HostProgram& current, std::string& error);

// A bank file (current or old layout, either byte order) as the chunk that carries it. The
// file is checked with the plug-in's reader first, so a damaged file gets a message instead
// of a silent partial load; the plug-in then reads the chunk itself.
std::optional<Bytes> chunkFromBankFile(std::span<const unsigned char> file, std::int32_t uniqueId,
                                       std::string& error);

// The bank image inside a chunk the plug-in handed out (what a bank file holds).
std::optional<Bytes> bankImageFromChunk(std::span<const unsigned char> chunk, std::int32_t uniqueId,
                                        std::string& error);

// Points a native bank chunk at another program; the plug-in selects the program its header
// names when it takes the chunk back. False when the chunk is not of that layout.
bool setCurrentProgramInChunk(Bytes& chunk, std::int32_t program);

} // namespace kestro::render
