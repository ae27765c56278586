// The per-user settings store on Linux: the user's folder first, then the system folders of
// XDG_CONFIG_DIRS for values the user has not set (how a system-wide package provides the
// manual's path). Every directory here is a fresh temporary one.

#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

class SettingsStoreFallback : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string base = (fs::temp_directory_path() / "kestro-store-XXXXXX").string();
        ASSERT_NE(::mkdtemp(base.data()), nullptr);
        root_ = base;
        savedHome_ = environment("XDG_CONFIG_HOME");
        savedDirs_ = environment("XDG_CONFIG_DIRS");
        ::setenv("XDG_CONFIG_HOME", (root_ / "user").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS",
                 ("relative/ignored:" + (root_ / "site").string() + ":" + (root_ / "vendor").string()).c_str(), 1);
    }

    void TearDown() override
    {
        restore("XDG_CONFIG_HOME", savedHome_);
        restore("XDG_CONFIG_DIRS", savedDirs_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path product(const char* base) const { return root_ / base / "TAV-quillmoor" / "TAVKST1"; }

    void put(const char* base, const char* name, const std::string& bytes) const
    {
        fs::create_directories(product(base));
        std::ofstream(product(base) / name, std::ios::binary) << bytes;
    }

    static std::string environment(const char* name)
    {
        const char* value = std::getenv(name);
        return value != nullptr ? value : "";
    }

    static void restore(const char* name, const std::string& value)
    {
        if (value.empty())
            ::unsetenv(name);
        else
            ::setenv(name, value.c_str(), 1);
    }

    fs::path root_;
    std::string savedHome_;
    std::string savedDirs_;
};

TEST_F(SettingsStoreFallback, SystemValuesFillInWhatTheUserHasNotSet)
{
    // The first system directory that has the value wins; a relative entry is skipped.
    put("vendor", kManualPathValue, "/usr/share/doc/vendor.pdf");
    EXPECT_EQ(readTextSetting(kManualPathValue, 1024), "/usr/share/doc/vendor.pdf");
    // A value written by hand with an editor ends in a line end that is not part of it.
    put("site", kManualPathValue, "/opt/site/manual.pdf\n");
    EXPECT_EQ(readTextSetting(kManualPathValue, 1024), "/opt/site/manual.pdf");
    put("vendor", kDefaultBankValue, "bank");
    EXPECT_EQ(readBinarySetting(kDefaultBankValue, 100), (std::vector<std::uint8_t>{'b', 'a', 'n', 'k'}));

    // The user's own value wins, and writing it never touches a system folder.
    ASSERT_TRUE(writeTextSetting(kManualPathValue, "/home/me/manual.pdf"));
    EXPECT_EQ(readTextSetting(kManualPathValue, 1024), "/home/me/manual.pdf");
    EXPECT_TRUE(fs::exists(product("user") / kManualPathValue));
    std::ifstream site(product("site") / kManualPathValue);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(site), {}), "/opt/site/manual.pdf\n");

    // Removing the user's value removes only that one; the system value shows again.
    ASSERT_TRUE(removeSetting(kManualPathValue));
    EXPECT_EQ(readTextSetting(kManualPathValue, 1024), "/opt/site/manual.pdf");
    EXPECT_FALSE(readTextSetting(kMemoAValue, 1024).has_value());
}

TEST_F(SettingsStoreFallback, AnUnreadableUserValueIsNotReplacedByTheSystemOne)
{
    // A user value that is too long to take is the user's (damaged) value: it reads as
    // nothing rather than as some other value from the system.
    put("site", kMemoAValue, "system");
    put("user", kMemoAValue, std::string(200, 'x'));
    EXPECT_FALSE(readBinarySetting(kMemoAValue, 100).has_value());
}

} // namespace
} // namespace kestro::platform
