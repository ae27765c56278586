#pragma once
// Where the render reads from and writes to. The render loop only knows these two
// interfaces, so files, the demo and in-memory buffers in tests are interchangeable.

#include <cstdint>

namespace kestro::render {

class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    virtual std::int64_t frames() const = 0;
    // Exactly `count` interleaved frames, continuing where the last read ended; false on a
    // read error. The render never asks for more than frames() in all.
    virtual bool read(double* interleaved, int count) = 0;
};

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // `count` interleaved frames of the plug-in's output channels; false on a write error.
    virtual bool write(const double* interleaved, int count) = 0;
};

} // namespace kestro::render
