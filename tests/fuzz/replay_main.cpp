// Runs every committed input of a fuzz target through its entry function, so the release and
// sanitizer test runs check the whole corpus (and every regression case in it) without
// libFuzzer. An empty or missing corpus is a failure: a replay that read nothing proves
// nothing.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#define KESTRO_FUZZ_ENTRY(name) extern "C" int kestroFuzz_##name(const std::uint8_t*, std::size_t);
#include "fuzz_targets.inc"
#undef KESTRO_FUZZ_ENTRY

namespace {

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

struct Target {
    const char* name;
    FuzzEntry entry;
};

constexpr Target kTargets[] = {
#define KESTRO_FUZZ_ENTRY(name) {#name, kestroFuzz_##name},
#include "fuzz_targets.inc"
#undef KESTRO_FUZZ_ENTRY
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TARGET CORPUS-DIRECTORY\n", argv[0]);
        return 2;
    }
    FuzzEntry entry = nullptr;
    for (const Target& t : kTargets)
        if (std::strcmp(t.name, argv[1]) == 0)
            entry = t.entry;
    if (entry == nullptr) {
        std::fprintf(stderr, "no fuzz target '%s'\n", argv[1]);
        return 2;
    }
    std::error_code ec;
    std::vector<std::filesystem::path> inputs;
    for (const auto& item : std::filesystem::directory_iterator(argv[2], ec))
        if (item.is_regular_file())
            inputs.push_back(item.path());
    if (ec || inputs.empty()) {
        std::fprintf(stderr, "no inputs in '%s'\n", argv[2]);
        return 1;
    }
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        if (!file.eof() && file.fail()) {
            std::fprintf(stderr, "cannot read '%s'\n", path.c_str());
            return 1;
        }
        // A copy of exactly the input's size, so a read past the end is caught.
        std::vector<std::uint8_t> exact(bytes);
        static const std::uint8_t kNothing = 0;
        entry(exact.empty() ? &kNothing : exact.data(), exact.size());
    }
    std::printf("%s: %zu inputs replayed\n", argv[1], inputs.size());
    return 0;
}
