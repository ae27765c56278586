#pragma once
// The byte images that carry programs in and out of the effect: preset and bank images
// (files, stored defaults, memos, the host chunk) and the two older layouts that are still
// read. Everything here works on a program table and plain bytes, so the effect, the
// editor and the offline tools share one reader and one writer.
//
// Readers never write into the bytes they are given and never read past `size`; a rejected
// load leaves the table exactly as it was.

#include "presets/program_record.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace kestro::images {

inline constexpr std::uint8_t kKindLegacyPreset = 0x21; // '!'
inline constexpr std::uint8_t kKindPreset = 0x22;       // '"'
inline constexpr std::uint8_t kKindLegacyBank = 0x37;   // '7'
inline constexpr std::uint8_t kKindBank = 0x38;         // '8'

inline constexpr std::int32_t kImageVersion = 0x01000000;
inline constexpr std::int32_t kChunkFormatLegacy = 0x01000000;
inline constexpr std::int32_t kChunkFormatBank = 0x02000000;

inline constexpr std::size_t kStartSize = 5; // identification word and kind byte
inline constexpr std::size_t kHeaderSize = 41;
inline constexpr std::size_t kRecordPrefixSize = 12;
inline constexpr std::size_t kNameRecordSize = 168;
inline constexpr std::size_t kParameterRecordSize = 32;
inline constexpr std::int32_t kNameRecordType = 0;
inline constexpr std::int32_t kParameterRecordType = 1;
inline constexpr std::size_t kPresetImageSize = 1361;
inline constexpr std::size_t kBankImageSize = 42281;
inline constexpr std::size_t kChunkPrefixSize = 8;
inline constexpr std::size_t kChunkSize = kChunkPrefixSize + kBankImageSize; // 42289
inline constexpr std::size_t kLegacyChunkHeaderSize = 32;
// Far above any image this effect or an earlier version ever wrote: a stored value or file
// beyond it is not ours and is refused before anything is allocated for it.
inline constexpr std::size_t kLargestImageSize = std::size_t{1} << 20;

// Set bits are the parameters that images carry; the rest are skipped when writing and
// ignored when reading.
using ParameterMask = std::bitset<kProgramParameterCount>;
ParameterMask allParameters();

enum class ByteOrder { Native, Reversed, Unknown };

std::uint32_t reverseBytes(std::uint32_t word);
std::int32_t readInt(const std::uint8_t* at, bool reversed);
float readFloat(const std::uint8_t* at, bool reversed);
void writeInt(std::uint8_t* at, std::int32_t value);
void writeFloat(std::uint8_t* at, float value);

// From the identification word: the unique ID as written is native, the unique ID with its
// bytes reversed is the other order, anything else (or fewer than 4 bytes) is not ours.
ByteOrder detectByteOrder(const std::uint8_t* data, std::size_t size, std::int32_t uniqueId);

struct ImageHeader {
    std::int32_t uniqueId = 0;
    std::uint8_t kind = 0;
    std::int32_t version = 0;
    std::int32_t parameterCount = 0;
    std::int32_t recordCount = 0;
    std::int32_t currentProgram = 0;
    std::int32_t recordLength = 0;
};

// False when fewer than the 41 header bytes are there.
bool readHeader(const std::uint8_t* data, std::size_t size, bool reversed, ImageHeader& header);

std::size_t presetImageSize(const ParameterMask& included);
std::size_t bankImageSize(const ParameterMask& included);

// Builders write native order and return the bytes written, or 0 when `capacity` is too
// small (nothing is written then). The bank builder repairs values outside 0..1 and says so
// on `diagnostics` (may be null); the preset builder copies values as they are.
std::size_t writeBankImage(std::uint8_t* out, std::size_t capacity, const ProgramTable& table,
                           int currentProgram, std::int32_t uniqueId, const ParameterMask& included,
                           std::FILE* diagnostics);
std::size_t writePresetImage(std::uint8_t* out, std::size_t capacity, const ProgramRecord& program,
                             std::int32_t uniqueId, const ParameterMask& included);

struct LoadResult {
    bool applied = false;     // false: rejected, the table is as it was before the call
    int programToSelect = -1; // the program the caller selects afterwards, -1 for none
    std::uint32_t renamedSlots = 0;
};

// Applies the records that follow a bank header; `size` bounds the records.
LoadResult loadBankRecords(ProgramTable& table, const ProgramRecord& templateProgram, const ImageHeader& header,
                           const std::uint8_t* records, std::size_t size, bool reversed,
                           const ParameterMask& included, std::FILE* diagnostics);
// Applies the records that follow a preset header to slot `current`.
LoadResult loadPresetRecords(ProgramTable& table, int current, const ProgramRecord& templateProgram,
                             const ImageHeader& header, const std::uint8_t* records, std::size_t size,
                             bool reversed, const ParameterMask& included);
// `data` starts at the name, after the 5-byte start.
LoadResult loadLegacyPreset(ProgramTable& table, int current, const ProgramRecord& templateProgram,
                            const std::uint8_t* data, std::size_t size, bool reversed, int valueCount,
                            const ParameterMask& included);
// `data` starts at the first record; records are 24 + 4 * valueCount bytes apart.
LoadResult loadLegacyBank(ProgramTable& table, const ProgramRecord& templateProgram, const std::uint8_t* data,
                          std::size_t size, bool reversed, int programCount, int valueCount,
                          const ParameterMask& included);

// Which kinds a caller takes (bit flags).
enum ImageKinds : unsigned {
    kPresetKinds = 1u, // legacy preset and preset image
    kBankKinds = 2u,   // legacy bank and bank image
    kAnyKind = 3u,
};

struct ImageLoad {
    bool recognized = false; // our identification word, a kind the caller takes, enough bytes
    std::uint8_t kind = 0;
    LoadResult result;
};

// A whole file or stored value: detects the byte order (inverted when `invertOrder`, the
// user's endian-reversed load) and dispatches on the kind byte.
ImageLoad loadImage(ProgramTable& table, int current, const ProgramRecord& templateProgram,
                    const std::uint8_t* data, std::size_t size, std::int32_t uniqueId, bool invertOrder,
                    unsigned acceptedKinds, const ParameterMask& included, std::FILE* diagnostics);

// The host chunk: a bank image behind an 8-byte prefix, or the legacy bank chunk. Not
// applied (the caller answers -1) when the prefix is not ours or the bytes are too few.
LoadResult loadChunk(ProgramTable& table, const ProgramRecord& templateProgram, const std::uint8_t* data,
                     std::size_t size, std::int32_t uniqueId, const ParameterMask& included,
                     std::FILE* diagnostics);

// The chunk the host stores: prefix + bank image; 0 when `capacity` is too small.
std::size_t writeChunk(std::uint8_t* out, std::size_t capacity, const ProgramTable& table, int currentProgram,
                       std::int32_t uniqueId, const ParameterMask& included, std::FILE* diagnostics);

} // namespace kestro::images
