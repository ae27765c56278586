// Not part of the normal suite (its name is not *_test.cpp): packaging/test-install.sh builds
// and runs it after `dpkg -i` of the built package. It checks the package as a user meets it:
// the plug-in in /usr/lib/lxvst loads and processes through the test host, the manual path a
// user without settings of their own reads (the system value in /etc/xdg) names the installed
// manual, and the installed factory bank is the installed plug-in's own bank save.

#include "platform/settings_store.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kestro {
namespace {

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(InstalledPackage, PluginLoadsAndProcesses)
{
    test::TestHost host;
    ASSERT_TRUE(host.create()) << test::pluginLoadError();
    host.prepare(44100.0f, 512);
    test::ChannelBuffers<float> in(2, 512);
    test::ChannelBuffers<float> out(2, 512);
    double energy = 0.0;
    for (int block = 0; block < 100; ++block) {
        for (int i = 0; i < 512; ++i)
            in[0][i] = in[1][i] = 0.3f * static_cast<float>(std::sin(0.05 * (block * 512 + i)));
        host.processReplacing(in.pointers(), out.pointers(), 512);
        for (int i = 0; i < 512; ++i) {
            ASSERT_TRUE(std::isfinite(out[0][i]) && std::isfinite(out[1][i]));
            energy += out[0][i] * out[0][i];
        }
    }
    EXPECT_GT(energy, 1.0);
}

TEST(InstalledPackage, ManualPathNamesTheInstalledManual)
{
    // As for a user who has not set one: the settings store's system default, /etc/xdg.
    ::unsetenv("XDG_CONFIG_DIRS");
    const auto path = platform::readTextSetting(platform::kManualPathValue, 4096);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, KESTRO_INSTALLED_DOCS "/TAV Kestro Manual.pdf");
    const std::vector<std::uint8_t> manual = readFile(*path);
    ASSERT_GT(manual.size(), 4u) << *path;
    EXPECT_EQ(std::string(manual.begin(), manual.begin() + 5), "%PDF-");
}

TEST(InstalledPackage, FactoryBankIsTheInstalledPluginsBankSave)
{
    const std::vector<std::uint8_t> bank = readFile(KESTRO_INSTALLED_DOCS "/TAV Kestro Factory.tvb");
    ASSERT_EQ(bank.size(), 42281u);
    test::TestHost host;
    ASSERT_TRUE(host.create());
    void* data = nullptr;
    const auto size = host.dispatch(effGetChunk, 0, 0, &data);
    ASSERT_GE(size, static_cast<VstIntPtr>(bank.size()));
    const auto* chunk = static_cast<const std::uint8_t*>(data);
    // The chunk is the bank image behind a short prefix of its own.
    EXPECT_EQ(std::vector<std::uint8_t>(chunk + size - static_cast<VstIntPtr>(bank.size()), chunk + size), bank);
}

} // namespace
} // namespace kestro
