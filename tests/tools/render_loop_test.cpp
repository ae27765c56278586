// The render loop against a scripted stand-in plug-in, so that timing can be checked to the
// sample: timed changes land exactly on their frame, blocks stay on the host's grid, the
// tail is silence, a mono input reaches the inputs the host promised, and bad output
// samples never reach the file.

#include "tools/tav-render/render_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kestro::render {
namespace {

// Outputs: channel 0 = the value of parameter 0 at that sample, channel 1 = input 1 + input 2.
struct ScriptedPlugin {
    AEffect effect{};
    float parameter = 0.0f;
    std::int64_t processed = 0;
    std::vector<int> blocks;
    struct Midi {
        std::int64_t atFrame;
        unsigned char status, data1, data2;
    };
    std::vector<Midi> midi;
    std::int64_t nanAt = -1;

    ScriptedPlugin()
    {
        effect.magic = kEffectMagic;
        effect.numInputs = 2;
        effect.numOutputs = 2;
        effect.object = this;
        effect.dispatcher = &dispatch;
        effect.setParameter = [](AEffect* e, VstInt32 index, float value) {
            if (index == 0)
                self(e).parameter = value;
        };
        effect.processReplacing = &process<float>;
        effect.processDoubleReplacing = &process<double>;
    }
    static ScriptedPlugin& self(AEffect* e) { return *static_cast<ScriptedPlugin*>(e->object); }

    static VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
    {
        if (opcode != effProcessEvents)
            return 0;
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (VstInt32 i = 0; i < list->numEvents; ++i) {
            const auto* event = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
            EXPECT_EQ(event->type, kVstMidiType);
            EXPECT_EQ(event->deltaFrames, 0);
            self(e).midi.push_back({self(e).processed, static_cast<unsigned char>(event->midiData[0]),
                                    static_cast<unsigned char>(event->midiData[1]),
                                    static_cast<unsigned char>(event->midiData[2])});
        }
        return 1;
    }

    template <typename Sample>
    static void process(AEffect* e, Sample** in, Sample** out, VstInt32 frames)
    {
        ScriptedPlugin& p = self(e);
        p.blocks.push_back(frames);
        for (VstInt32 i = 0; i < frames; ++i) {
            out[0][i] = static_cast<Sample>(p.parameter);
            out[1][i] = in[0][i] + in[1][i];
            if (p.processed + i == p.nanAt)
                out[0][i] = std::numeric_limits<Sample>::quiet_NaN();
        }
        p.processed += frames;
    }
};

class ConstantSource final : public AudioSource {
public:
    ConstantSource(int channels, std::int64_t frames, double value) : channels_(channels), frames_(frames), value_(value) {}
    int channels() const override { return channels_; }
    std::int64_t frames() const override { return frames_; }
    bool read(double* interleaved, int count) override
    {
        read_ += count;
        EXPECT_LE(read_, frames_) << "read past the end of the source";
        for (int i = 0; i < count * channels_; ++i)
            interleaved[i] = value_;
        return true;
    }

private:
    int channels_;
    std::int64_t frames_;
    double value_;
    std::int64_t read_ = 0;
};

struct CollectingSink final : public AudioSink {
    std::vector<double> left, right;
    bool write(const double* interleaved, int count) override
    {
        for (int i = 0; i < count; ++i) {
            left.push_back(interleaved[2 * i]);
            right.push_back(interleaved[2 * i + 1]);
        }
        return true;
    }
};

ScheduledEvent parameterAt(std::int64_t frame, float value)
{
    return {frame, ScheduledEvent::Kind::Parameter, 0, value, 0};
}

TEST(RenderLoop, TimedChangesLandOnTheirFrameAndCutOnlyTheirBlock)
{
    for (bool doublePrecision : {false, true}) {
        ScriptedPlugin plugin;
        ConstantSource source(2, 300, 0.0);
        CollectingSink sink;
        RenderRequest request;
        request.totalFrames = 300;
        request.blockSize = 64;
        request.doublePrecision = doublePrecision;
        // Out of order on purpose; the two changes at 200 apply in the order given.
        request.events = {parameterAt(200, 0.25f), parameterAt(100, 0.75f),
                          {130, ScheduledEvent::Kind::ControlChange, 64, 0.0f, 127}, parameterAt(200, 0.5f)};

        const RenderResult result = renderThrough(plugin.effect, source, sink, request);
        ASSERT_TRUE(result.ok) << result.error;
        ASSERT_EQ(sink.left.size(), 300u);
        EXPECT_EQ(sink.left[99], 0.0);
        EXPECT_EQ(sink.left[100], 0.75);
        EXPECT_EQ(sink.left[199], 0.75);
        EXPECT_EQ(sink.left[200], 0.5);
        EXPECT_EQ(sink.left[299], 0.5);
        // The grid of 64 stays; only blocks holding a change are cut.
        EXPECT_EQ(plugin.blocks, (std::vector<int>{64, 36, 28, 2, 62, 8, 56, 44}));
        ASSERT_EQ(plugin.midi.size(), 1u);
        EXPECT_EQ(plugin.midi[0].atFrame, 130);
        EXPECT_EQ(plugin.midi[0].status, 0xB0);
        EXPECT_EQ(plugin.midi[0].data1, 64);
        EXPECT_EQ(plugin.midi[0].data2, 127);
    }
}

TEST(RenderLoop, MonoInputReachesThePromisedInputsAndTheTailIsSilent)
{
    for (bool toAll : {false, true}) {
        ScriptedPlugin plugin;
        ConstantSource source(1, 100, 0.25);
        CollectingSink sink;
        RenderRequest request;
        request.totalFrames = 150;
        request.blockSize = 32;
        request.monoToAllInputs = toAll;
        ASSERT_TRUE(renderThrough(plugin.effect, source, sink, request).ok);
        ASSERT_EQ(sink.right.size(), 150u);
        EXPECT_EQ(sink.right[0], toAll ? 0.5 : 0.25);
        EXPECT_EQ(sink.right[99], toAll ? 0.5 : 0.25);
        EXPECT_EQ(sink.right[100], 0.0);
        EXPECT_EQ(sink.right[149], 0.0);
    }
}

TEST(RenderLoop, BadSamplesAreCountedAndNeverWritten)
{
    ScriptedPlugin plugin;
    plugin.nanAt = 10;
    ConstantSource source(2, 50, 0.75); // right = 1.5: beyond full scale
    CollectingSink sink;
    RenderRequest request;
    request.totalFrames = 50;
    const RenderResult result = renderThrough(plugin.effect, source, sink, request);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.nonFiniteSamples, 1);
    EXPECT_EQ(sink.left[10], 0.0);
    EXPECT_EQ(result.clippedSamples, 50); // the sink clips; the loop only counts
    EXPECT_EQ(sink.right[0], 1.5);
}

TEST(RenderLoop, StopsBetweenBlocksWhenCancelled)
{
    ScriptedPlugin plugin;
    ConstantSource source(2, 1000, 0.0);
    CollectingSink sink;
    RenderRequest request;
    request.totalFrames = 1000;
    request.blockSize = 100;
    std::atomic<bool> cancel{false};
    int reports = 0;
    const RenderResult result = renderThrough(
        plugin.effect, source, sink, request,
        [&](std::int64_t done) {
            ++reports;
            if (done >= 300)
                cancel = true;
        },
        &cancel);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(plugin.processed, 300);
    EXPECT_EQ(reports, 3);
}

} // namespace
} // namespace kestro::render
