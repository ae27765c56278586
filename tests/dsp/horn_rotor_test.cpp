#include "dsp/horn_rotor.h"
#include "dsp/table_readers.h"
#include "support/alloc_counter.h"
#include "rotor_test_signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

using kestro::HornRotor;
using kestro::RotorMotion;
using namespace kestro::test;

constexpr double kRate = 44100.0;
constexpr double kSpeedOfSound = 340.29;

// A primary (or secondary) voice turning steadily at speedHz from the first sample.
std::unique_ptr<HornRotor> makeHorn(double speedHz, int cascadeFlag = 1) {
    auto h = std::make_unique<HornRotor>(cascadeFlag, 0);
    h->setFlip(1.0);
    h->setSlowSpeed(speedHz);
    h->setFastSpeed(speedHz);
    h->setLever(1.0);
    h->setReflectionCoeff(0.25);
    h->setStaticFilterCutoff(2000.0);
    h->setStaticRayWeight(0.2);
    h->setSampleRate(kRate, 1); // puts the speed at its target
    h->reset();
    h->prepareFilters();
    h->rebuildGeometry();
    return h;
}

std::vector<double> run(HornRotor& h, const std::vector<double>& x, bool primary = true) {
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        y[i] = primary ? h.processPrimary(x[i]) : h.processSecondary(x[i]);
    return y;
}

// ---- motion ----------------------------------------------------------------------------

TEST(HornMotion, LeverSelectsSlowFastOrBlendAndFollowsSpeedChanges) {
    HornRotor h(1, 0);
    h.setSlowSpeed(0.8);
    h.setFastSpeed(6.8);
    EXPECT_EQ(h.motion().state(), RotorMotion::Unset);

    h.setLever(1.0);
    EXPECT_EQ(h.motion().state(), RotorMotion::Slow);
    EXPECT_DOUBLE_EQ(h.motion().speedTarget(), 0.8);

    h.setLever(0.0);
    EXPECT_EQ(h.motion().state(), RotorMotion::Fast);
    EXPECT_DOUBLE_EQ(h.motion().speedTarget(), 6.8);
    EXPECT_DOUBLE_EQ(h.motion().targetIncrement(), 6.8 / kRate);

    h.setLever(0.3);
    EXPECT_EQ(h.motion().state(), RotorMotion::Between);
    EXPECT_NEAR(h.motion().speedTarget(), 0.8 + 0.7 * (6.8 - 0.8), 1e-12);
    // Moving either end of the blend moves the target with it.
    h.setSlowSpeed(1.0);
    EXPECT_NEAR(h.motion().speedTarget(), 1.0 + 0.7 * (6.8 - 1.0), 1e-12);
    h.setFastSpeed(7.0);
    EXPECT_NEAR(h.motion().speedTarget(), 1.0 + 0.7 * (7.0 - 1.0), 1e-12);

    // A state's own speed only changes the target while in that state.
    h.setLever(1.0);
    h.setFastSpeed(5.0);
    EXPECT_DOUBLE_EQ(h.motion().speedTarget(), 1.0);
    h.setSlowSpeed(0.5);
    EXPECT_DOUBLE_EQ(h.motion().speedTarget(), 0.5);
}

TEST(HornMotion, BrakeHoldsTheLeverUntilReleased) {
    HornRotor h(1, 0);
    h.setSlowSpeed(0.8);
    h.setFastSpeed(6.8);
    h.setLever(1.0);
    h.setStop(1.0);
    EXPECT_EQ(h.motion().state(), RotorMotion::Stopped);
    EXPECT_EQ(h.motion().speedTarget(), 0.0);

    h.setLever(0.0); // stored, but the brake holds
    EXPECT_EQ(h.motion().state(), RotorMotion::Stopped);
    EXPECT_EQ(h.motion().speedTarget(), 0.0);

    h.setStop(0.49); // released: the stored lever applies
    EXPECT_EQ(h.motion().state(), RotorMotion::Fast);
    EXPECT_DOUBLE_EQ(h.motion().speedTarget(), 6.8);

    h.setStop(0.5); // 0.5 already brakes
    EXPECT_EQ(h.motion().state(), RotorMotion::Stopped);
}

