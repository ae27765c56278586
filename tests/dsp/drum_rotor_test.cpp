#include "dsp/drum_rotor.h"
#include "support/alloc_counter.h"
#include "rotor_test_signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using kestro::DrumRotor;
using namespace kestro::test;

constexpr double kRate = 44100.0;
constexpr double kSpeedOfSound = 340.29;

std::unique_ptr<DrumRotor> makeDrum(double speedHz, bool primary = true) {
    auto d = std::make_unique<DrumRotor>(primary);
    d->setFlip(1.0);
    d->setSlowSpeed(speedHz);
    d->setFastSpeed(speedHz);
    d->setLever(1.0);
    d->setReflectionCoeff(0.25);
    d->setStaticFilterCutoff(3000.0);
    d->setStaticRayWeight(1.0);
    d->setStaticLpGain(1.0);
    d->setSampleRate(kRate, 1);
    d->reset();
    d->prepareFilters();
    d->rebuildGeometry();
    return d;
}

double energy(const std::vector<double>& y, std::size_t from) {
    double s = 0.0;
    for (std::size_t i = from; i < y.size(); ++i) s += y[i] * y[i];
    return s;
}

// The splitter decides how much of the static ray counts as bass that must not pulsate.
TEST(DrumSplitter, HigherSplitterSendsMoreToTheLowOutput) {
    const std::vector<double> x = sine(150.0, kRate, static_cast<std::size_t>(0.5 * kRate));
    const std::size_t settle = static_cast<std::size_t>(0.2 * kRate);
    struct Result {
        double low, main;
    };
    auto measure = [&](double splitHz) {
        auto d = makeDrum(2.0);
        d->setSplitterFrequency(splitHz);
        std::vector<double> low, main;
        for (double v : x) {
            main.push_back(d->processPrimary(v));
            low.push_back(d->lowOutput());
        }
        return Result{energy(low, settle), energy(main, settle)};
    };
    const Result at50 = measure(50.0);
    const Result at500 = measure(500.0);
    EXPECT_GT(at500.low, 4.0 * at50.low);
    // ...and the rotating part keeps less of it.
    EXPECT_GT(at50.main, at500.main);
}

TEST(DrumSplitter, NoRayWeightsMeansNoLowOutput) {
    auto d = makeDrum(3.0);
    for (int k = 0; k < DrumRotor::kRayWeights; ++k) d->setRayWeight(k, 0.0);
    d->setSplitterFrequency(500.0);
    double mainEnergy = 0.0;
    for (double v : sine(120.0, kRate, 20000)) {
        mainEnergy += std::pow(d->processPrimary(v), 2);
        ASSERT_EQ(d->lowOutput(), 0.0);
    }
    EXPECT_GT(mainEnergy, 1.0) << "the static ray still sounds";
}

// The splitter is defined by its frequency, not by a share of the model rate: the low output
// answers a tone the same way at both model rates, and its corner moves with the frequency.
TEST(DrumSplitter, LowOutputFollowsTheSplitterFrequencyAtEveryModelRate) {
    auto lowAmplitude = [](int factor, double splitHz, double f) {
        const double rate = kRate / factor;
        auto d = makeDrum(0.0);
        d->setSampleRate(rate, factor);
        d->setSplitterFrequency(splitHz);
        d->reset();
        d->prepareFilters();
        d->rebuildGeometry();
        std::vector<double> low;
        for (double v : sine(f, rate, static_cast<std::size_t>(0.8 * rate))) {
            d->processPrimary(v);
            low.push_back(d->lowOutput());
        }
        return amplitudeAt(low, static_cast<std::size_t>(0.4 * rate), f, rate);
    };
    auto db = [](double x) { return 20.0 * std::log10(x); };
    for (double f : {100.0, 200.0, 400.0}) {
        const double full = lowAmplitude(1, 200.0, f);
        ASSERT_GT(full, 1e-3) << f;
        EXPECT_NEAR(db(lowAmplitude(2, 200.0, f) / full), 0.0, 0.2) << f << " Hz";
    }
    // A first-order corner an octave up lets a tone between the two through by about
    // 10 log10((1 + 4) / (1 + 1)) = 4 dB more.
    EXPECT_NEAR(db(lowAmplitude(1, 400.0, 400.0) / lowAmplitude(1, 200.0, 400.0)), 10.0 * std::log10(2.5), 0.15);
}

