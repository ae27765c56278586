#include "presets/preset_images.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace kestro::images {

namespace {

// Host automation may write a value on the audio thread while an image is built or read
// on the UI thread; single values therefore cross through atomic_ref.
float loadValue(const ProgramRecord& program, int index)
{
    return std::atomic_ref<float>(const_cast<float&>(program.values[index])).load(std::memory_order_relaxed);
}

void storeValue(ProgramRecord& program, int index, float value)
{
    std::atomic_ref<float>(program.values[index]).store(value, std::memory_order_relaxed);
}

bool isNormalized(float value)
{
    return value >= 0.0f && value <= 1.0f; // false for NaN too
}

// Names from files may lack their terminating zero; they enter the table by the name rule.
void storeName(ProgramRecord& program, const std::uint8_t* field)
{
    char text[kProgramNameSize + 1] = {};
    std::memcpy(text, field, kProgramNameSize);
    applyProgramName(program.name, text);
}

void printName(std::FILE* diagnostics, const ProgramRecord& program)
{
    char name[kProgramNameSize];
    copyProgramName(name, program.name);
    std::fprintf(diagnostics, "%s\n", name);
}

// Repairs a bank value to 0..1 and reports it the way the load and save paths both do.
float repairValue(float value, int parameter, int slot, const ProgramRecord& program, const char* action,
                  std::FILE* diagnostics)
{
    if (isNormalized(value))
        return value;
    if (diagnostics != nullptr) {
        std::fprintf(diagnostics, "Invalid parameter %d value %f %s of preset %d ", parameter,
                     static_cast<double>(value), action, slot);
        printName(diagnostics, program);
    }
    return value > 1.0f ? 1.0f : 0.0f;
}

std::uint8_t* writeHeader(std::uint8_t* at, std::int32_t uniqueId, std::uint8_t kind, std::int32_t recordCount,
                          std::int32_t currentProgram, std::int32_t recordLength, int parameterCount)
{
    std::memset(at, 0, kHeaderSize);
    writeInt(at + 0, uniqueId);
    at[4] = kind;
    writeInt(at + 5, kImageVersion);
    writeInt(at + 9, parameterCount);
    writeInt(at + 13, recordCount);
    writeInt(at + 17, currentProgram);
    writeInt(at + 21, recordLength);
    return at + kHeaderSize;
}

std::uint8_t* writeNameRecord(std::uint8_t* at, int slot, const ProgramRecord& program)
{
    std::memset(at, 0, kNameRecordSize);
    writeInt(at + 0, kNameRecordType);
    writeInt(at + 4, static_cast<std::int32_t>(kNameRecordSize - kRecordPrefixSize));
    writeInt(at + 8, slot);
    std::memcpy(at + 12, program.name, kProgramNameSize);
    return at + kNameRecordSize;
}

std::uint8_t* writeParameterRecord(std::uint8_t* at, int slot, int parameter, float value)
{
    std::memset(at, 0, kParameterRecordSize);
    writeInt(at + 0, kParameterRecordType);
    writeInt(at + 4, static_cast<std::int32_t>(kParameterRecordSize - kRecordPrefixSize));
    writeInt(at + 8, slot);
    writeInt(at + 12, parameter);
    writeFloat(at + 24, value);
    return at + kParameterRecordSize;
}

std::size_t programImageSize(const ParameterMask& included)
{
    return kNameRecordSize + included.count() * kParameterRecordSize;
}

// One record as the readers see it; `complete` is false when its declared length runs
// past the bytes there are.
struct Record {
    std::int32_t type = 0;
    std::int32_t programIndex = 0;
    const std::uint8_t* payload = nullptr;
    std::size_t payloadSize = 0;
};

class RecordCursor {
public:
    RecordCursor(const std::uint8_t* records, std::size_t size, bool reversed)
        : data_(records), size_(records == nullptr ? 0 : size), reversed_(reversed)
    {
    }

