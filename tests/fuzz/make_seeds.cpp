// Writes the small starting corpus: one well-formed input per target, from the same
// builders the effect uses. Run by hand when the formats change; its output is committed.
#include "fuzz_table.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace kestro;

namespace {

void save(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The first two programs of a bank, header counts to match: a small seed with every
// record kind that the fuzzer can grow from.
std::vector<std::uint8_t> shortBank(std::vector<std::uint8_t> bytes, std::size_t header)
{
    constexpr std::size_t kProgramBytes = images::kNameRecordSize + 36 * images::kParameterRecordSize;
    bytes.resize(header + images::kHeaderSize + 2 * kProgramBytes);
    images::writeInt(bytes.data() + header + 13, 2 * 37);
    images::writeInt(bytes.data() + header + 21, static_cast<std::int32_t>(2 * kProgramBytes));
    return bytes;
}

// Host sequences, in the fuzzer's own call encoding (fuzz_host_sequence.cpp): a first
// byte for the host's pin answers, then one call per step byte.
enum Step : std::uint8_t {
    kAnyOpcode = 0, kSetParameter = 1, kSetAnyParameter = 3, kProcessFloat = 4, kProcessDouble = 5,
    kRestart = 6, kDamagedChunk = 7, kCheckChunk = 8, kMidi = 9, kSpeakers = 10, kNames = 11
};

void blocks(std::vector<std::uint8_t>& s, Step precision, int count, int frames, std::uint8_t shape = 0)
{
    for (int i = 0; i < count; ++i)
        s.insert(s.end(), {precision, static_cast<std::uint8_t>(frames >> 8), static_cast<std::uint8_t>(frames),
                           shape});
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> hostSequences()
{
    // Resume at 44.1 kHz (restart: rate from the list, resume).
    const std::vector<std::uint8_t> start{0, kRestart, 1, 0};
    std::vector<std::uint8_t> play = start;
    blocks(play, kProcessFloat, 20, 512);
    play.insert(play.end(), {kSetParameter, 2, 100, 255}); // lever fast
    blocks(play, kProcessFloat, 16, 512, 1);
    play.insert(play.end(), {kCheckChunk, kMidi, 2, 1, 0, 0x20, 100, 1, 0, 0x10, 127, 1, kNames, 5});
    blocks(play, kProcessDouble, 10, 256, 4);

    std::vector<std::uint8_t> rates = start;
    for (std::uint8_t pick : {3, 5, 7, 8, 9}) {
        rates.insert(rates.end(), {kRestart, 3, pick, 0, 0, 0x01, 0x00});
        blocks(rates, kProcessFloat, 3, 1000 + 7 * pick, 8);
    }

    std::vector<std::uint8_t> automation = start;
    for (std::uint8_t index = 0; index < 36; ++index) {
        automation.insert(automation.end(), {kSetParameter, index, 100, static_cast<std::uint8_t>(index * 7)});
        blocks(automation, index % 2 ? kProcessDouble : kProcessFloat, 1, 333, 16);
    }
    automation.insert(automation.end(), {kSetParameter, 20, 0, kSetAnyParameter, 0, 0, 0, 9, 3, kCheckChunk});
    blocks(automation, kProcessFloat, 2, 4096);

    std::vector<std::uint8_t> chunks = start;
    chunks.insert(chunks.end(), {kDamagedChunk, 2, 0, 0, 0, 60, 1, 0, 0, 0, 5, 9, 0});
    blocks(chunks, kProcessFloat, 4, 512);
    chunks.insert(chunks.end(), {kDamagedChunk, 1, 0, 0, 0, 4, 0x42, 0, kSpeakers, 1, 2, kAnyOpcode, 45, 0, 0, 0,
                                 0, 0, 0, 0, 0, 0x80});
    blocks(chunks, kProcessFloat, 2, 0);
    return {{"play", play}, {"rates", rates}, {"automation", automation}, {"chunks", chunks}};
}

} // namespace

int main(int argc, char** argv)
{
    const std::string root = argc > 1 ? argv[1] : "corpus";
    const ProgramTable table = fuzz::knownTable();
    const auto all = images::allParameters();

    std::vector<std::uint8_t> chunk(images::kChunkSize);
    images::writeChunk(chunk.data(), chunk.size(), table, 4, fuzz::kUniqueId, all, nullptr);
    save(root + "/chunk/bank_chunk", shortBank(chunk, 8));
    std::vector<std::uint8_t> legacyChunk(32 + 2 * (24 + 8), 0);
    images::writeInt(legacyChunk.data(), images::kChunkFormatLegacy);
    images::writeInt(legacyChunk.data() + 4, fuzz::kUniqueId);
    images::writeInt(legacyChunk.data() + 8, 2);
    images::writeInt(legacyChunk.data() + 12, 1);
    save(root + "/chunk/legacy_chunk", legacyChunk);

    std::vector<std::uint8_t> bank(images::kBankImageSize);
    images::writeBankImage(bank.data(), bank.size(), table, 1, fuzz::kUniqueId, all, nullptr);
    save(root + "/bank_image/bank", shortBank(bank, 0));
    save(root + "/settings_value/bank", shortBank(bank, 0));
    std::vector<std::uint8_t> preset(images::kPresetImageSize);
    images::writePresetImage(preset.data(), preset.size(), table[3], fuzz::kUniqueId, all);
    save(root + "/preset_image/preset", preset);
    save(root + "/settings_value/preset", preset);
    save(root + "/settings_file/preset", preset);

    // Legacy inputs carry only what follows the start; the first byte picks the byte order.
    std::vector<std::uint8_t> legacyPreset(1 + 24 + 4 * 36, 0);
    for (int p = 0; p < 36; ++p)
        images::writeFloat(legacyPreset.data() + 1 + 24 + 4 * p, 0.25f);
    save(root + "/legacy_preset/preset36", legacyPreset);
    std::vector<std::uint8_t> legacyBank(1 + 32 * (24 + 4 * 4), 0);
    save(root + "/legacy_bank/bank4", legacyBank);

    for (const auto& [name, bytes] : hostSequences())
        save(root + "/host_sequence/" + name, bytes);
    return 0;
}