// The speed glide is a one-pole with a 10 %-90 % rise time: from rest, 10 % of the target
// is passed right at the start (0.048 t) and 90 % at the rise time; braking mirrors it.
TEST(HornMotion, RiseTimeLawForAccelerationAndBraking) {
    const double fast = 6.8, accel = 0.5, decel = 1.25;
    auto h = makeHorn(0.0, 0);
    h->setFastSpeed(fast);
    h->setAccelTime(accel);
    h->setDecelTime(decel);
    ASSERT_EQ(h->speedHz(), 0.0);

    auto crossings = [&](double lo, double hi, bool rising) {
        long nLo = -1, nHi = -1;
        for (long n = 1; n < 5 * static_cast<long>(kRate); ++n) {
            h->processSecondary(0.0);
            const double s = h->speedHz();
            if (rising) {
                if (nLo < 0 && s >= lo) nLo = n;
                if (nHi < 0 && s >= hi) nHi = n;
            } else {
                if (nLo < 0 && s <= hi) nLo = n;
                if (nHi < 0 && s <= lo) nHi = n;
            }
            if (nLo >= 0 && nHi >= 0) break;
        }
        return std::pair<long, long>(nLo, nHi);
    };

    h->setLever(0.0);
    auto [n10, n90] = crossings(0.1 * fast, 0.9 * fast, true);
    ASSERT_GE(n10, 0);
    ASSERT_GE(n90, 0);
    EXPECT_NEAR(n10 / kRate, accel * 0.45511961331 * std::log(10.0 / 9.0), 2.0 / kRate);
    EXPECT_NEAR((n90 - n10) / kRate, accel, 2.0 / kRate);

    // Settle at the fast speed, then brake: the deceleration time applies.
    for (int n = 0; n < 4 * static_cast<int>(kRate); ++n) h->processSecondary(0.0);
    ASSERT_NEAR(h->speedHz(), fast, 1e-6);
    h->setStop(1.0);
    auto [m90, m10] = crossings(0.1 * fast, 0.9 * fast, false);
    ASSERT_GE(m90, 0);
    ASSERT_GE(m10, 0);
    EXPECT_NEAR((m10 - m90) / kRate, decel, 2.0 / kRate);
}

TEST(HornMotion, ClicksWhenLeavingTheStopAndWhenBraking) {
    HornRotor h(1, 0);
    h.setMechLevel(1.0);
    ASSERT_NE(h.noisePlayer(), nullptr);
    h.setSlowVolume(0.0); // only the click can be heard
    h.setFastVolume(0.0);
    h.setDecelVolume(0.0); // ...and first not even that
    h.setSlowSpeed(0.0);
    h.setFastSpeed(0.0);
    auto noiseEnergy = [&] {
        double e = 0.0;
        for (int n = 0; n < 6000; ++n) {
            h.processPrimary(0.0);
            e += h.noiseSample() * h.noiseSample();
        }
        return e;
    };
    // Silence is the band-pass tail of an earlier click dying away, far below hearing.
    constexpr double kSilent = 1e-20, kClick = 1e-9;
    h.setLever(1.0); // the first lever call starts nothing
    h.setStop(1.0);
    h.setStop(0.0);
    EXPECT_LT(noiseEnergy(), kSilent) << "clicks at the deceleration volume, here 0";

    h.setDecelVolume(1.0);
    h.setStop(1.0);
    EXPECT_GT(noiseEnergy(), kClick) << "braking a turning rotor clicks";
    h.setStop(1.0);
    EXPECT_LT(noiseEnergy(), kSilent) << "braking a stopped rotor does not";
    h.setLever(0.0); // held by the brake
    EXPECT_LT(noiseEnergy(), kSilent);
    h.setStop(0.0);
    EXPECT_GT(noiseEnergy(), kClick) << "leaving the stop clicks";
    h.setLever(0.5);
    EXPECT_LT(noiseEnergy(), kSilent);
}