    // False at the end of the bytes or at a record that claims more than there is.
    bool next(Record& record)
    {
        if (size_ - offset_ < kRecordPrefixSize)
            return false;
        const std::uint8_t* at = data_ + offset_;
        const std::int32_t length = readInt(at + 4, reversed_);
        if (length < 0 || static_cast<std::size_t>(length) > size_ - offset_ - kRecordPrefixSize)
            return false;
        record.type = readInt(at, reversed_);
        record.programIndex = readInt(at + 8, reversed_);
        record.payload = at + kRecordPrefixSize;
        record.payloadSize = static_cast<std::size_t>(length);
        offset_ += kRecordPrefixSize + static_cast<std::size_t>(length);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool reversed_;
};

// The parts of a parameter record after its prefix: index at 0, value at 12.
constexpr std::size_t kParameterPayloadNeeded = 16;

bool readParameterRecord(const Record& record, bool reversed, int& parameter, float& value)
{
    if (record.payloadSize < kParameterPayloadNeeded)
        return false;
    parameter = readInt(record.payload, reversed);
    value = readFloat(record.payload + 12, reversed);
    return true;
}

bool carries(const ParameterMask& included, std::int32_t parameter)
{
    return parameter >= 0 && parameter < kProgramParameterCount && included.test(static_cast<std::size_t>(parameter));
}

} // namespace

ParameterMask allParameters()
{
    return ParameterMask{}.set();
}

std::uint32_t reverseBytes(std::uint32_t word)
{
    return (word >> 24) | ((word >> 8) & 0x0000ff00u) | ((word << 8) & 0x00ff0000u) | (word << 24);
}

std::int32_t readInt(const std::uint8_t* at, bool reversed)
{
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    if (reversed)
        word = reverseBytes(word);
    return static_cast<std::int32_t>(word);
}

float readFloat(const std::uint8_t* at, bool reversed)
{
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    if (reversed)
        word = reverseBytes(word);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

void writeInt(std::uint8_t* at, std::int32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

void writeFloat(std::uint8_t* at, float value)
{
    std::memcpy(at, &value, sizeof value);
}

ByteOrder detectByteOrder(const std::uint8_t* data, std::size_t size, std::int32_t uniqueId)
{
    if (data == nullptr || size < 4)
        return ByteOrder::Unknown;
    const std::int32_t word = readInt(data, false);
    if (word == uniqueId)
        return ByteOrder::Native;
    if (static_cast<std::uint32_t>(word) == reverseBytes(static_cast<std::uint32_t>(uniqueId)))
        return ByteOrder::Reversed;
    return ByteOrder::Unknown;
}

bool readHeader(const std::uint8_t* data, std::size_t size, bool reversed, ImageHeader& header)
{
    if (data == nullptr || size < kHeaderSize)
        return false;
    header.uniqueId = readInt(data, reversed);
    header.kind = data[4];
    header.version = readInt(data + 5, reversed);
    header.parameterCount = readInt(data + 9, reversed);
    header.recordCount = readInt(data + 13, reversed);
    header.currentProgram = readInt(data + 17, reversed);
    header.recordLength = readInt(data + 21, reversed);
    return true;
}

std::size_t presetImageSize(const ParameterMask& included)
{
    return kHeaderSize + programImageSize(included);
}

std::size_t bankImageSize(const ParameterMask& included)
{
    return kHeaderSize + kProgramCount * programImageSize(included);
}

std::size_t writeBankImage(std::uint8_t* out, std::size_t capacity, const ProgramTable& table, int currentProgram,
                           std::int32_t uniqueId, const ParameterMask& included, std::FILE* diagnostics)
{
    const std::size_t total = bankImageSize(included);
    if (out == nullptr || capacity < total)
        return 0;
    const auto perProgram = static_cast<std::int32_t>(1 + included.count());
    std::uint8_t* at = writeHeader(out, uniqueId, kKindBank, kProgramCount * perProgram, currentProgram,
                                   static_cast<std::int32_t>(total - kHeaderSize), kProgramParameterCount);
    for (int slot = 0; slot < kProgramCount; ++slot) {
        const ProgramRecord& program = table[static_cast<std::size_t>(slot)];
        at = writeNameRecord(at, slot, program);
        for (int parameter = 0; parameter < kProgramParameterCount; ++parameter) {
            if (!included.test(static_cast<std::size_t>(parameter)))
                continue;
            const float value =
                repairValue(loadValue(program, parameter), parameter, slot, program, "on save", diagnostics);
            at = writeParameterRecord(at, slot, parameter, value);
        }
    }
    return total;
}

std::size_t writePresetImage(std::uint8_t* out, std::size_t capacity, const ProgramRecord& program,
                             std::int32_t uniqueId, const ParameterMask& included)
{
    const std::size_t total = presetImageSize(included);
    if (out == nullptr || capacity < total)
        return 0;
    std::uint8_t* at = writeHeader(out, uniqueId, kKindPreset, static_cast<std::int32_t>(1 + included.count()), 0,
                                   static_cast<std::int32_t>(total - kHeaderSize), kProgramParameterCount);
    at = writeNameRecord(at, 0, program);
    for (int parameter = 0; parameter < kProgramParameterCount; ++parameter) {
        if (included.test(static_cast<std::size_t>(parameter)))
            at = writeParameterRecord(at, 0, parameter, loadValue(program, parameter));
    }
    return total;
}

LoadResult loadBankRecords(ProgramTable& table, const ProgramRecord& templateProgram, const ImageHeader& header,
                           const std::uint8_t* records, std::size_t size, bool reversed,
                           const ParameterMask& included, std::FILE* diagnostics)
{
    LoadResult result;
    if (header.recordCount < 0)
        return result;
    RecordCursor cursor(records, size, reversed);
    Record record;
    for (std::int32_t i = 0; i < header.recordCount && cursor.next(record); ++i) {
        if (record.programIndex < 0 || record.programIndex >= kProgramCount)
            continue;
        const int slot = record.programIndex;
        ProgramRecord& program = table[static_cast<std::size_t>(slot)];
        if (record.type == kNameRecordType) {
            if (record.payloadSize < kProgramNameSize)
                continue;
            copyProgram(program, templateProgram);
            storeName(program, record.payload);
            result.renamedSlots |= 1u << slot;
        } else if (record.type == kParameterRecordType) {
            int parameter = 0;
            float value = 0.0f;
            if (!readParameterRecord(record, reversed, parameter, value) || !carries(included, parameter))
                continue;
            storeValue(program, parameter, repairValue(value, parameter, slot, program, "on load", diagnostics));
        }
    }
    result.applied = true;
    result.programToSelect =
        header.currentProgram >= 0 && header.currentProgram < kProgramCount ? header.currentProgram : 0;
    return result;
}

LoadResult loadPresetRecords(ProgramTable& table, int current, const ProgramRecord& templateProgram,
                             const ImageHeader& header, const std::uint8_t* records, std::size_t size,
                             bool reversed, const ParameterMask& included)
{
    LoadResult result;
    if (current < 0 || current >= kProgramCount || header.recordCount < 0)
        return result; // a corrupt count must not wipe the program the user is working on
    ProgramRecord& program = table[static_cast<std::size_t>(current)];
    ProgramRecord kept;
    copyProgram(kept, program);
    copyProgram(program, templateProgram);
    RecordCursor cursor(records, size, reversed);
    Record record;
    for (std::int32_t i = 0; i < header.recordCount; ++i) {
        if (!cursor.next(record)) {
            // Fewer records than announced: a cut-off image, so none of it is taken.
            copyProgram(program, kept);
            return result;
        }
        if (record.type == kNameRecordType) {
            if (record.payloadSize < kProgramNameSize)
                continue;
            storeName(program, record.payload);
            result.renamedSlots |= 1u << current;
        } else if (record.type == kParameterRecordType) {
            int parameter = 0;
            float value = 0.0f;
            if (!readParameterRecord(record, reversed, parameter, value) || !carries(included, parameter))
                continue;
            if (!isNormalized(value)) {
                copyProgram(program, kept);
                return result;
            }
            storeValue(program, parameter, value);
        }
    }
    result.applied = true;
    result.programToSelect = current;
    result.renamedSlots |= 1u << current;
    return result;
}

LoadResult loadLegacyPreset(ProgramTable& table, int current, const ProgramRecord& templateProgram,
                            const std::uint8_t* data, std::size_t size, bool reversed, int valueCount,
                            const ParameterMask& included)
{
    LoadResult result;
    if (current < 0 || current >= kProgramCount || data == nullptr || valueCount < 0)
        return result;
    const int used = valueCount < kProgramParameterCount ? valueCount : kProgramParameterCount;
    if (size < kProgramNameSize + 4 * static_cast<std::size_t>(used))
        return result;
    ProgramRecord& program = table[static_cast<std::size_t>(current)];
    ProgramRecord kept;
    copyProgram(kept, program);
    copyProgram(program, templateProgram);
    storeName(program, data);
    for (int parameter = 0; parameter < used; ++parameter) {
        if (!included.test(static_cast<std::size_t>(parameter)))
            continue;
        const float value = readFloat(data + kProgramNameSize + 4 * static_cast<std::size_t>(parameter), reversed);
        if (!isNormalized(value)) {
            copyProgram(program, kept);
            return result;
        }
        storeValue(program, parameter, value);
    }
    result.applied = true;
    result.programToSelect = current;
    result.renamedSlots = 1u << current;
    return result;
}

LoadResult loadLegacyBank(ProgramTable& table, const ProgramRecord& templateProgram, const std::uint8_t* data,
                          std::size_t size, bool reversed, int programCount, int valueCount,
                          const ParameterMask& included)
{
    LoadResult result;
    if (data == nullptr || programCount <= 0 || valueCount < 0)
        return result;
    const int programs = programCount < kProgramCount ? programCount : kProgramCount;
    const int used = valueCount < kProgramParameterCount ? valueCount : kProgramParameterCount;
    const std::uint64_t stride = kProgramNameSize + 4 * static_cast<std::uint64_t>(valueCount);
    const std::uint64_t needed =
        stride * static_cast<std::uint64_t>(programs - 1) + kProgramNameSize + 4 * static_cast<std::uint64_t>(used);
    if (needed > size)
        return result;
    ProgramTable kept;
    copyPrograms(kept, table);
    for (int slot = 0; slot < programs; ++slot) {
        const std::uint8_t* at = data + stride * static_cast<std::uint64_t>(slot);
        ProgramRecord& program = table[static_cast<std::size_t>(slot)];
        copyProgram(program, templateProgram);
        storeName(program, at);
        for (int parameter = 0; parameter < used; ++parameter) {
            if (!included.test(static_cast<std::size_t>(parameter)))
                continue;
            const float value = readFloat(at + kProgramNameSize + 4 * static_cast<std::size_t>(parameter), reversed);
            if (!isNormalized(value)) {
                copyPrograms(table, kept);
                return LoadResult{};
            }
            storeValue(program, parameter, value);
        }
        result.renamedSlots |= 1u << slot;
    }
    result.applied = true;
    result.programToSelect = 0;
    return result;
}

ImageLoad loadImage(ProgramTable& table, int current, const ProgramRecord& templateProgram,
                    const std::uint8_t* data, std::size_t size, std::int32_t uniqueId, bool invertOrder,
                    unsigned acceptedKinds, const ParameterMask& included, std::FILE* diagnostics)
{
    ImageLoad load;
    if (data == nullptr || size < kStartSize)
        return load;
    const ByteOrder order = detectByteOrder(data, size, uniqueId);
    if (order == ByteOrder::Unknown)
        return load;
    const bool reversed = (order == ByteOrder::Reversed) != invertOrder;
    load.kind = data[4];
    const bool presets = (acceptedKinds & kPresetKinds) != 0;
    const bool banks = (acceptedKinds & kBankKinds) != 0;

    if ((load.kind == kKindPreset && presets) || (load.kind == kKindBank && banks)) {
        ImageHeader header;
        if (!readHeader(data, size, reversed, header))
            return load;
        std::size_t recordBytes = size - kHeaderSize;
        if (header.recordLength < 0)
            recordBytes = 0;
        else if (static_cast<std::size_t>(header.recordLength) < recordBytes)
            recordBytes = static_cast<std::size_t>(header.recordLength);
        load.recognized = true;
        load.result = load.kind == kKindPreset
                          ? loadPresetRecords(table, current, templateProgram, header, data + kHeaderSize,
                                              recordBytes, reversed, included)
                          : loadBankRecords(table, templateProgram, header, data + kHeaderSize, recordBytes,
                                            reversed, included, diagnostics);
        return load;
    }
    if (load.kind == kKindLegacyPreset && presets) {
        if (size < kStartSize + kProgramNameSize)
            return load;
        const std::size_t values = (size - kStartSize - kProgramNameSize) / 4;
        load.recognized = true;
        load.result = loadLegacyPreset(table, current, templateProgram, data + kStartSize, size - kStartSize,
                                       reversed, static_cast<int>(values > 1024 ? 1024 : values), included);
        return load;
    }
    if (load.kind == kKindLegacyBank && banks) {
        const std::size_t perProgram = (size - kStartSize) / kProgramCount;
        if (perProgram < kProgramNameSize)
            return load;
        const std::size_t values = (perProgram - kProgramNameSize) / 4;
        load.recognized = true;
        load.result = loadLegacyBank(table, templateProgram, data + kStartSize, size - kStartSize, reversed,
                                     kProgramCount, static_cast<int>(values), included);
        return load;
    }
    return load;
}

LoadResult loadChunk(ProgramTable& table, const ProgramRecord& templateProgram, const std::uint8_t* data,
                     std::size_t size, std::int32_t uniqueId, const ParameterMask& included,
                     std::FILE* diagnostics)
{
    if (data == nullptr || size < kChunkPrefixSize)
        return {};
    ByteOrder order = ByteOrder::Unknown;
    {
        const std::int32_t word = readInt(data + 4, false);
        if (word == uniqueId)
            order = ByteOrder::Native;
        else if (static_cast<std::uint32_t>(word) == reverseBytes(static_cast<std::uint32_t>(uniqueId)))
            order = ByteOrder::Reversed;
    }
    if (order == ByteOrder::Unknown)
        return {};
    const bool reversed = order == ByteOrder::Reversed;
    const std::int32_t format = readInt(data, reversed);

    if (format == kChunkFormatBank) {
        ImageHeader header;
        if (!readHeader(data + kChunkPrefixSize, size - kChunkPrefixSize, reversed, header))
            return {};
        std::size_t recordBytes = size - kChunkPrefixSize - kHeaderSize;
        if (header.recordLength < 0)
            recordBytes = 0;
        else if (static_cast<std::size_t>(header.recordLength) < recordBytes)
            recordBytes = static_cast<std::size_t>(header.recordLength);
        LoadResult result = loadBankRecords(table, templateProgram, header, data + kChunkPrefixSize + kHeaderSize,
                                            recordBytes, reversed, included, diagnostics);
        // The host accepted a chunk of ours even when its count was unusable: answer success
        // and leave the programs as they are.
        result.applied = true;
        return result;
    }
    if (format != kChunkFormatLegacy || size < kLegacyChunkHeaderSize)
        return {};

    const std::int32_t count = readInt(data + 8, reversed);
    const std::int32_t currentProgram = readInt(data + 12, reversed);
    if (count <= 0)
        return {};
    const std::uint64_t perProgram = (size - kLegacyChunkHeaderSize) / static_cast<std::uint64_t>(count);
    if (perProgram < kProgramNameSize)
        return {};
    const std::uint64_t values = (perProgram - kProgramNameSize) / 4;
    LoadResult result = loadLegacyBank(table, templateProgram, data + kLegacyChunkHeaderSize,
                                       size - kLegacyChunkHeaderSize, reversed, count,
                                       static_cast<int>(values > 0x7fffffff ? 0x7fffffff : values), included);
    if (result.applied)
        result.programToSelect = currentProgram >= 0 && currentProgram < kProgramCount ? currentProgram : 0;
    return result;
}

std::size_t writeChunk(std::uint8_t* out, std::size_t capacity, const ProgramTable& table, int currentProgram,
                       std::int32_t uniqueId, const ParameterMask& included, std::FILE* diagnostics)
{
    if (out == nullptr || capacity < kChunkPrefixSize)
        return 0;
    std::memset(out, 0, capacity);
    const std::size_t image = writeBankImage(out + kChunkPrefixSize, capacity - kChunkPrefixSize, table,
                                             currentProgram, uniqueId, included, diagnostics);
    if (image == 0)
        return 0;
    writeInt(out, kChunkFormatBank);
    writeInt(out + 4, uniqueId);
    return kChunkPrefixSize + image;
}

} // namespace kestro::images
