// A host's two threads at once: the audio thread processes blocks of changing sizes in both
// precisions and delivers MIDI, while the user-interface thread automates every host
// parameter, selects and renames programs, round-trips the chunk, saves and loads preset and
// bank files and memos, suspends and resumes, and the editor reads rotor phases and lamps.
// Run under ThreadSanitizer (the tsan preset) this proves the two never race; in every build
// it checks that the output stays finite and that the state at the end is what the last
// user-interface calls set.

#include "concurrency_support.h"

#include "editor/cpreset_system_editor.h"
#include "params/parameter_indices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kestro::test {
namespace {

constexpr int kUserRounds = 24;

void audioLoop(Instance& instance, const std::atomic<bool>& midiAllowed, const std::atomic<bool>& done,
               std::atomic<bool>& finite, std::atomic<long>& blocks)
{
    std::mt19937 random(7);
    Signal signal;
    VstMidiEvent events[2] = {midiControlChange(0xB0, 1, 0), midiControlChange(0xB0, 64, 0)};
    MidiEvents list;
    list.add(events[0]);
    list.add(events[1]);
    while (!done.load(std::memory_order_acquire)) {
        if (midiAllowed.load(std::memory_order_acquire) && random() % 4 == 0) {
            events[0].midiData[2] = static_cast<char>(random() % 128);
            events[1].midiData[2] = static_cast<char>(random() % 128);
            instance.dispatch(effProcessEvents, 0, 0, list.get());
        }
        const int frames = static_cast<int>(random() % 1025);
        const bool ok = (random() & 1) ? signal.render<float>(instance, frames) : signal.render<double>(instance, frames);
        if (!ok)
            finite.store(false, std::memory_order_relaxed);
        blocks.fetch_add(1, std::memory_order_relaxed);
    }
}

// What the editor's idle does while audio runs: read rotor phases, speeds and lamps.
double editorReads(RotaryEffect& fx)
{
    double sum = fx.hornVoice(0).rotationPhase() + fx.hornVoice(1).speedHz() + fx.drumVoice().rotationPhase() +
                 fx.drumVoice().speedHz() + fx.midiActivity() + fx.currentFadeLevel() + fx.currentBypassMix() +
                 fx.modelRate() + fx.resamplingFactor();
    char text[64];
    for (VstInt32 i = 0; i < 36; ++i) {
        fx.getParameterDisplay(i, text);
        sum += static_cast<double>(std::strlen(text));
    }
    return sum;
}

TEST(HostThreads, UserInterfaceAndAudioThreadsAtOnce)
{
    Instance instance;
    ASSERT_TRUE(instance.valid());
    instance.prepare(44100.0f, 1024);
    RotaryEffect& fx = instance.effect();
    auto* editor = static_cast<CPresetSystemEditor*>(fx.getEditor());
    ASSERT_NE(editor, nullptr);
    const std::filesystem::path dir = temporaryDirectory("kestro-threads");
    const std::string bank = (dir / "threads.tvb").string();
    const std::string preset = (dir / "threads.tvp").string();

    std::atomic<bool> midiAllowed{true}, done{false}, finite{true};
    std::atomic<long> blocks{0};
    std::thread audio(audioLoop, std::ref(instance), std::cref(midiAllowed), std::cref(done), std::ref(finite),
                      std::ref(blocks));

    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    double editorSum = 0.0;
    for (int round = 0; round < kUserRounds; ++round) {
        for (VstInt32 i = 0; i < 36; ++i)
            // The CPU mode and the channel stay put, or the MIDI side would go quiet.
            if (i != 1 && i != 35)
                instance.setParameter(i, unit(random));
        fx.selectProgram(static_cast<VstInt32>(random() % 32));
        char name[32];
        std::snprintf(name, sizeof name, "Round %d", round);
        instance.dispatch(effSetProgramName, 0, 0, name);
        std::vector<std::uint8_t> chunk = instance.chunk();
        EXPECT_EQ(chunk.size(), 42289u);
        EXPECT_EQ(instance.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 0);
        EXPECT_TRUE(editor->saveBankToPath(bank));
        EXPECT_TRUE(editor->savePresetToPath(preset));
        EXPECT_TRUE(editor->loadPresetFromPath(preset, false));
        EXPECT_TRUE(editor->loadBankFromPath(bank, false));
        EXPECT_TRUE(editor->storeMemoA());
        EXPECT_TRUE(editor->recallMemoA());
        if (round % 6 == 5) {
            instance.dispatch(effMainsChanged, 0, 0);
            instance.dispatch(effMainsChanged, 0, 1);
        }
        editorSum += editorReads(fx);
    }

    // The last word is the user interface's: no MIDI from here on.
    midiAllowed.store(false, std::memory_order_release);
    const long before = blocks.load();
    while (blocks.load() < before + 4)
        std::this_thread::yield();
    std::vector<float> last(36);
    for (VstInt32 i = 0; i < 36; ++i) {
        last[static_cast<std::size_t>(i)] = (i == 1 || i == 35) ? instance.getParameter(i) : unit(random);
        instance.setParameter(i, last[static_cast<std::size_t>(i)]);
    }
    instance.setParameter(kBypass, 1.0f); // bypass, so the audio thread's view can be heard
    last[0] = 1.0f;
    instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Last word"));
    const long settled = blocks.load();
    while (blocks.load() < settled + 64)
        std::this_thread::yield();
    done.store(true, std::memory_order_release);
    audio.join();

    EXPECT_TRUE(finite.load());
    EXPECT_TRUE(std::isfinite(editorSum));
    for (VstInt32 i = 0; i < 36; ++i)
        EXPECT_EQ(instance.getParameter(i), last[static_cast<std::size_t>(i)]) << "parameter " << i;
    char name[32] = {};
    instance.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Last word");
    // The audio thread took the last bypass: after the glide the output is the input.
    Signal signal;
    for (int b = 0; b < 40; ++b)
        ASSERT_TRUE(signal.render<float>(instance, 512));
    EXPECT_LT(signal.lastDifferenceFromInput(), 1e-6);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kestro::test