TEST(HornMotion, UnusableSetterValuesNeitherBreakTheMotorNorTheRings) {
    auto h = makeHorn(6.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf}) {
        h->setLever(bad);
        h->setStop(bad);
        h->setSlowSpeed(bad);
        h->setFastSpeed(bad);
        h->setSpeedTarget(bad);
        h->setAccelTime(bad);
        h->setDecelTime(bad);
        h->setFmRadius(bad);
        h->setAmRadius(bad);
        h->setDistance(bad);
        h->setMicAngle(bad);
        h->setReflectionCoeff(bad);
        h->setAttenuation(bad);
        h->setAttDecayExp(bad);
        h->setAttenuationDistance(bad);
        h->setStaticFilterCutoff(bad);
        h->setReflectionLpf(bad);
        h->setFlip(bad);
        h->setRayWeight(0, bad);
        h->setRayWeight(99, 1.0);
    }
    h->rebuildGeometry();
    const std::vector<double> x = sine(700.0, kRate, 20000);
    for (double v : run(*h, x)) ASSERT_TRUE(std::isfinite(v));

    // Huge values: the rotor may sound odd, but phase, delays and tables stay in range.
    h->setSpeedTarget(1e12);
    h->setAccelTime(-1.0);
    h->setFmRadius(1e9);
    h->setDistance(1e300);
    h->setMicAngle(1e15);
    h->setAmRadius(-5.0);
    h->rebuildGeometry();
    for (int n = 0; n < 5000; ++n) {
        h->processPrimary(x[static_cast<std::size_t>(n)]);
        ASSERT_GE(h->rotationPhase(), 0.0);
        ASSERT_LT(h->rotationPhase(), 1.0);
    }
    h->setSpeedTarget(-1e12);
    for (int n = 0; n < 100; ++n) h->processSecondary(0.1);
    EXPECT_GE(h->rotationPhase(), 0.0);
    EXPECT_LT(h->rotationPhase(), 1.0);
}

// ---- rotation heard ----------------------------------------------------------------------

// A steady sine through a turning horn comes out amplitude- and frequency-modulated, with
// the period of one turn.
TEST(HornRotation, ModulationPeriodIsOneTurn) {
    const double speed = 5.0;
    auto h = makeHorn(speed);
    const std::size_t block = 40; // whole cycles of the input
    const double f = kRate / static_cast<double>(block);
    const std::vector<double> y = run(*h, sine(f, kRate, static_cast<std::size_t>(2.6 * kRate)));
    const std::size_t settle = static_cast<std::size_t>(0.2 * kRate);

    const double turnInBlocks = kRate / speed / static_cast<double>(block); // 220.5
    double peak = 0.0;
    const double am = autocorrelationPeriod(blockRms(y, settle, block),
                                            static_cast<std::size_t>(0.6 * turnInBlocks),
                                            static_cast<std::size_t>(1.6 * turnInBlocks), &peak);
    EXPECT_NEAR(am, turnInBlocks, 0.01 * turnInBlocks);
    EXPECT_GT(peak, 0.9);

    // Instantaneous frequency per input cycle, from the zero crossings.
    const std::vector<double> t = upwardCrossings(y, settle);
    std::vector<double> freq;
    for (std::size_t i = 1; i < t.size(); ++i) freq.push_back(kRate / (t[i] - t[i - 1]));
    double lo = *std::min_element(freq.begin(), freq.end());
    double hi = *std::max_element(freq.begin(), freq.end());
    EXPECT_GT(hi - lo, 1.0) << "the pitch moves";
    const double fm = autocorrelationPeriod(freq, static_cast<std::size_t>(0.6 * turnInBlocks),
                                            static_cast<std::size_t>(1.6 * turnInBlocks), &peak);
    EXPECT_NEAR(fm, turnInBlocks, 0.01 * turnInBlocks);
    EXPECT_GT(peak, 0.8);
}

