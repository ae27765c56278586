// Many instances in one host: they share nothing mutable (sixteen on two threads sound exactly
// as one alone), come and go without leaving memory or open files behind, and their writes
// to the per-user settings never tear a value another instance reads.

#include "concurrency_support.h"
#include "support/alloc_counter.h"

#include "editor/cpreset_system_editor.h"
#include "params/parameter_indices.h"
#include "platform/settings_store.h"
#include "presets/preset_images.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kestro::test {
namespace {

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Lever fast and a drive, so the rotors, the noise players and the drive stage all move.
void configure(Instance& instance)
{
    instance.prepare(44100.0f, 512);
    instance.setParameter(kLever, 1.0f);
    instance.setParameter(kDrive, 0.7f);
}

std::vector<double> renderAlone(int blocks)
{
    Instance instance;
    configure(instance);
    Signal signal;
    std::vector<double> out;
    for (int b = 0; b < blocks; ++b) {
        if (!signal.render<float>(instance, 512))
            return {};
        out.insert(out.end(), signal.lastBlock().begin(), signal.lastBlock().end());
    }
    return out;
}

TEST(ManyInstances, SixteenOnTwoThreadsSoundAsOneAlone)
{
    constexpr int kInstances = 16;
    const int blocks = kSanitized ? 24 : 120;
    const std::vector<double> alone = renderAlone(blocks);
    ASSERT_FALSE(alone.empty());

    std::vector<std::unique_ptr<Instance>> instances;
    for (int i = 0; i < kInstances; ++i) {
        instances.push_back(std::make_unique<Instance>());
        ASSERT_TRUE(instances.back()->valid());
        configure(*instances.back());
    }
    std::vector<std::vector<double>> outputs(kInstances);
    // Each thread renders its half block by block, round robin, as a host's audio threads do.
    auto renderHalf = [&](int first) {
        std::vector<Signal> signals(kInstances / 2);
        for (int b = 0; b < blocks; ++b) {
            for (int k = 0; k < kInstances / 2; ++k) {
                const int i = first + 2 * k;
                if (!signals[static_cast<std::size_t>(k)].render<float>(*instances[static_cast<std::size_t>(i)], 512))
                    return;
                const auto& block = signals[static_cast<std::size_t>(k)].lastBlock();
                outputs[static_cast<std::size_t>(i)].insert(outputs[static_cast<std::size_t>(i)].end(), block.begin(),
                                                            block.end());
            }
        }
    };
    std::thread even(renderHalf, 0), odd(renderHalf, 1);
    even.join();
    odd.join();
    for (int i = 0; i < kInstances; ++i)
        EXPECT_TRUE(outputs[static_cast<std::size_t>(i)] == alone) << "instance " << i << " differs";
}

// Points the per-user settings at a fresh directory under `base` for the scope, or under the
// temporary directory when `base` is missing.
class ScopedSettingsDirectory {
public:
    explicit ScopedSettingsDirectory(const char* base)
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            previous_ = old;
        const std::string parent =
            std::filesystem::is_directory(base) ? std::string(base) : std::filesystem::temp_directory_path().string();
        std::string pattern = parent + "/kestro-settings-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            made_ = pattern;
            ::setenv("XDG_CONFIG_HOME", made_.c_str(), 1);
        }
    }
    ~ScopedSettingsDirectory()
    {
        if (made_.empty())
            return;
        ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(made_, ec);
    }
    ScopedSettingsDirectory(const ScopedSettingsDirectory&) = delete;
    ScopedSettingsDirectory& operator=(const ScopedSettingsDirectory&) = delete;

private:
    std::string previous_;
    std::string made_;
};

