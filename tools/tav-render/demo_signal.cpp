#include "tools/tav-render/demo_signal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kestro::render {
namespace {

// Footages 16', 8', 5 1/3', 4', 2 2/3', 2' as multiples of the played pitch, with levels
// of a full but not shrill registration.
constexpr std::array<double, 6> kHarmonicRatio{0.5, 1.0, 1.5, 2.0, 3.0, 4.0};
constexpr std::array<double, 6> kHarmonicLevel{0.7, 1.0, 0.6, 0.55, 0.35, 0.3};
constexpr int kNotesPerChord = 4;
// C, F over C, G7 over B, C: MIDI note numbers.
constexpr std::array<std::array<int, kNotesPerChord>, DemoSignal::kChordCount> kChords{{
    {48, 55, 60, 64},
    {48, 53, 57, 60},
    {47, 55, 62, 65},
    {48, 55, 64, 67},
}};

// A chord change takes as long as an organ's key contacts need to close or open: a few
// milliseconds, enough that neither edge clicks by itself, short enough to sound played.
constexpr double kAttackSeconds = 0.005;
constexpr double kReleaseSeconds = 0.005;
constexpr double kFinalReleaseSeconds = 0.4;
constexpr double kClickSeconds = 0.004; // decay time constant
constexpr double kClickLevel = 0.5;     // relative to one note's sum of levels
constexpr double kPeakTarget = 0.9;     // the sum of every level times this stays below full scale

double noteFrequency(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

double sumOfLevels()
{
    double sum = 0.0;
    for (double level : kHarmonicLevel)
        sum += level;
    return sum;
}

// Rises and falls along half a cosine so neither end clicks by itself.
double smoothStep(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

} // namespace

DemoSignal::DemoSignal(double sampleRate, std::int64_t frames)
    : sampleRate_(sampleRate > 0.0 ? sampleRate : 44100.0), frames_(std::max<std::int64_t>(frames, 0))
{
}

std::int64_t DemoSignal::chordStart(int chord) const
{
    return frames_ * chord / kChordCount;
}

double DemoSignal::sampleAt(std::int64_t position) const
{
    if (position < 0 || position >= frames_)
        return 0.0;
    int chord = kChordCount - 1;
    while (chord > 0 && position < chordStart(chord))
        --chord;
    const std::int64_t start = chordStart(chord);
    const std::int64_t end = chord + 1 < kChordCount ? chordStart(chord + 1) : frames_;
    const double sinceStart = static_cast<double>(position - start) / sampleRate_;
    const double untilEnd = static_cast<double>(end - position) / sampleRate_;
    const double length = static_cast<double>(end - start) / sampleRate_;
    const double attack = std::min(kAttackSeconds, length / 4.0);
    const double release = std::min(chord + 1 < kChordCount ? kReleaseSeconds : kFinalReleaseSeconds, length / 4.0);
    const double keyDown = smoothStep(sinceStart / attack);
    const double envelope = keyDown * smoothStep(untilEnd / release);

    const double noteGain = kPeakTarget / (kNotesPerChord * sumOfLevels() * (1.0 + kClickLevel));
    const double t = static_cast<double>(position) / sampleRate_;
    const double click = sinceStart < 12.0 * kClickSeconds ? std::exp(-sinceStart / kClickSeconds) : 0.0;
    double sum = 0.0;
    for (int note : kChords[static_cast<std::size_t>(chord)]) {
        const double frequency = noteFrequency(note);
        for (std::size_t h = 0; h < kHarmonicRatio.size(); ++h) {
            const double f = frequency * kHarmonicRatio[h];
            if (f < 0.45 * sampleRate_)
                sum += envelope * kHarmonicLevel[h] * std::sin(2.0 * std::numbers::pi * f * t);
        }
        // The contacts closing: a short burst of high partials, rising with the key so that
        // it colours the attack instead of starting as a step.
        if (click > 0.0) {
            const double fc = std::min(frequency * 23.0, 0.4 * sampleRate_);
            sum += keyDown * click * kClickLevel * sumOfLevels() *
                   (0.6 * std::sin(2.0 * std::numbers::pi * fc * sinceStart) +
                    0.4 * std::sin(2.0 * std::numbers::pi * fc * 1.37 * sinceStart));
        }
    }
    return noteGain * sum;
}

void DemoSignal::render(std::int64_t position, double* out, int count) const
{
    for (int i = 0; i < count; ++i)
        out[i] = sampleAt(position + i);
}

std::vector<LeverStep> demoLeverSequence(std::int64_t frames)
{
    return {{frames * 25 / 100, 1.0f}, {frames * 65 / 100, 0.0f}};
}

} // namespace kestro::render
