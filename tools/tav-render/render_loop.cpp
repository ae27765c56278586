#include "tools/tav-render/render_loop.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace kestro::render {
namespace {

template <typename Sample>
class PlanarBuffers {
public:
    PlanarBuffers(int channels, int frames)
        : data_(static_cast<std::size_t>(std::max(channels, 1)) * static_cast<std::size_t>(frames)),
          pointers_(static_cast<std::size_t>(std::max(channels, 1)))
    {
        for (std::size_t c = 0; c < pointers_.size(); ++c)
            pointers_[c] = data_.data() + c * static_cast<std::size_t>(frames);
    }
    Sample** pointers() { return pointers_.data(); }
    Sample* channel(int c) { return pointers_[static_cast<std::size_t>(c)]; }
    void clear() { std::fill(data_.begin(), data_.end(), Sample(0)); }

private:
    std::vector<Sample> data_;
    std::vector<Sample*> pointers_;
};

void applyEvent(AEffect& effect, const ScheduledEvent& event)
{
    if (event.kind == ScheduledEvent::Kind::Parameter)
        effect.setParameter(&effect, event.index, event.value);
    else
        sendControlChange(effect, event.index, event.controlValue);
}

template <typename Sample>
RenderResult run(AEffect& effect, AudioSource& source, AudioSink& sink, const RenderRequest& request,
                 const std::function<void(std::int64_t)>& progress, const std::atomic<bool>* cancel)
{
    RenderResult result;
    const int block = std::max(request.blockSize, 1);
    const int sourceChannels = source.channels();
    const int inputs = std::max(effect.numInputs, 0);
    const int outputs = effect.numOutputs;
    PlanarBuffers<Sample> in(inputs, block);
    PlanarBuffers<Sample> out(outputs, block);
    std::vector<double> readBuffer(static_cast<std::size_t>(std::max(sourceChannels, 1)) * static_cast<std::size_t>(block));
    std::vector<double> writeBuffer(static_cast<std::size_t>(outputs) * static_cast<std::size_t>(block));

    std::vector<ScheduledEvent> events = request.events;
    std::stable_sort(events.begin(), events.end(),
                     [](const ScheduledEvent& a, const ScheduledEvent& b) { return a.frame < b.frame; });
    std::size_t nextEvent = 0;

    const std::int64_t sourceFrames = std::min(source.frames(), request.totalFrames);
    std::int64_t position = 0;
    while (position < request.totalFrames) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            result.error = "interrupted";
            return result;
        }
        while (nextEvent < events.size() && events[nextEvent].frame <= position)
            applyEvent(effect, events[nextEvent++]);

        // Host blocks stay on their regular grid; a change inside one cuts it in two.
        std::int64_t end = std::min<std::int64_t>((position / block + 1) * block, request.totalFrames);
        if (nextEvent < events.size())
            end = std::min(end, events[nextEvent].frame);
        const int frames = static_cast<int>(end - position);

        in.clear();
        const int fromSource = static_cast<int>(std::clamp<std::int64_t>(sourceFrames - position, 0, frames));
        if (fromSource > 0) {
            if (!source.read(readBuffer.data(), fromSource)) {
                result.error = "reading the input failed";
                return result;
            }
            for (int c = 0; c < inputs; ++c) {
                int from = c;
                if (sourceChannels == 1)
                    from = (c == 0 || request.monoToAllInputs) ? 0 : -1;
                else if (c >= sourceChannels)
                    from = -1;
                if (from < 0)
                    continue;
                Sample* channel = in.channel(c);
                for (int i = 0; i < fromSource; ++i)
                    channel[i] = static_cast<Sample>(readBuffer[static_cast<std::size_t>(i * sourceChannels + from)]);
            }
        }

        out.clear();
        if constexpr (std::is_same_v<Sample, double>)
            effect.processDoubleReplacing(&effect, in.pointers(), out.pointers(), frames);
        else
            effect.processReplacing(&effect, in.pointers(), out.pointers(), frames);

        for (int c = 0; c < outputs; ++c) {
            const Sample* channel = out.channel(c);
            for (int i = 0; i < frames; ++i) {
                double sample = static_cast<double>(channel[i]);
                if (!std::isfinite(sample)) {
                    ++result.nonFiniteSamples;
                    sample = 0.0;
                } else if (std::fabs(sample) > 1.0) {
                    ++result.clippedSamples;
                }
                writeBuffer[static_cast<std::size_t>(i * outputs + c)] = sample;
            }
        }
        if (!sink.write(writeBuffer.data(), frames)) {
            result.error = "writing the output failed";
            return result;
        }
        position = end;
        if (progress)
            progress(position);
    }
    result.ok = true;
    return result;
}

} // namespace

void sendControlChange(AEffect& effect, int controller, int value)
{
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = static_cast<VstInt32>(sizeof(VstMidiEvent));
    midi.midiData[0] = static_cast<char>(0xB0);
    midi.midiData[1] = static_cast<char>(controller & 0x7F);
    midi.midiData[2] = static_cast<char>(value & 0x7F);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&midi);
    effect.dispatcher(&effect, effProcessEvents, 0, 0, &list, 0.0f);
}

RenderResult renderThrough(AEffect& effect, AudioSource& source, AudioSink& sink, const RenderRequest& request,
                           const std::function<void(std::int64_t)>& progress, const std::atomic<bool>* cancel)
{
    if (effect.numOutputs < 1) {
        RenderResult result;
        result.error = "the plug-in has no outputs";
        return result;
    }
    if (request.doublePrecision) {
        if (effect.processDoubleReplacing == nullptr) {
            RenderResult result;
            result.error = "the plug-in cannot process double precision";
            return result;
        }
        return run<double>(effect, source, sink, request, progress, cancel);
    }
    return run<float>(effect, source, sink, request, progress, cancel);
}

} // namespace kestro::render
