// The factory bank file shipped with the plug-in: the bank save of a fresh instance, byte for
// byte, and a bank that gives every factory program back when a host loads it.

#include "editor/cpreset_system_editor.h"
#include "engine/rotary_effect.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kestro {
namespace {

std::vector<std::uint8_t> readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FactoryBank, IsWhatAFreshInstanceSavesAndLoadsAsTheFactoryPrograms)
{
    const std::vector<std::uint8_t> file = readFile(KESTRO_FACTORY_BANK_PATH);
    ASSERT_EQ(file.size(), 42281u) << KESTRO_FACTORY_BANK_PATH;

    // The editor's bank save of an untouched instance (this test's settings store is empty).
    RotaryEffect effect(nullptr);
    auto* presets = dynamic_cast<CPresetSystemEditor*>(effect.getEditor());
    ASSERT_NE(presets, nullptr);
    EXPECT_EQ(presets->buildBankImage(), file);

    // A host that loads it into an instance whose programs were renamed gets the factory
    // names back.
    test::TestHost host;
    ASSERT_TRUE(host.create());
    host.dispatch(effSetProgram, 0, 5);
    char renamed[] = "Renamed";
    host.dispatch(effSetProgramName, 0, 0, renamed);
    std::vector<std::uint8_t> chunk;
    {
        void* data = nullptr;
        const auto size = host.dispatch(effGetChunk, 0, 0, &data);
        ASSERT_GT(size, static_cast<VstIntPtr>(file.size()));
        chunk.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    }
    // The chunk carries the same bank image behind a short prefix of its own.
    const std::size_t prefix = chunk.size() - file.size();
    std::copy(file.begin(), file.end(), chunk.begin() + static_cast<std::ptrdiff_t>(prefix));
    ASSERT_EQ(host.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 0);
    EXPECT_EQ(host.dispatchText(effGetProgramNameIndexed, 5), "Wobble");
    EXPECT_EQ(host.dispatchText(effGetProgramNameIndexed, 16), "Single Mic");
    EXPECT_EQ(host.dispatchText(effGetProgramNameIndexed, 31), "Init");
}

} // namespace
} // namespace kestro
