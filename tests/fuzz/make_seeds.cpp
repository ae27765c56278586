// Writes the small starting corpus: one well-formed input per target, from the same
// builders the effect uses. Run by hand when the formats change; its output is committed.
#include "fuzz_table.h"

#include <fstream>
#include <string>
#include <vector>

using namespace kestro;

namespace {

void save(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
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
    std::vector<std::uint8_t> preset(images::kPresetImageSize);
    images::writePresetImage(preset.data(), preset.size(), table[3], fuzz::kUniqueId, all);
    save(root + "/preset_image/preset", preset);
    save(root + "/settings_value/preset", preset);

    // Legacy inputs carry only what follows the start; the first byte picks the byte order.
    std::vector<std::uint8_t> legacyPreset(1 + 24 + 4 * 36, 0);
    for (int p = 0; p < 36; ++p)
        images::writeFloat(legacyPreset.data() + 1 + 24 + 4 * p, 0.25f);
    save(root + "/legacy_preset/preset36", legacyPreset);
    std::vector<std::uint8_t> legacyBank(1 + 32 * (24 + 4 * 4), 0);
    save(root + "/legacy_bank/bank4", legacyBank);
    return 0;
}
