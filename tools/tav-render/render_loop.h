#pragma once
// Drives a resumed plug-in through a whole render: host blocks of a fixed size, cut where a
// timed change falls so that it takes effect at exactly its sample, input past its end
// replaced by silence (the tail), output handed to a sink.

#include "host/vst_abi.h"
#include "tools/tav-render/audio_io.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestro::render {

struct ScheduledEvent {
    enum class Kind { Parameter, ControlChange };
    std::int64_t frame = 0;
    Kind kind = Kind::Parameter;
    VstInt32 index = 0; // parameter index or controller number
    float value = 0.0f; // normalized parameter value
    int controlValue = 0; // 0..127 for a control change
};

struct RenderRequest {
    std::int64_t totalFrames = 0; // source frames plus tail
    int blockSize = 512;
    bool doublePrecision = false;
    // A mono source goes to input 1 only, unless the plug-in refused a mono input layout.
    bool monoToAllInputs = false;
    std::vector<ScheduledEvent> events; // any order; equal frames keep their order
};

struct RenderResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;
    std::int64_t clippedSamples = 0;    // beyond full scale
    std::int64_t nonFiniteSamples = 0;  // NaN or infinite, written as silence
};

// `progress` hears the number of frames done after every block; `cancel` is polled between
// blocks (a signal handler sets it).
RenderResult renderThrough(AEffect& effect, AudioSource& source, AudioSink& sink, const RenderRequest& request,
                           const std::function<void(std::int64_t)>& progress = {},
                           const std::atomic<bool>* cancel = nullptr);

// A MIDI control change on channel 1, delivered through effProcessEvents.
void sendControlChange(AEffect& effect, int controller, int value);

} // namespace kestro::render