// The Doppler shift of the direct ray: its delay moves by m x FM radius, with m = sin(theta)
// and theta running through the beam at pi / (2w) per turn on the mouth's narrow side, so
// the largest frequency deviation is f x (FM / c) x speed x pi / (2w). Measured as the
// difference between the same voice with and without FM radius, which cancels everything
// the beam coloration does to the phase.
TEST(HornRotation, DopplerDeviationMatchesTheBeamGeometry) {
    const double speed = 5.0, fmRadius = 0.18, amRadius = 0.18, distance = 1.0;
    const double f = 300.0;
    auto make = [&](double fmR) {
        auto h = makeHorn(speed);
        for (int k = 1; k < HornRotor::kRayWeights; ++k) h->setRayWeight(k, 0.0);
        h->setRayWeight(0, 1.0);
        h->setStaticRayWeight(0.0);
        h->setAmRadius(amRadius);
        h->setDistance(distance);
        h->setFmRadius(fmR);
        h->rebuildGeometry();
        return h;
    };
    const std::vector<double> x = sine(f, kRate, static_cast<std::size_t>(2.5 * kRate));
    auto withFm = make(fmRadius);
    auto without = make(0.0);
    const std::size_t settle = static_cast<std::size_t>(0.2 * kRate);
    const std::vector<double> ta = upwardCrossings(run(*withFm, x), settle);
    const std::vector<double> tb = upwardCrossings(run(*without, x), settle);
    ASSERT_GT(ta.size(), 100u);

    // Pair the crossings (the delay difference stays well below half a cycle).
    std::size_t shift = 0;
    while (shift + 1 < tb.size() && std::fabs(tb[shift + 1] - ta[0]) < std::fabs(tb[shift] - ta[0]))
        ++shift;
    double peak = 0.0, peakDelay = 0.0;
    for (std::size_t i = 0; i + 1 < ta.size() && i + shift + 1 < tb.size(); ++i) {
        const double dev = kRate / (ta[i + 1] - ta[i]) - kRate / (tb[i + shift + 1] - tb[i + shift]);
        peak = std::max(peak, std::fabs(dev));
        peakDelay = std::max(peakDelay, std::fabs(ta[i] - tb[i + shift]));
    }
    const double w0 = std::acos(amRadius / distance) / (2.0 * M_PI);
    const double expected = f * fmRadius / kSpeedOfSound * speed * M_PI / (2.0 * w0);
    EXPECT_NEAR(peak, expected, 0.1 * expected);
    // The delay itself swings by the FM radius either way.
    EXPECT_NEAR(peakDelay, fmRadius * kRate / kSpeedOfSound, 0.05 * fmRadius * kRate / kSpeedOfSound);
}

TEST(HornRotation, StoppedRotorGivesASteadyOutput) {
    auto h = makeHorn(0.0);
    const std::size_t block = 40;
    const std::vector<double> y =
        run(*h, sine(kRate / static_cast<double>(block), kRate, static_cast<std::size_t>(kRate)));
    const std::size_t settle = static_cast<std::size_t>(0.4 * kRate);
    const std::vector<double> e = blockRms(y, settle, block);
    const auto [lo, hi] = std::minmax_element(e.begin(), e.end());
    ASSERT_GT(*lo, 1e-4);
    EXPECT_LT(*hi / *lo - 1.0, 1e-6);
    const std::vector<double> t = upwardCrossings(y, settle);
    for (std::size_t i = 2; i < t.size(); ++i)
        EXPECT_NEAR(t[i] - t[i - 1], static_cast<double>(block), 1e-6);
}

// ---- geometry ------------------------------------------------------------------------

struct Placement {
    double angle, distance;
    int visibility;
};

