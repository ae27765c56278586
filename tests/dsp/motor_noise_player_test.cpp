#include "dsp/motor_noise_player.h"
#include "dsp/tables/motor_noise_tables.h"

#include "support/alloc_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kestro {
namespace {

using Kind = MotorNoisePlayer::Kind;

constexpr double kRate = 44100.0;

// Speed in turns per sample at a fraction x of the way between the two thresholds.
double between(double x, double rate = kRate) { return (0.78 + x * (7.5 - 0.78)) / rate; }

std::vector<double> run(MotorNoisePlayer& p, int samples, double speed, double angle = 0.0) {
    std::vector<double> out(static_cast<std::size_t>(samples));
    for (double& y : out) {
        p.setInputs(1.0, angle, speed);
        y = p.process();
    }
    return out;
}

double peak(const std::vector<double>& x, std::size_t from = 0) {
    double m = 0.0;
    for (std::size_t i = from; i < x.size(); ++i) m = std::max(m, std::fabs(x[i]));
    return m;
}

double weightAfter(MotorNoisePlayer& p, double speed, bool slow) {
    p.setInputs(1.0, 0.0, speed);
    p.process();
    return slow ? p.slowWeight() : p.fastWeight();
}

TEST(MotorNoisePlayer, WeightsCrossfadeBetweenTheThresholds) {
    struct Case {
        double speed, hornSlow, hornFast, drumSlow, drumFast;
    };
    const Case cases[] = {
        {0.0, 0.0, 0.0, 0.0, 0.0},
        {0.39 / kRate, 0.25, 0.0, 0.25, 0.0},
        {0.78 / kRate, 1.0, 0.0, 1.0, 0.0},
        {between(0.2), 0.25, 0.0016, std::pow(0.8, 0.25), 0.04},
        {between(0.4), 0.0, 0.0256, std::pow(0.6, 0.25), 0.16},
        {between(0.5), 0.0, 0.0625, std::pow(0.5, 0.25), 0.25},
        {7.5 / kRate, 0.0, 1.0, 0.0, 1.0},
        {20.0 / kRate, 0.0, 1.0, 0.0, 1.0},
    };
    MotorNoisePlayer horn(Kind::Horn, 0), drum(Kind::Drum, 0);
    for (const Case& c : cases) {
        EXPECT_NEAR(weightAfter(horn, c.speed, true), c.hornSlow, 1e-9) << c.speed * kRate;
        EXPECT_NEAR(horn.fastWeight(), c.hornFast, 1e-9) << c.speed * kRate;
        EXPECT_NEAR(weightAfter(drum, c.speed, true), c.drumSlow, 1e-9) << c.speed * kRate;
        EXPECT_NEAR(drum.fastWeight(), c.drumFast, 1e-9) << c.speed * kRate;
    }
    // The thresholds are in Hz, whatever the rate.
    horn.setSampleRate(96000.0);
    EXPECT_NEAR(weightAfter(horn, 0.78 / 96000.0, true), 1.0, 1e-9);
    EXPECT_NEAR(weightAfter(horn, 7.5 / 96000.0, false), 1.0, 1e-9);
}

TEST(MotorNoisePlayer, WeightsMoveWithoutJumpsAsTheRotorSpeedsUp) {
    for (Kind kind : {Kind::Horn, Kind::Drum}) {
        MotorNoisePlayer p(kind, 0);
        double lastSlow = 0.0, lastFast = 0.0, maxJump = 0.0;
        const int steps = 100000;
        for (int k = 0; k <= steps; ++k) {
            p.setInputs(1.0, 0.0, 10.0 / kRate * k / steps);
            p.process();
            maxJump = std::max({maxJump, std::fabs(p.slowWeight() - lastSlow),
                                std::fabs(p.fastWeight() - lastFast)});
            lastSlow = p.slowWeight();
            lastFast = p.fastWeight();
        }
        // The drum's slow weight falls as a fourth root towards the high threshold, the
        // steepest legitimate step here is about 0.06.
        EXPECT_LT(maxJump, 0.08) << (kind == Kind::Horn ? "horn" : "drum");
    }
}

TEST(MotorNoisePlayer, StoppedRotorIsSilentExceptForARunningClick) {
    for (Kind kind : {Kind::Horn, Kind::Drum}) {
        for (double rate : {44100.0, 88200.0}) {
            MotorNoisePlayer p(kind, 0);
            p.setSampleRate(rate);
            EXPECT_EQ(peak(run(p, 4000, 0.0)), 0.0);

            p.triggerClick();
            EXPECT_TRUE(p.clickActive());
            const int clickSamples = static_cast<int>(3955 * rate / 44100.0);
            const auto during = run(p, clickSamples - 2, 0.0);
            EXPECT_TRUE(p.clickActive());
            EXPECT_GT(peak(during), 1e-3);
            const auto after = run(p, static_cast<int>(rate / 10), 0.0);
            EXPECT_FALSE(p.clickActive());
            // Only the band-pass rings out, then silence again.
            EXPECT_LT(peak(after, after.size() / 2), 1e-6);

            // The click's level is the deceleration volume at the moment it starts.
            p.setDecelVolume(0.0);
            p.triggerClick();
            p.setDecelVolume(1.0);
            EXPECT_LT(peak(run(p, clickSamples, 0.0)), 1e-6);
        }
    }
}

// The click is the recorded click 12 dB below the deceleration volume, through the same
// band-pass as the motor noise: rebuilt here from the table and a filter of our own.
TEST(MotorNoisePlayer, ClickSoundsTwelveDecibelsBelowTheDecelerationVolume) {
    MotorNoisePlayer p(Kind::Horn, 1);
    p.setSampleRate(kRate);
    p.setDecelVolume(0.6);
    p.triggerClick();
    const NoiseTable& click = clickNoise();
    BiquadFilter bandPass;
    bandPass.init(kRate, BiquadFilter::BandPass, 1100.0, 0.25 * p.distance() + 0.05, 0.0);
    bandPass.setEnabled(true);
    bandPass.setInstant(true);
    bandPass.setInstant(false);
    const double level = 0.6 * std::pow(10.0, -12.0 / 20.0) * p.distanceLevel();
    const std::vector<double> y = run(p, click.length, 0.0);
    const double scale = peak(y);
    ASSERT_GT(scale, 1e-3);
    for (int n = 0; n < click.length; ++n)
        ASSERT_NEAR(y[static_cast<std::size_t>(n)],
                    bandPass.processGliding(static_cast<double>(click.data[n])) * level, 1e-9 * scale) << n;
}

TEST(MotorNoisePlayer, HornSlowNoiseKeepsItsPitchWhateverTheSpeed) {
    // Below the low threshold only the weight depends on the speed: the waveform is the same
    // sample for sample, four times as loud at twice the speed.
    MotorNoisePlayer a(Kind::Horn, 1), b(Kind::Horn, 1);
    const auto slowOut = run(a, 20000, 0.3 / kRate);
    const auto fastOut = run(b, 20000, 0.6 / kRate);
    const double scale = peak(fastOut);
    ASSERT_GT(scale, 0.0);
    for (std::size_t i = 0; i < slowOut.size(); ++i)
        ASSERT_NEAR(fastOut[i], 4.0 * slowOut[i], 1e-9 * scale) << i;
}

// Rate of zero crossings, a rough measure of how high the noise sits.
double crossingsPerSample(const std::vector<double>& x) {
    int count = 0;
    for (std::size_t i = 1; i < x.size(); ++i) count += (x[i - 1] < 0.0) != (x[i] < 0.0);
    return static_cast<double>(count) / static_cast<double>(x.size());
}

TEST(MotorNoisePlayer, DrumSlowNoiseIsRepitchedWithTheSpeed) {
    // The read head covers the table five times slower than the rotor turns...
    MotorNoisePlayer a(Kind::Drum, 0), b(Kind::Drum, 0);
    run(a, 44100, 0.35 / kRate);
    run(b, 44100, 0.7 / kRate);
    EXPECT_NEAR(a.slowPosition(), 0.2 * 0.35, 1e-9);
    EXPECT_NEAR(b.slowPosition(), 0.2 * 0.7, 1e-9);
    // ...so the noise rises with the speed (the fixed band-pass keeps the rise of this rough
    // measure below the full factor of two).
    MotorNoisePlayer c(Kind::Drum, 0), d(Kind::Drum, 0);
    const double slowRate = crossingsPerSample(run(c, 60000, 0.35 / kRate));
    const double fastRate = crossingsPerSample(run(d, 60000, 0.7 / kRate));
    EXPECT_GT(fastRate / slowRate, 1.2);
    EXPECT_LT(fastRate / slowRate, 2.5);
    // The horn's slow noise at the same two speeds crosses zero equally often.
    MotorNoisePlayer e(Kind::Horn, 0), f(Kind::Horn, 0);
    EXPECT_NEAR(crossingsPerSample(run(e, 60000, 0.35 / kRate)) /
                    crossingsPerSample(run(f, 60000, 0.7 / kRate)),
                1.0, 1e-9);
}

TEST(MotorNoisePlayer, MicrophoneAngleIsAPlaceOnTheTurn) {
    // Above the high threshold only the fast noise plays. At 1/5000 turn per sample a quarter
    // turn is 1250 samples: the microphone a quarter turn on hears the same noise that much
    // earlier.
    for (Kind kind : {Kind::Horn, Kind::Drum}) {
        MotorNoisePlayer a(kind, 0), b(kind, 0);
        const double speed = 1.0 / 5000.0;
        const auto base = run(a, 12000, speed, 0.0);
        const auto turned = run(b, 12000, speed, 0.25);
        const double scale = peak(base);
        ASSERT_GT(scale, 0.0);
        for (std::size_t i = 4000; i < 10000; ++i)
            ASSERT_NEAR(turned[i], base[i + 1250], 1e-6 * scale) << i;
    }
}

TEST(MotorNoisePlayer, FlagAndKindSelectTheirOwnNoiseAndDistanceLaw) {
    MotorNoisePlayer horn0(Kind::Horn, 0), horn1(Kind::Horn, 1), drum0(Kind::Drum, 0), drum1(Kind::Drum, 1);
    EXPECT_NE(horn0.slowTable().data, horn1.slowTable().data);
    EXPECT_NE(drum0.slowTable().data, drum1.slowTable().data);
    EXPECT_NE(horn0.fastPhaseOffset(), horn1.fastPhaseOffset());
    EXPECT_NE(drum0.fastPhaseOffset(), drum1.fastPhaseOffset());
    horn0.setDistance(1.2);
    drum0.setDistance(1.2);
    EXPECT_NEAR(horn0.distanceLevel(), std::pow(0.25, 0.25), 1e-12);
    EXPECT_NEAR(drum0.distanceLevel(), std::pow(0.25, 0.1), 1e-12);
    EXPECT_NEAR(horn0.bandPass().q(), 0.35, 1e-12);
    EXPECT_NEAR(drum0.bandPass().q(), 0.149, 1e-12);
}

TEST(MotorNoisePlayer, DrumFiltersFollowTheSpeedBetweenTheThresholds) {
    MotorNoisePlayer p(Kind::Drum, 0);
    run(p, 10, between(0.5));
    EXPECT_NEAR(p.slowLowPass().frequency(), 18000.0 - 18000.0 * std::pow(0.5, 0.06), 1e-9);
    EXPECT_NEAR(p.fastHighShelf().frequency(), 3500.0 + 9500.0 * 0.25, 1e-9);
    EXPECT_NEAR(p.fastHighShelf().gainDb(), 12.0 * 0.25 - 12.0, 1e-12);
    // They are instant (a repeated update with the same speed changes nothing, which is why
    // the player may skip it); the final band-pass glides.
    EXPECT_TRUE(p.slowLowPass().instant());
    EXPECT_TRUE(p.fastHighShelf().instant());
    EXPECT_FALSE(p.bandPass().instant());
    // Outside the thresholds they stay where the speed left them.
    run(p, 10, 20.0 / kRate);
    EXPECT_NEAR(p.fastHighShelf().frequency(), 5875.0, 1e-9);
    // At a model rate where 13 kHz is above Nyquist the shelf is held below it.
    p.setSampleRate(22050.0);
    run(p, 10, between(1.0, 22050.0));
    EXPECT_LE(p.fastHighShelf().frequency(), 0.499 * p.fastHighShelf().sampleRate());
}

TEST(MotorNoisePlayer, UnsafeInputsNeverCorruptTheOutput) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (Kind kind : {Kind::Horn, Kind::Drum}) {
        MotorNoisePlayer p(kind, 1);
        for (double rate : {nan, 0.0, -5.0, inf, 8000.0}) {
            p.setSampleRate(rate);
            EXPECT_EQ(p.sampleRate(), 11025.0);
        }
        for (double d : {0.0, -1.0, nan}) {
            p.setDistance(d);
            EXPECT_TRUE(std::isfinite(p.distanceLevel()));
        }
        p.setDistance(inf);
        EXPECT_EQ(p.distanceLevel(), 0.0);
        p.setDistance(1.0);
        p.triggerClick();
        for (double speed : {nan, inf, -inf, 1e300, -1e300, 3.0 / 11025.0}) {
            for (double angle : {nan, inf, 1e300, 0.1}) {
                for (int k = 0; k < 50; ++k) {
                    p.setInputs(1.0, angle, speed);
                    ASSERT_TRUE(std::isfinite(p.process())) << speed << " " << angle;
                }
            }
        }
        // Afterwards the player still plays normally.
        const auto out = run(p, 5000, 9.0 / 11025.0);
        EXPECT_GT(peak(out), 0.0);
        EXPECT_TRUE(std::isfinite(peak(out)));
    }
}

TEST(MotorNoisePlayer, ProcessDoesNotAllocate) {
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    MotorNoisePlayer horn(Kind::Horn, 0), drum(Kind::Drum, 0);
    test::AllocationCounter counter;
    double sink = 0.0;
    for (int k = 0; k < 20000; ++k) {
        const double speed = 9.0 / kRate * k / 20000.0;
        if (k % 5000 == 0) {
            horn.triggerClick();
            drum.triggerClick();
        }
        horn.setInputs(0.5, 0.1, speed);
        drum.setInputs(0.5, 0.1, speed);
        sink += horn.process() + drum.process();
    }
    EXPECT_EQ(counter.stop(), 0);
    EXPECT_TRUE(std::isfinite(sink));
}

} // namespace
} // namespace kestro