int openFiles()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST(ManyInstances, CreatedAndClosedAThousandTimesLeaveNothingBehind)
{
    const int cycles = kSanitized ? 60 : 1000;
    // Every close stores the file locations with synced writes; on a memory file system, where
    // there is one, a thousand of them cost next to nothing.
    const ScopedSettingsDirectory settings("/dev/shm");
    auto cycle = [] {
        Instance instance;
        ASSERT_TRUE(instance.valid());
        configure(instance);
        Signal signal;
        ASSERT_TRUE(signal.render<float>(instance, 64));
    };
    // The first instances settle what is made once per process (tables, the settings directory).
    for (int i = 0; i < 10; ++i)
        cycle();
    const int files = openFiles();
    const std::size_t heap = mallinfo2().uordblks;
    for (int i = 0; i < cycles; ++i)
        cycle();
    EXPECT_EQ(openFiles(), files);
    if (allocationCountingAvailable()) {
        // Allocator bookkeeping may move a little; one instance left behind would be far more.
        const std::size_t after = mallinfo2().uordblks;
        EXPECT_LT(after, heap + 64 * 1024) << "heap in use grew from " << heap << " to " << after;
    }
}

TEST(ManyInstances, SettingsWrittenAtOnceAreNeverTorn)
{
    constexpr int kWriters = 4;
    const int writes = kSanitized ? 15 : 60;
    // A store of its own: a memo left by an earlier test would read as a stranger's value.
    const ScopedSettingsDirectory settings("/dev/shm");
    std::vector<std::unique_ptr<Instance>> instances;
    std::vector<std::vector<std::uint8_t>> images;
    auto known = [&images](const std::vector<std::uint8_t>& value) {
        return std::count(images.begin(), images.end(), value);
    };
    for (int i = 0; i < kWriters; ++i) {
        instances.push_back(std::make_unique<Instance>());
        ASSERT_TRUE(instances.back()->valid());
        // Each writer's current program differs, so each memo image is its own.
        instances.back()->setParameter(kDrive, 0.1f + 0.2f * static_cast<float>(i));
        auto* editor = static_cast<CPresetSystemEditor*>(instances.back()->effect().getEditor());
        images.push_back(editor->buildPresetImage());
    }
    for (const auto& image : images)
        ASSERT_EQ(known(image), 1) << "every writer's image is its own";

    // Every instance of this process remembers the same directory: any other text is torn.
    const std::string expectedDirectory =
        static_cast<CPresetSystemEditor*>(instances[0]->effect().getEditor())->rememberedDirectory();
    std::atomic<int> writersLeft{kWriters};
    std::atomic<bool> readerRunning{false};
    std::atomic<long> reads{0}, tornMemo{0}, tornText{0};
    std::atomic<std::size_t> tornSize{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kWriters; ++i) {
        threads.emplace_back([&, i] {
            auto* editor = static_cast<CPresetSystemEditor*>(instances[static_cast<std::size_t>(i)]->effect().getEditor());
            while (!readerRunning.load())
                std::this_thread::yield();
            for (int w = 0; w < writes; ++w) {
                EXPECT_TRUE(editor->storeMemoA());
                EXPECT_TRUE(editor->storeFileLocations());
            }
            writersLeft.fetch_sub(1);
        });
    }
    threads.emplace_back([&] {
        readerRunning.store(true);
        do {
            const auto value = platform::readBinarySetting(platform::kMemoAValue, images::kLargestImageSize);
            if (!value)
                continue; // not written yet
            reads.fetch_add(1);
            if (known(*value) != 1) {
                tornMemo.fetch_add(1);
                tornSize.store(value->size());
            }
            const auto directory = platform::readTextSetting(platform::kCurrentDirectoryValue, 256);
            if (directory && *directory != expectedDirectory) {
                tornText.fetch_add(1);
                tornSize.store(directory->size());
            }
        } while (writersLeft.load() > 0 || reads.load() == 0);
    });
    for (auto& t : threads)
        t.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(tornMemo.load(), 0) << "a memo read of " << tornSize.load() << " bytes was no writer's image";
    EXPECT_EQ(tornText.load(), 0) << "a directory read of " << tornSize.load() << " bytes was not the one written";
    // The last writer won whole.
    const auto final = platform::readBinarySetting(platform::kMemoAValue, images::kLargestImageSize);
    ASSERT_TRUE(final.has_value());
    EXPECT_EQ(known(*final), 1);
}

} // namespace
} // namespace kestro::test