// Hand geometry: mouth depth 0.235 m, edges 0.24 (A) and 0.43 m (B) with orientation +1.
TEST(HornGeometry, VisibilityAndPathLengthsForSeveralPlacements) {
    const Placement cases[] = {
        {0.0, 1.0, 1},   // in front
        {0.25, 1.0, 2},  // side, beyond edge B
        {-0.25, 1.5, 0}, // other side, beyond edge A
        {0.5, 0.6, 1},   // behind
        {0.3, 1.0, 0},   // rear side: cases 0 and 2 swap behind the horn
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << " distance " << c.distance);
        auto h = makeHorn(0.0);
        h->setMicAngle(c.angle);
        h->setDistance(c.distance);
        h->rebuildGeometry();
        EXPECT_EQ(h->visibilityCase(), c.visibility);

        const double side = (c.angle >= -0.25 && c.angle <= 0.25) ? 1.0 : -1.0;
        const double P = 0.235 * side, Q = P, R = 0.24 * side, W = 0.43 * side;
        const double mx = c.distance * std::cos(2 * M_PI * (c.angle - 0.25));
        const double my = c.distance * std::sin(2 * M_PI * (c.angle - 0.25));
        struct Pt {
            double x, y;
        };
        std::vector<Pt> img = {{0, 0},        {0, 2 * Q},         {2 * W, 2 * Q},
                               {-2 * R, 2 * Q}, {2 * R + 2 * W, 2 * Q}, {-2 * R - 2 * W, 2 * Q},
                               {2 * W, 0},    {-2 * R, 0}};
        const double y4 = 4 * Q + 2 * P, y6 = 6 * Q + 4 * P;
        if (c.visibility == 0)
            img.insert(img.end(), {{6 * W, 0}, {4 * W + 2 * R, y4}, {4 * R + 6 * W, 0}, {4 * R + 6 * W, y6}});
        else if (c.visibility == 1)
            img.insert(img.end(), {{0, y4}, {4 * W + 2 * R, y4}, {-4 * R - 2 * W, y4}, {0, y6}});
        else
            img.insert(img.end(),
                       {{-6 * R, 0}, {-4 * R - 2 * W, y4}, {-4 * R - 2 * W, 0}, {-6 * R - 4 * W, y6}});
        for (int k = 0; k < 12; ++k) {
            const double L = std::hypot(img[static_cast<std::size_t>(k)].x - mx,
                                        img[static_cast<std::size_t>(k)].y - my);
            EXPECT_NEAR(h->ray(k).length, L, 1e-9) << "ray " << k;
            if (L > 0.18) {
                EXPECT_NEAR(h->ray(k).width, std::acos(0.18 / L) / (2 * M_PI), 1e-9) << "ray " << k;
            } else {
                // An image source closer than the mouth radius has no beam edge left: the
                // width collapses to a sliver instead of becoming undefined.
                EXPECT_GT(h->ray(k).width, 0.0) << "ray " << k;
                EXPECT_LT(h->ray(k).width, 1e-5) << "ray " << k;
            }
        }
        // The direct ray's angle is the microphone's direction from the mouth.
        EXPECT_NEAR(std::fabs(h->ray(0).angle), std::acos(-my / c.distance) / (2 * M_PI), 1e-9);
    }
}

TEST(HornGeometry, OpenBackHalvesReflectionsOnlyWhenTheBackFacesTheMicrophone) {
    auto h = makeHorn(0.0); // microphone in front: case 1
    h->setOpenBackMode(1);
    h->setFlip(-1.0);
    h->rebuildGeometry();
    EXPECT_DOUBLE_EQ(h->reflectionScale(), 0.5011872336272722);
    h->setFlip(1.0);
    h->rebuildGeometry();
    EXPECT_DOUBLE_EQ(h->reflectionScale(), 1.0);
    h->setFlip(-1.0);
    h->setOpenBackMode(0);
    h->rebuildGeometry();
    EXPECT_DOUBLE_EQ(h->reflectionScale(), 1.0);
}

TEST(HornGeometry, AttenuationTableFallsWithDistanceThenHolds) {
    auto h = makeHorn(0.0);
    h->setAttenuation(1.5);
    h->setAttenuationDistance(1.0);
    h->setAttDecayExp(1.0);
    h->rebuildGeometry();
    EXPECT_NEAR(h->attenuationTableEntry(0), std::pow(0.18 / 0.3, 1.5), 1e-12);
    // Strictly falling within the attenuation distance (100 steps of 1 cm), flat beyond.
    for (int i = 1; i <= 99; ++i)
        EXPECT_LT(h->attenuationTableEntry(i), h->attenuationTableEntry(i - 1)) << i;
    for (int i = 101; i < 512; ++i)
        EXPECT_EQ(h->attenuationTableEntry(i), h->attenuationTableEntry(100)) << i;
    // Near the mouth it falls like distance^-a: 1 cm further from 0.12 m.
    EXPECT_NEAR(h->attenuationTableEntry(1) / h->attenuationTableEntry(0),
                std::pow(0.12 / 0.13, (1.0 - 0.01) * 1.5), 1e-12);
    EXPECT_EQ(h->distanceGain(0.0), h->attenuationTableEntry(0));
    EXPECT_EQ(h->distanceGain(2.0), h->attenuationTableEntry(511));
}

