#include "tools/tav-render/state_images.h"

#include "presets/preset_images.h"
#include "presets/program_record.h"

#include <algorithm>
#include <cstring>

namespace kestro::render {
namespace {

static_assert(kPresetParameterCount == static_cast<std::size_t>(kProgramParameterCount));

constexpr std::size_t kCurrentProgramOffset = 17; // within the image header

// Why bytes are not an image of a kind the caller takes; empty when they are.
std::string describeStart(std::span<const unsigned char> data, std::int32_t uniqueId, unsigned wantedKinds)
{
    if (data.size() < images::kStartSize)
        return "is too short to be a TAV Kestro file";
    if (images::detectByteOrder(data.data(), data.size(), uniqueId) == images::ByteOrder::Unknown)
        return "is not a TAV Kestro file (its identification word does not match the plug-in's)";
    const unsigned char kind = data[4];
    const bool preset = kind == images::kKindPreset || kind == images::kKindLegacyPreset;
    const bool bank = kind == images::kKindBank || kind == images::kKindLegacyBank;
    if (!preset && !bank)
        return "is of an unknown kind";
    if (preset && (wantedKinds & images::kPresetKinds) == 0)
        return "is a preset file, not a bank (use --preset)";
    if (bank && (wantedKinds & images::kBankKinds) == 0)
        return "is a bank file, not a preset (use --bank)";
    // The plug-in takes what there is of a cut-off image; a file on disk that is shorter
    // than its own header says was damaged in transit, and the user should hear of it.
    if (kind == images::kKindPreset || kind == images::kKindBank) {
        const bool reversed =
            images::detectByteOrder(data.data(), data.size(), uniqueId) == images::ByteOrder::Reversed;
        images::ImageHeader header;
        if (!images::readHeader(data.data(), data.size(), reversed, header) || header.recordLength < 0 ||
            static_cast<std::size_t>(header.recordLength) > data.size() - images::kHeaderSize)
            return "is cut short (it holds fewer bytes than its header announces)";
    }
    return {};
}

ProgramRecord toRecord(const HostProgram& program)
{
    ProgramRecord record{};
    applyProgramName(record.name, program.name.c_str());
    std::copy(program.values.begin(), program.values.end(), record.values);
    return record;
}

HostProgram fromRecord(const ProgramRecord& record)
{
    HostProgram program;
    char name[kProgramNameSize];
    copyProgramName(name, record.name);
    program.name = name;
    std::copy(std::begin(record.values), std::end(record.values), program.values.begin());
    return program;
}

void putWord(Bytes& bytes, std::size_t offset, std::uint32_t word, bool reversed)
{
    if (reversed)
        word = images::reverseBytes(word);
    std::memcpy(bytes.data() + offset, &word, sizeof word);
}

} // namespace

Bytes buildPresetImage(std::int32_t uniqueId, const HostProgram& program)
{
    Bytes image(images::kPresetImageSize);
    const std::size_t written =
        images::writePresetImage(image.data(), image.size(), toRecord(program), uniqueId, images::allParameters());
    image.resize(written);
    return image;
}

std::optional<HostProgram> applyPresetFile(std::span<const unsigned char> file, std::int32_t uniqueId,
                                           const HostProgram& current, std::string& error)
{
    error = describeStart(file, uniqueId, images::kPresetKinds);
    if (!error.empty())
        return std::nullopt;
    // The plug-in starts a preset load from its template program, which a host cannot see;
    // the current program is the closest a host can offer, and the same for a full preset.
    const ProgramRecord base = toRecord(current);
    ProgramTable table{};
    table[0] = base;
    const images::ImageLoad load = images::loadImage(table, 0, base, file.data(), file.size(), uniqueId, false,
                                                     images::kPresetKinds, images::allParameters(), nullptr);
    if (!load.recognized) {
        error = "is cut short";
        return std::nullopt;
    }
    if (!load.result.applied) {
        error = "was rejected: it is cut short or holds a value outside 0..1";
        return std::nullopt;
    }
    return fromRecord(table[0]);
}

std::optional<Bytes> chunkFromBankFile(std::span<const unsigned char> file, std::int32_t uniqueId,
                                       std::string& error)
{
    error = describeStart(file, uniqueId, images::kBankKinds);
    if (!error.empty())
        return std::nullopt;
    ProgramTable scratch{};
    const ProgramRecord blank{};
    const images::ImageLoad check = images::loadImage(scratch, 0, blank, file.data(), file.size(), uniqueId, false,
                                                      images::kBankKinds, images::allParameters(), nullptr);
    if (!check.recognized || !check.result.applied) {
        error = check.recognized ? "is damaged (a count or a value the plug-in would reject)" : "is cut short";
        return std::nullopt;
    }

    // The chunk's own header is written in the file's byte order, so the plug-in reads the
    // foreign file exactly as it reads one from disk.
    const bool reversed =
        images::detectByteOrder(file.data(), file.size(), uniqueId) == images::ByteOrder::Reversed;
    if (file[4] == images::kKindBank) {
        Bytes chunk(images::kChunkPrefixSize + file.size());
        putWord(chunk, 0, static_cast<std::uint32_t>(images::kChunkFormatBank), reversed);
        std::memcpy(chunk.data() + 4, file.data(), 4);
        std::memcpy(chunk.data() + images::kChunkPrefixSize, file.data(), file.size());
        return chunk;
    }
    // The old bank layout travels in the old chunk: count 32, program 0 current (a bank file
    // load always ends on program 0), then the file's records as they are.
    const std::size_t records = file.size() - images::kStartSize;
    Bytes chunk(images::kLegacyChunkHeaderSize + records, 0);
    putWord(chunk, 0, static_cast<std::uint32_t>(images::kChunkFormatLegacy), reversed);
    std::memcpy(chunk.data() + 4, file.data(), 4);
    putWord(chunk, 8, static_cast<std::uint32_t>(kProgramCount), reversed);
    putWord(chunk, 12, 0, reversed);
    std::memcpy(chunk.data() + images::kLegacyChunkHeaderSize, file.data() + images::kStartSize, records);
    return chunk;
}

std::optional<Bytes> bankImageFromChunk(std::span<const unsigned char> chunk, std::int32_t uniqueId,
                                        std::string& error)
{
    const std::size_t prefix = images::kChunkPrefixSize;
    if (chunk.size() < prefix + images::kHeaderSize || images::readInt(chunk.data(), false) != images::kChunkFormatBank ||
        images::readInt(chunk.data() + 4, false) != uniqueId ||
        images::detectByteOrder(chunk.data() + prefix, chunk.size() - prefix, uniqueId) != images::ByteOrder::Native ||
        chunk[prefix + 4] != images::kKindBank) {
        error = "the plug-in's state is not in the bank layout tav-render knows";
        return std::nullopt;
    }
    return Bytes(chunk.begin() + static_cast<std::ptrdiff_t>(prefix), chunk.end());
}

bool setCurrentProgramInChunk(Bytes& chunk, std::int32_t program)
{
    if (chunk.size() < images::kChunkPrefixSize + images::kHeaderSize)
        return false;
    std::string ignored;
    if (!bankImageFromChunk(chunk, images::readInt(chunk.data() + 4, false), ignored))
        return false;
    images::writeInt(chunk.data() + images::kChunkPrefixSize + kCurrentProgramOffset, program);
    return true;
}

} // namespace kestro::render
