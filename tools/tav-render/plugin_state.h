#pragma once
// The plug-in's state seen from the host side: parameters and programs by name, banks through
// the chunk interface, presets through parameter values and the program name.
// Every operation answers with an empty string on success or a one-line message.

#include "tools/tav-render/plugin_loader.h"
#include "tools/tav-render/state_images.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::render {

// Case-insensitive name, or the index as digits. Empty names (spare parameters) are
// reachable by index only.
std::optional<VstInt32> findParameter(const std::vector<std::string>& names, std::string_view name);
std::string unknownParameterMessage(const std::vector<std::string>& names, std::string_view name);
// A program name wins over reading the text as an index, so a program called "3" is found.
std::optional<VstInt32> findProgram(const std::vector<std::string>& names, std::string_view nameOrIndex);

// The whole state as effGetChunk hands it out; nothing when the plug-in offers none.
std::optional<Bytes> readChunk(LoadedPlugin& plugin);
// Explains why state options need chunks; empty when the plug-in provides them.
std::string requireChunks(LoadedPlugin& plugin);

std::string selectProgram(LoadedPlugin& plugin, std::string_view nameOrIndex);
std::string loadBankFile(LoadedPlugin& plugin, const std::string& path);
std::string loadPresetFile(LoadedPlugin& plugin, const std::string& path);

// The current program as the host sees it (getParameter 0..35 and the program name).
HostProgram currentProgram(LoadedPlugin& plugin);
std::optional<Bytes> currentBankImage(LoadedPlugin& plugin, std::string& error);
Bytes currentPresetImage(LoadedPlugin& plugin);

} // namespace kestro::render