// The room return is scaled up for a distant microphone; the secondary voice compensates
// fully, the primary to the power 0.7. The direct sound is about 1.5 dB louder with the
// microphone at its nearest (0.35 m) and 2.5 dB quieter at 2 m.
TEST(HornGeometry, DistantMicrophonesGetMoreRoomAndLessDirectSound) {
    double lastScale = 0.0, lastGain = 1e9;
    for (double d : {0.35, 0.6, 1.0, 1.65, 2.0}) {
        SCOPED_TRACE(d);
        auto primary = makeHorn(0.0, 1);
        auto secondary = makeHorn(0.0, 0);
        for (HornRotor* h : {primary.get(), secondary.get()}) {
            h->setDistance(d);
            h->setAmRadius(0.2);
            h->rebuildGeometry();
        }
        EXPECT_GE(primary->attenuationScale(), lastScale); // flat beyond the attenuation distance
        EXPECT_GE(primary->attenuationScale(), 1.0);
        EXPECT_NEAR(std::pow(secondary->attenuationScale(), 0.7), primary->attenuationScale(),
                    1e-12 * primary->attenuationScale());
        EXPECT_LT(primary->outputGain(), lastGain);
        lastScale = primary->attenuationScale();
        lastGain = primary->outputGain();
        if (d == 0.35) {
            EXPECT_NEAR(20.0 * std::log10(primary->outputGain()), 1.46, 0.02);
        }
        if (d == 2.0) {
            EXPECT_NEAR(20.0 * std::log10(primary->outputGain()), -2.55, 0.02);
        }
    }
}

TEST(HornGeometry, FlipAppliesOnlyOnChange) {
    HornRotor h(1, 0);
    EXPECT_EQ(h.orientation(), 0.0); // construction's flip left the sentinel
    EXPECT_EQ(h.edgeA(), 0.43);
    h.setFlip(1.0);
    EXPECT_EQ(h.edgeA(), 0.24);
    EXPECT_EQ(h.edgeB(), 0.43);
    EXPECT_NEAR(h.halfWidthA(), std::atan(0.24 / 0.235) / (2 * M_PI), 1e-15);

    // The same orientation again keeps everything, rings included.
    auto a = makeHorn(3.0);
    auto b = makeHorn(3.0);
    const std::vector<double> x = sine(500.0, kRate, 6000);
    for (std::size_t i = 0; i < 3000; ++i) ASSERT_EQ(a->processPrimary(x[i]), b->processPrimary(x[i]));
    a->setFlip(1.0);
    for (std::size_t i = 3000; i < 6000; ++i) ASSERT_EQ(a->processPrimary(x[i]), b->processPrimary(x[i]));
    // A new orientation turns the mouth half a turn.
    a->setFlip(-1.0);
    a->processPrimary(0.0);
    EXPECT_DOUBLE_EQ(a->motion().phaseOffset(), 0.5);
    EXPECT_EQ(a->edgeA(), 0.43);
}

// ---- real-time safety ----------------------------------------------------------------------

TEST(HornRotor, NoAllocationWhileProcessingOrRebuilding) {
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    auto primary = makeHorn(6.0, 1);
    auto secondary = makeHorn(6.0, 0);
    const std::vector<double> x = sine(440.0, kRate, 4096);
    kestro::test::AllocationCounter counter;
    for (double v : x) {
        primary->processPrimary(v);
        secondary->processSecondary(v);
    }
    primary->setFlip(-1.0);
    primary->setDistance(1.2);
    primary->setFilterSaturation(0.1);
    primary->setStop(1.0);
    for (double v : x) primary->processPrimary(v);
    for (HornRotor* h : {primary.get(), secondary.get()}) {
        h->setSampleRate(22050.0, 2);
        h->reset();
        h->prepareFilters();
        h->rebuildGeometry();
    }
    for (double v : x) primary->processPrimary(v);
    EXPECT_EQ(counter.stop(), 0);
}

} // namespace
