// The audio thread stays clean: processReplacing, processDoubleReplacing, processEvents and
// the automation a host sends from its audio thread neither allocate, nor lock, wait, sleep,
// do file or console I/O or issue system calls, over a run that goes through every rebuild
// (each parameter index the effect has, suspend/resume at every model rate), every program
// and every MIDI path. The audio side runs on a thread the plug-in has never seen.

#include "concurrency_support.h"
#include "support/alloc_counter.h"
#include "support/blocking_calls.h"
#include "support/test_host.h"
#include "presets/cpreset_system_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestro::test {
namespace {

constexpr int kBlock = 256;
// Long enough for a fade-out, the task groups of one request and the fade-in.
constexpr int kBlocksPerChange = 24;

// A host that answers from constants: its own calls must not count against the plug-in.
VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

class AudioSide {
public:
    explicit AudioSide(AEffect* effect) : fx_(effect)
    {
        for (int i = 0; i < kBlock; ++i) {
            const double s = 0.5 * std::sin(0.05 * i) + 0.2 * std::sin(0.31 * i);
            fin_[0][static_cast<std::size_t>(i)] = static_cast<float>(s);
            fin_[1][static_cast<std::size_t>(i)] = static_cast<float>(-s);
            din_[0][static_cast<std::size_t>(i)] = s;
            din_[1][static_cast<std::size_t>(i)] = 0.5 * s;
        }
    }

    // Everything in here is what a host's audio thread does; all of it is watched.
    void blocks(int count, const VstEvents* events = nullptr, VstInt32 automateIndex = -1, float automateValue = 0)
    {
        startCountingAllocations();
        startWatchingBlockingCalls();
        for (int b = 0; b < count; ++b) {
            if (events != nullptr)
                fx_->dispatcher(fx_, effProcessEvents, 0, 0, const_cast<VstEvents*>(events), 0.0f);
            if (automateIndex >= 0 && b == 0)
                fx_->setParameter(fx_, automateIndex, automateValue);
            const int frames = (b % 5 == 4) ? 0 : kBlock - 17 * (b % 3);
            if (b % 2 == 0)
                fx_->processReplacing(fx_, fin_.pointers(), fout_.pointers(), frames);
            else
                fx_->processDoubleReplacing(fx_, din_.pointers(), dout_.pointers(), frames);
        }
        const BlockingCalls calls = stopWatchingBlockingCalls();
        allocations_ += stopCountingAllocations();
        blocking_ += calls.count;
        if (firstBlocking_.empty() && calls.first != nullptr)
            firstBlocking_ = calls.first;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kBlock; ++i)
                finite_ = finite_ && std::isfinite(fout_[c][static_cast<std::size_t>(i)]) &&
                          std::isfinite(dout_[c][static_cast<std::size_t>(i)]);
    }

    long allocations() const { return allocations_; }
    long blockingCalls() const { return blocking_; }
    const std::string& firstBlockingCall() const { return firstBlocking_; }
    bool finite() const { return finite_; }

private:
    AEffect* fx_;
    ChannelBuffers<float> fin_{2, kBlock}, fout_{2, kBlock};
    ChannelBuffers<double> din_{2, kBlock}, dout_{2, kBlock};
    long allocations_ = 0;
    long blocking_ = 0;
    std::string firstBlocking_;
    bool finite_ = true;
};