// The baffle's beam value is held at -0.7: the delay of the front ray swings by the whole
// FM radius towards the microphone... but only by 0.7 of it away from it. Measured as the
// arrival time of a sine's zero crossings with and without FM radius, which cancels the
// direction filter's phase.
TEST(DrumBeam, BeamValueIsHeldAtMinus07) {
    const double fm = 0.18;
    auto make = [&](double fmR) {
        auto d = makeDrum(1.5);
        for (int k = 1; k < DrumRotor::kRayWeights; ++k) d->setRayWeight(k, 0.0);
        d->setRayWeight(0, 1.0);
        d->setStaticRayWeight(0.0);
        d->setSplitterFrequency(20.0);
        d->setFmRadius(fmR);
        d->rebuildGeometry();
        return d;
    };
    const std::vector<double> x = sine(200.0, kRate, static_cast<std::size_t>(2.5 * kRate));
    auto a = make(fm);
    auto b = make(0.0);
    std::vector<double> ya, yb;
    for (double v : x) {
        ya.push_back(a->processPrimary(v));
        yb.push_back(b->processPrimary(v));
    }
    const std::size_t settle = static_cast<std::size_t>(0.3 * kRate);
    const std::vector<double> ta = upwardCrossings(ya, settle);
    const std::vector<double> tb = upwardCrossings(yb, settle);
    ASSERT_GT(ta.size(), 300u);
    std::size_t shift = 0;
    while (shift + 1 < tb.size() && std::fabs(tb[shift + 1] - ta[0]) < std::fabs(tb[shift] - ta[0]))
        ++shift;
    double later = 0.0, earlier = 0.0;
    for (std::size_t i = 0; i < ta.size() && i + shift < tb.size(); ++i) {
        const double dt = ta[i] - tb[i + shift];
        later = std::max(later, dt);
        earlier = std::min(earlier, dt);
    }
    const double full = fm * kRate / kSpeedOfSound;
    EXPECT_NEAR(later, full, 0.03 * full);
    EXPECT_NEAR(earlier, -0.7 * full, 0.03 * full);
}

TEST(DrumGeometry, SixRaysFromTheBaffleImages) {
    auto d = makeDrum(0.0);
    d->setMicAngle(0.1);
    d->setDistance(1.3);
    d->rebuildGeometry();
    const double mx = 1.3 * std::cos(2 * M_PI * (0.1 - 0.25));
    const double my = 1.3 * std::sin(2 * M_PI * (0.1 - 0.25));
    const double P = 0.235, R = 0.24, W = 0.43; // orientation +1, front side
    const double img[6][2] = {{0, 0}, {2 * W, 0}, {-2 * R, 0}, {0, 2 * P}, {2 * W, 2 * P}, {-2 * R, 2 * P}};
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(d->ray(k).length, std::hypot(img[k][0] - mx, img[k][1] - my), 1e-9) << k;
    EXPECT_EQ(d->ray(3).sign, -1.0);
    // phi0 = -acos(-my / L0) / 2pi = -0.1 turns: inside edge B's half-width (0.170).
    EXPECT_EQ(d->visibilityCase(), 1);
}

TEST(DrumRotor, PhaseTurnsUpwardsUnlikeTheHorn) {
    auto d = makeDrum(4.41, false);
    for (int n = 0; n < 100; ++n) d->processSecondary(0.0);
    EXPECT_NEAR(d->rotationPhase(), 100 * 4.41 / kRate, 1e-12);
}

TEST(DrumRotor, NoAllocationWhileProcessingOrRebuilding) {
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    auto primary = makeDrum(5.0, true);
    auto secondary = makeDrum(5.0, false);
    const std::vector<double> x = sine(110.0, kRate, 4096);
    kestro::test::AllocationCounter counter;
    for (double v : x) {
        primary->processPrimary(v);
        secondary->processSecondary(v);
    }
    primary->setFlip(-1.0);
    primary->setFilterSaturation(0.2);
    primary->setDistance(1.4);
    primary->setStop(1.0);
    for (double v : x) primary->processPrimary(v);
    for (DrumRotor* d : {primary.get(), secondary.get()}) {
        d->setSampleRate(22050.0, 2);
        d->reset();
        d->prepareFilters();
        d->rebuildGeometry();
    }
    for (double v : x) secondary->processSecondary(v);
    EXPECT_EQ(counter.stop(), 0);
}

} // namespace
