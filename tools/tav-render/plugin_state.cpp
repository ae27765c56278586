#include "tools/tav-render/plugin_state.h"
#include "tools/tav-render/messages.h"

#include "tools/tav-render/audio_files.h"
#include "tools/tav-render/render_options.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kestro::render {
namespace {

// Far above any bank this plug-in writes (42281 bytes), small enough to never matter.
constexpr std::size_t kStateFileLimit = 4u << 20;

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string joinNames(const std::vector<std::string>& names, bool numbered)
{
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty() && !numbered)
            continue;
        if (!joined.empty())
            joined += ", ";
        joined += numbered ? std::to_string(i) + " " + inQuotes(names[i]) : names[i];
    }
    return joined;
}

std::string handChunkBack(LoadedPlugin& plugin, Bytes& chunk)
{
    const VstIntPtr result = plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    return result == 0 ? std::string() : std::string("the plug-in rejected the state");
}

} // namespace

std::optional<VstInt32> findParameter(const std::vector<std::string>& names, std::string_view name)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && equalNoCase(names[i], name))
            return static_cast<VstInt32>(i);
    if (const std::optional<int> index = parseInteger(name); index && *index >= 0 &&
                                                              *index < static_cast<int>(names.size()))
        return *index;
    return std::nullopt;
}

std::string unknownParameterMessage(const std::vector<std::string>& names, std::string_view name)
{
    return "unknown parameter " + inQuotes(name) + "; valid names: " + joinNames(names, false) +
           " (or an index 0.." + std::to_string(names.empty() ? 0 : names.size() - 1) + ")";
}

std::optional<VstInt32> findProgram(const std::vector<std::string>& names, std::string_view nameOrIndex)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (equalNoCase(names[i], nameOrIndex))
            return static_cast<VstInt32>(i);
    if (const std::optional<int> index = parseInteger(nameOrIndex); index && *index >= 0 &&
                                                                     *index < static_cast<int>(names.size()))
        return *index;
    return std::nullopt;
}

std::optional<Bytes> readChunk(LoadedPlugin& plugin)
{
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return std::nullopt;
    // The pointer stays the plug-in's and is reused by its next call: copy at once.
    const auto* bytes = static_cast<const unsigned char*>(data);
    return Bytes(bytes, bytes + size);
}

std::string requireChunks(LoadedPlugin& plugin)
{
    if ((plugin.effect().flags & effFlagsProgramChunks) != 0 && readChunk(plugin))
        return {};
    return "this build of the plug-in does not hand out its state (effGetChunk returned nothing), so "
           "programs, banks and presets cannot be used yet";
}

std::string selectProgram(LoadedPlugin& plugin, std::string_view nameOrIndex)
{
    const std::vector<std::string> names = plugin.programNames();
    const std::optional<VstInt32> program = findProgram(names, nameOrIndex);
    if (!program)
        return "unknown program " + inQuotes(nameOrIndex) + "; programs: " + joinNames(names, true);
    if (std::string problem = requireChunks(plugin); !problem.empty())
        return problem;

    // The plug-in selects the program its bank header names when it takes the bank back, so
    // rewriting that one field is how a host picks one of the plug-in's own programs.
    std::optional<Bytes> chunk = readChunk(plugin);
    std::string error;
    if (!chunk || !bankImageFromChunk(*chunk, plugin.effect().uniqueID, error) ||
        !setCurrentProgramInChunk(*chunk, *program))
        return "cannot select program " + inQuotes(nameOrIndex) + ": " +
               (error.empty() ? std::string("the plug-in's state is unreadable") : error);
    if (std::string problem = handChunkBack(plugin, *chunk); !problem.empty())
        return "cannot select program " + inQuotes(nameOrIndex) + ": " + problem;
    const std::string now = plugin.text(effGetProgramName);
    if (now != names[static_cast<std::size_t>(*program)])
        return "the plug-in did not switch to program " + inQuotes(nameOrIndex) + " (it reports " + inQuotes(now) + ")";
    return {};
}

std::string loadBankFile(LoadedPlugin& plugin, const std::string& path)
{
    std::string error;
    const std::optional<Bytes> file = readWholeFile(path, kStateFileLimit, error);
    if (!file)
        return "bank: " + error;
    std::optional<Bytes> chunk = chunkFromBankFile(*file, plugin.effect().uniqueID, error);
    if (!chunk)
        return "bank " + inQuotes(path) + " " + error;
    if (std::string problem = requireChunks(plugin); !problem.empty())
        return problem;
    if (std::string problem = handChunkBack(plugin, *chunk); !problem.empty())
        return "bank " + inQuotes(path) + ": the plug-in rejected it";
    return {};
}

std::string loadPresetFile(LoadedPlugin& plugin, const std::string& path)
{
    std::string error;
    const std::optional<Bytes> file = readWholeFile(path, kStateFileLimit, error);
    if (!file)
        return "preset: " + error;
    const std::optional<HostProgram> program =
        applyPresetFile(*file, plugin.effect().uniqueID, currentProgram(plugin), error);
    if (!program)
        return "preset " + inQuotes(path) + " " + error;

    // As the plug-in's own load ends: every value pushed through setParameter, then the name.
    AEffect& effect = plugin.effect();
    const auto count = std::min<std::size_t>(kPresetParameterCount, static_cast<std::size_t>(effect.numParams));
    for (std::size_t index = 0; index < count; ++index)
        effect.setParameter(&effect, static_cast<VstInt32>(index), program->values[index]);
    std::array<char, kVstMaxProgNameLen> name{};
    std::copy_n(program->name.begin(), std::min(program->name.size(), name.size() - 1), name.begin());
    plugin.dispatch(effSetProgramName, 0, 0, name.data());
    return {};
}

HostProgram currentProgram(LoadedPlugin& plugin)
{
    AEffect& effect = plugin.effect();
    HostProgram program;
    program.name = plugin.text(effGetProgramName);
    const auto count = std::min<std::size_t>(kPresetParameterCount, static_cast<std::size_t>(effect.numParams));
    for (std::size_t index = 0; index < count; ++index)
        program.values[index] = effect.getParameter(&effect, static_cast<VstInt32>(index));
    return program;
}

std::optional<Bytes> currentBankImage(LoadedPlugin& plugin, std::string& error)
{
    const std::optional<Bytes> chunk = readChunk(plugin);
    if (!chunk) {
        error = requireChunks(plugin);
        return std::nullopt;
    }
    return bankImageFromChunk(*chunk, plugin.effect().uniqueID, error);
}

Bytes currentPresetImage(LoadedPlugin& plugin)
{
    return buildPresetImage(plugin.effect().uniqueID, currentProgram(plugin));
}

} // namespace kestro::render
