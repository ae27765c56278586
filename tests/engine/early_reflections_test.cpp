#include "engine/early_reflections.h"

#include "support/alloc_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

using kestro::EarlyReflections;

namespace {

constexpr double kRate = 22050.0;
constexpr double kSpeedOfSound = 340.29;
constexpr double kPathLeft[12] = {3.1, 4.3, 5.7, 6.3, 7.8, 8.3, 8.7, 9.3, 9.6, 10.5, 11.1, 11.7};
constexpr double kPathRight[12] = {3.0, 4.0, 4.8, 7.5, 8.1, 8.5, 9.1, 9.5, 9.9, 10.3, 10.9, 11.3};

double onePole(double hz, double rate) { return std::exp(-2.0 * std::numbers::pi * hz / rate); }

// Response of one side to an impulse, built tap by tap: the interpolated read puts the
// tap's gain on two neighbouring samples, then its one-pole low-pass smears it out.
std::vector<double> expectedImpulseResponse(const EarlyReflections& er, int firstTap, double outGain, int length) {
    std::vector<double> out(static_cast<std::size_t>(length), 0.0);
    for (int tap = firstTap; tap < firstTap + 12; ++tap) {
        const int d = er.tapDelay(tap);
        const double f = er.tapFraction(tap);
        const double g = er.tapGain(tap);
        const double c = er.tapCoefficient(tap);
        double s = 0.0;
        for (int n = 0; n < length; ++n) {
            const double v = g * ((n == d - 1 ? f : 0.0) + (n == d ? 1.0 - f : 0.0));
            s = c * s + (1.0 - c) * v;
            out[static_cast<std::size_t>(n)] += s * outGain;
        }
    }
    return out;
}

} // namespace

TEST(EarlyReflections, TapLayoutFollowsRoomGeometry) {
    auto er = std::make_unique<EarlyReflections>();
    er->computeReflections(1.0, 1.0, 0.15, 200.0, kRate);

    EXPECT_NEAR(er->normalisingLength(), 15.05, 1e-12);
    EXPECT_EQ(er->tapDelay(0), 200);
    EXPECT_NEAR(er->tapFraction(0), 3.1 * kRate / kSpeedOfSound - 200.0, 1e-5);
    EXPECT_NEAR(er->tapGain(0), std::pow(10.0, -3.1 / 15.05), 1e-15);
    for (int k = 0; k < 12; ++k) {
        EXPECT_NEAR(er->tapDelay(k) + er->tapFraction(k), kPathLeft[k] * kRate / kSpeedOfSound, 1e-4) << k;
        EXPECT_NEAR(er->tapDelay(12 + k) + er->tapFraction(12 + k), kPathRight[k] * kRate / kSpeedOfSound, 1e-4) << k;
        EXPECT_NEAR(er->tapGain(12 + k), std::pow(10.0, -kPathRight[k] / 15.05), 1e-15) << k;
        EXPECT_GE(er->tapFraction(k), 0.0f);
        EXPECT_LT(er->tapFraction(k), 1.0f);
    }

    // 0.93 and 0.97 of the main cutoff; the last two taps per side sit at 20 Hz.
    EXPECT_NEAR(er->tapCoefficient(0), onePole(186.0, kRate), 1e-11);
    EXPECT_NEAR(er->tapCoefficient(12), onePole(194.0, kRate), 1e-11);
    for (int tap : {10, 11, 22, 23}) EXPECT_NEAR(er->tapCoefficient(tap), onePole(20.0, kRate), 1e-11) << tap;

    // A bright room reaches the 20 kHz ceiling; the floor taps do not move.
    er->computeReflections(1.0, 1.0, 0.15, 30000.0, kRate);
    EXPECT_NEAR(er->tapCoefficient(0), onePole(20000.0, kRate), 1e-11);
    EXPECT_NEAR(er->tapCoefficient(11), onePole(20.0, kRate), 1e-11);

    // The virtual size and the offset change only the normalising length.
    er->computeReflections(2.0, 0.5, 1.5, 200.0, kRate);
    EXPECT_NEAR(er->normalisingLength(), 2.0 * 14.9 * 0.5 + 1.5, 1e-12);
    EXPECT_NEAR(er->tapGain(0), std::pow(10.0, -2.0 * 3.1 / 16.4), 1e-15);
    EXPECT_NEAR(er->tapDelay(0) + er->tapFraction(0), 2.0 * 3.1 * kRate / kSpeedOfSound, 1e-4);

    // The largest room at a high model rate still fits the line.
    er->computeReflections(4.0, 4.0, 1.5, 200.0, 192000.0);
    EXPECT_NEAR(er->tapDelay(11) + er->tapFraction(11), 46.8 * 192000.0 / kSpeedOfSound, 2e-3);
    EXPECT_LT(er->tapDelay(11), EarlyReflections::kLineLength / 2);
}

