// The demo signal: an organ-like chord sequence a newcomer can hear the cabinet with. These
// check what makes it useful as a demo (audible, not clipping, chords that start and stop as
// keys do without ticking, a click, harmonics of the chord) and what makes the render reproducible (same samples however it is cut up).

#include "tools/tav-render/demo_signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace kestro::render {
namespace {

constexpr double kRate = 44100.0;

double rms(const std::vector<double>& x, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += x[i] * x[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

// Energy of the first difference relative to the signal's: a rough measure of brightness.
double brightness(const std::vector<double>& x, std::size_t from, std::size_t to)
{
    double edge = 0.0;
    double level = 0.0;
    for (std::size_t i = from + 1; i < to; ++i) {
        edge += (x[i] - x[i - 1]) * (x[i] - x[i - 1]);
        level += x[i] * x[i];
    }
    return edge / level;
}

// Amplitude of one frequency over a Hann-windowed stretch (a single-bin correlation).
double amplitudeAt(const std::vector<double>& x, std::size_t from, std::size_t to, double frequency)
{
    double re = 0.0;
    double im = 0.0;
    const double length = static_cast<double>(to - from);
    for (std::size_t i = from; i < to; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i - from) / length);
        const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kRate;
        re += window * x[i] * std::cos(phase);
        im += window * x[i] * std::sin(phase);
    }
    return 4.0 * std::hypot(re, im) / length;
}

std::vector<double> renderAll(const DemoSignal& signal)
{
    std::vector<double> samples(static_cast<std::size_t>(signal.frames()));
    signal.render(0, samples.data(), static_cast<int>(samples.size()));
    return samples;
}

TEST(DemoSignal, LevelAndShapeMakeAUsableDemo)
{
    const DemoSignal signal(kRate, static_cast<std::int64_t>(4.0 * kRate));
    const std::vector<double> x = renderAll(signal);

    double peak = 0.0;
    for (double v : x) {
        ASSERT_TRUE(std::isfinite(v));
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_GT(peak, 0.15) << "too quiet to be a demo";
    EXPECT_LT(peak, 0.95) << "must leave headroom for the amplifier";

    const auto ms = [](double m) { return static_cast<std::size_t>(m * kRate / 1000.0); };
    for (int chord = 0; chord < DemoSignal::kChordCount; ++chord) {
        const auto start = static_cast<std::size_t>(signal.chordStart(chord));
        // Played, not swelled: 10..20 ms after the key the chord already sounds at its
        // held level (the click has died away by then).
        const double held = rms(x, start + ms(300), start + ms(400));
        EXPECT_NEAR(rms(x, start + ms(10), start + ms(20)), held, 0.25 * held) << "chord " << chord;
        // Key click: the first milliseconds of every chord are far brighter than the held chord.
        EXPECT_GT(brightness(x, start, start + ms(3)), 10.0 * brightness(x, start + ms(300), start + ms(400)))
            << "chord " << chord;
        // No tick: across the change the signal moves no faster from sample to sample than
        // the held chords beside it do (an abrupt start or stop steps several times further).
        const std::size_t from = start > ms(20) ? start - ms(20) : 0;
        double changeStep = 0.0;
        for (std::size_t i = from + 1; i < start + ms(20); ++i)
            changeStep = std::max(changeStep, std::fabs(x[i] - x[i - 1]));
        double heldStep = 0.0;
        for (std::size_t i = start + ms(300); i < start + ms(700); ++i)
            heldStep = std::max(heldStep, std::fabs(x[i] - x[i - 1]));
        EXPECT_LT(changeStep, 4.0 * heldStep) << "chord " << chord;
    }
    // The first chord is C: the 8' fundamental of C3 and its 16' sub-octave are there, a
    // frequency between the partials of the chord is not.
    const double c3 = 440.0 * std::pow(2.0, (48 - 69) / 12.0);
    const std::size_t from = ms(200);
    const std::size_t to = ms(900);
    EXPECT_GT(amplitudeAt(x, from, to, c3), 0.01);
    EXPECT_GT(amplitudeAt(x, from, to, c3 / 2.0), 0.01);
    EXPECT_LT(amplitudeAt(x, from, to, 115.0), 0.05 * amplitudeAt(x, from, to, c3));
    // It fades out at the end instead of stopping with a click.
    EXPECT_LT(std::fabs(x.back()), 1e-3);
}

TEST(DemoSignal, SamplesDependOnlyOnTheirPosition)
{
    const DemoSignal signal(48000.0, 20000);
    const std::vector<double> whole = [&] {
        std::vector<double> v(20000);
        signal.render(0, v.data(), 20000);
        return v;
    }();
    std::vector<double> pieces(20000);
    for (int start = 0; start < 20000;) {
        const int count = std::min(1 + (start * 7) % 511, 20000 - start);
        signal.render(start, pieces.data() + start, count);
        start += count;
    }
    EXPECT_EQ(whole, pieces);

    // Beyond either end: silence, also through the source the render loop reads.
    std::vector<double> outside(4, 1.0);
    signal.render(-2, outside.data(), 2);
    signal.render(20000, outside.data() + 2, 2);
    EXPECT_EQ(outside, std::vector<double>(4, 0.0));

    DemoSource source(signal);
    EXPECT_EQ(source.channels(), 1);
    EXPECT_EQ(source.frames(), 20000);
    std::vector<double> read(20000);
    ASSERT_TRUE(source.read(read.data(), 1000));
    ASSERT_TRUE(source.read(read.data() + 1000, 19000));
    EXPECT_EQ(read, whole);
}

TEST(DemoSignal, LeverSequenceGoesSlowFastSlow)
{
    const std::vector<LeverStep> steps = demoLeverSequence(1000);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].frame, 250);
    EXPECT_EQ(steps[0].lever, 1.0f);
    EXPECT_EQ(steps[1].frame, 650);
    EXPECT_EQ(steps[1].lever, 0.0f);
}

} // namespace
} // namespace kestro::render