TEST(AudioThreadClean, NoAllocationLockOrSystemCallThroughEveryRebuildProgramAndMidiPath)
{
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    KESTRO_SKIP_WITHOUT_BLOCKING_CALL_WATCH();
    PluginEntry entry = pluginEntry();
    ASSERT_NE(entry, nullptr) << pluginLoadError();
    AEffect* fx = entry(quietHost);
    ASSERT_NE(fx, nullptr);
    auto dispatch = [fx](VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f) { return fx->dispatcher(fx, opcode, index, value, ptr, opt); };

    std::thread audioThread([&] {
        AudioSide audio(fx);
        // Host-side calls (the user-interface thread's) are not watched; the blocks after
        // them carry out what they asked for.
        for (float rate : {44100.0f, 96000.0f, 192000.0f, 22050.0f}) {
            for (float cpu : {0.0f, 1.0f}) {
                dispatch(effMainsChanged, 0, 0);
                dispatch(effSetSampleRate, 0, 0, nullptr, rate);
                dispatch(effMainsChanged, 0, 1);
                fx->setParameter(fx, 1, cpu);
                audio.blocks(kBlocksPerChange);
            }
        }
        dispatch(effMainsChanged, 0, 0);
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effMainsChanged, 0, 1);
        audio.blocks(kBlocksPerChange);

        // Every index the effect has, internal voicing included, from the user-interface
        // side and from the audio side (host automation).
        for (VstInt32 index = 0; index < 120; ++index) {
            for (float v : {0.0f, 0.37f, 1.0f}) {
                fx->setParameter(fx, index, v);
                audio.blocks(kBlocksPerChange);
            }
            audio.blocks(kBlocksPerChange, nullptr, index, 0.61f);
        }

        // Every program, through the preset system's program selection.
        auto* presets = static_cast<CPresetSystemEffect*>(static_cast<AudioEffect*>(fx->object));
        for (VstInt32 program = 0; program < 32; ++program) {
            presets->selectProgram(program);
            audio.blocks(kBlocksPerChange);
        }

        // Every MIDI path: wheel, pedal down and up, another controller, a note, another
        // channel, a non-MIDI event, an empty and a missing list, each channel setting.
        VstMidiEvent wheel = midiControlChange(0xB0, 1, 100), pedalDown = midiControlChange(0xB0, 64, 127),
                     pedalUp = midiControlChange(0xB0, 64, 0), other = midiControlChange(0xB0, 7, 50),
                     note = midiControlChange(0x90, 60, 100), elsewhere = midiControlChange(0xB5, 1, 3);
        VstMidiEvent sysex = wheel;
        sysex.type = kVstSysExType;
        MidiEvents list;
        for (VstMidiEvent* e : {&wheel, &pedalDown, &pedalUp, &other, &note, &elsewhere, &sysex})
            list.add(*e);
        MidiEvents empty;
        for (float channel : {1.0f, 0.0f, 1.0f / 17.0f, 6.0f / 17.0f}) {
            fx->setParameter(fx, 35, channel);
            audio.blocks(kBlocksPerChange, list.get());
            audio.blocks(2, empty.get());
        }
        startWatchingBlockingCalls();
        startCountingAllocations();
        const VstIntPtr missing = dispatch(effProcessEvents, 0, 0, nullptr);
        EXPECT_EQ(stopCountingAllocations(), 0);
        EXPECT_EQ(stopWatchingBlockingCalls().count, 0);
        EXPECT_EQ(missing, -1);

        EXPECT_EQ(audio.allocations(), 0);
        EXPECT_EQ(audio.blockingCalls(), 0) << "first: " << audio.firstBlockingCall();
        EXPECT_TRUE(audio.finite());
    });
    audioThread.join();
    EXPECT_EQ(dispatch(effClose), 1);
}

// The watch itself: a lock and a write on the watched thread are seen, even when the plug-in
// is not the one making them.
TEST(AudioThreadClean, TheWatchSeesLocksAndWrites)
{
    KESTRO_SKIP_WITHOUT_BLOCKING_CALL_WATCH();
    std::mutex m;
    startWatchingBlockingCalls();
    { std::lock_guard<std::mutex> lock(m); }
    const BlockingCalls locked = stopWatchingBlockingCalls();
    EXPECT_EQ(locked.count, 1);
    EXPECT_STREQ(locked.first, "pthread_mutex_lock");

    startWatchingBlockingCalls();
    EXPECT_EQ(::write(STDERR_FILENO, "", 0), 0);
    const BlockingCalls wrote = stopWatchingBlockingCalls();
    EXPECT_EQ(wrote.count, 1);
    EXPECT_STREQ(wrote.first, "write");

    startWatchingBlockingCalls();
    int x = 0;
    for (int i = 0; i < 100; ++i)
        x += i;
    EXPECT_EQ(stopWatchingBlockingCalls().count, 0);
    EXPECT_EQ(x, 4950);
}

} // namespace
} // namespace kestro::test