TEST(EarlyReflections, ImpulseComesBackAsTwelveFilteredTapsPerSide) {
    auto er = std::make_unique<EarlyReflections>();
    er->computeReflections(1.0, 1.0, 0.15, 5000.0, kRate);
    er->setOutputGain(0.5);

    constexpr int kLength = 8000;
    for (int side = 0; side < 2; ++side) {
        er->clear();
        std::vector<double> own, other;
        for (int n = 0; n < kLength; ++n) {
            const double x = n == 0 ? 1.0 : 0.0;
            double l = 0.0, r = 0.0;
            er->processReflections(side == 0 ? x : 0.0, side == 0 ? 0.0 : x, l, r);
            own.push_back(side == 0 ? l : r);
            other.push_back(side == 0 ? r : l);
        }
        const std::vector<double> want = expectedImpulseResponse(*er, side * 12, 0.5, kLength);
        double total = 0.0, gains = 0.0;
        for (int n = 0; n < kLength; ++n) {
            ASSERT_NEAR(own[static_cast<std::size_t>(n)], want[static_cast<std::size_t>(n)], 1e-11) << side << " at " << n;
            ASSERT_EQ(other[static_cast<std::size_t>(n)], 0.0) << side << " at " << n;
            total += own[static_cast<std::size_t>(n)];
        }
        // Nothing reaches the output before the first reflection can.
        for (int n = 0; n < er->tapDelay(side * 12) - 1; ++n) EXPECT_EQ(own[static_cast<std::size_t>(n)], 0.0);
        // Interpolation and low-pass keep each tap's energy: the whole response sums to its gains.
        for (int k = 0; k < 12; ++k) gains += er->tapGain(side * 12 + k);
        EXPECT_NEAR(total, 0.5 * gains, 1e-8);
    }
}

TEST(EarlyReflections, LineWrapsAndClearForgets) {
    auto fresh = std::make_unique<EarlyReflections>();
    auto worn = std::make_unique<EarlyReflections>();
    for (auto* er : {fresh.get(), worn.get()}) er->computeReflections(1.5, 1.0, 0.5, 800.0, kRate);
    double l = 0.0, r = 0.0;
    for (int n = 0; n < 70000; ++n) worn->processReflections(0.3, -0.2, l, r);
    worn->clear();
    EXPECT_EQ(worn->tapDelay(5), fresh->tapDelay(5));  // the taps survive a clear
    for (int n = 0; n < 2000; ++n) {
        const double x = n == 0 ? 1.0 : 0.0;
        double fl = 0.0, fr = 0.0, wl = 0.0, wr = 0.0;
        fresh->processReflections(x, -x, fl, fr);
        worn->processReflections(x, -x, wl, wr);
        ASSERT_EQ(fl, wl) << n;
        ASSERT_EQ(fr, wr) << n;
    }
}

TEST(EarlyReflections, InvalidRoomNeverReadsOutsideTheLines) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case { double s, v, o, m, rate; };
    const Case cases[] = {{nan, 1, 0.15, 200, kRate}, {1, 1, 0.15, 200, nan}, {inf, 1, 0.15, 200, kRate},
                          {-3, 1, 0.15, 200, kRate},  {1, 1, 0.15, 200, -kRate}, {1, 1, 0.15, 200, 1e12},
                          {1, nan, nan, nan, kRate},  {1, 1, 0.15, 200, 0.0}};
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (const Case& c : cases) {
        auto er = std::make_unique<EarlyReflections>();
        er->computeReflections(c.s, c.v, c.o, c.m, c.rate);
        for (int tap = 0; tap < EarlyReflections::kTaps; ++tap) {
            EXPECT_GE(er->tapDelay(tap), 0);
            EXPECT_LT(er->tapDelay(tap), EarlyReflections::kLineLength - 1);
            EXPECT_TRUE(std::isfinite(er->tapGain(tap)));
            EXPECT_GE(er->tapCoefficient(tap), 0.0);
            EXPECT_LT(er->tapCoefficient(tap), 1.0);
        }
        for (int n = 0; n < 3000; ++n) {
            double l = 0.0, r = 0.0;
            er->processReflections(noise(rng), noise(rng), l, r);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << c.s << " " << c.rate << " at " << n;
        }
    }
}

TEST(EarlyReflections, ProcessingDoesNotAllocate) {
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    auto er = std::make_unique<EarlyReflections>();
    er->computeReflections(1.0, 1.0, 0.15, 2000.0, kRate);
    double l = 0.0, r = 0.0, sink = 0.0;
    kestro::test::AllocationCounter counter;
    for (int n = 0; n < 20000; ++n) {
        er->setOutputGain(0.9);
        er->processReflections(std::sin(0.01 * n), 0.1, l, r);
        sink += l + r;
    }
    EXPECT_EQ(counter.stop(), 0);
    EXPECT_TRUE(std::isfinite(sink));
}
