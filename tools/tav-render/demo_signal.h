#pragma once
// The built-in demo: an organ-like chord sequence (a few drawbar harmonics per note, chords
// that start and stop within a few milliseconds as organ keys do, and a little key click)
// so a newcomer hears the cabinet without having an organ recording at hand. Computed directly from the sample position, so any
// stretch can be rendered in any order and the result never depends on the block size.

#include "tools/tav-render/audio_io.h"

#include <cstdint>
#include <vector>

namespace kestro::render {

class DemoSignal {
public:
    DemoSignal(double sampleRate, std::int64_t frames);

    double sampleRate() const { return sampleRate_; }
    std::int64_t frames() const { return frames_; }
    // Number of chords the length is divided into; each starts with its own key envelope and click.
    static constexpr int kChordCount = 4;
    std::int64_t chordStart(int chord) const;

    // `count` mono samples from `position`; positions outside the signal give silence.
    void render(std::int64_t position, double* out, int count) const;
    double sampleAt(std::int64_t position) const;

private:
    double sampleRate_;
    std::int64_t frames_;
};

// The lever sequence that goes with the demo: slow (chorale) until 25 % of the length,
// fast (tremolo) until 65 %, slow after, so the rotors are heard speeding up and down.
struct LeverStep {
    std::int64_t frame;
    float lever;
};
std::vector<LeverStep> demoLeverSequence(std::int64_t frames);

// The demo as a mono input for the render loop.
class DemoSource final : public AudioSource {
public:
    explicit DemoSource(const DemoSignal& signal) : signal_(signal) {}
    int channels() const override { return 1; }
    std::int64_t frames() const override { return signal_.frames(); }
    bool read(double* interleaved, int count) override
    {
        signal_.render(position_, interleaved, count);
        position_ += count;
        return true;
    }

private:
    DemoSignal signal_;
    std::int64_t position_ = 0;
};

} // namespace kestro::render
