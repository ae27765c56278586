#include "dsp/gliding_biquad_bank.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

namespace {

using kestro::BankResponse;
using kestro::BiquadFilter;
using kestro::GlidingBiquadBank;
using kestro::simd::Mask;
using kestro::simd::Pack;

using Bank = GlidingBiquadBank<8>;

// One sample of every lane, in packs of W.
template <int W>
[[gnu::always_inline]] inline std::array<double, 8> runBank(Bank& bank, const std::array<double, 8>& x,
                                                            unsigned activeLanes) {
    std::array<double, 8> y{};
    for (int first = 0; first < 8; first += W) {
        Mask<W> active = Mask<W>::none();
        for (int j = 0; j < W; ++j) active.m[j] = (activeLanes >> (first + j)) & 1u ? -1 : 0;
        const auto step = bank.glideStep<W>(first, active);
        bank.run<W>(first, active, step, Pack<W>::load(&x[static_cast<std::size_t>(first)]))
            .store(&y[static_cast<std::size_t>(first)]);
    }
    return y;
}
std::array<double, 8> runNarrow(Bank& b, const std::array<double, 8>& x, unsigned lanes) { return runBank<2>(b, x, lanes); }
KESTRO_WIDE_LANES std::array<double, 8> runWide(Bank& b, const std::array<double, 8>& x, unsigned lanes) {
    return runBank<4>(b, x, lanes);
}

// The bank's lanes against filters driven through the same calls: same glide timing, and
// coefficients and outputs equal up to the rounding of the design's sines and powers. A
// second bank runs four lanes at a time (where the processor can) and must agree exactly.
struct Rig {
    explicit Rig(BankResponse r) : narrow(r), wide(r) {
        wide.setWideLanes(true);
        for (BiquadFilter& f : filters) {
            f.init(44100.0, r == BankResponse::Peaking ? BiquadFilter::Peaking : BiquadFilter::LowPass, 1000.0, 0.707,
                   0.0);
            f.setEnabled(true);
        }
    }
    Bank narrow, wide;
    std::array<BiquadFilter, 8> filters;
    double worst = 0.0;

    template <class F>
    void all(F f) {
        f(narrow);
        f(wide);
    }

    void compare(const char* when) {
        for (int k = 0; k < 8; ++k) {
            const BiquadFilter& f = filters[static_cast<std::size_t>(k)];
            ASSERT_EQ(narrow.glideRemaining(k), f.glideRemaining()) << when << " lane " << k;
            const auto a = narrow.runningCoefficients(k);
            const auto b = f.runningCoefficients();
            for (auto [x, y] : {std::pair{a.a1, b.a1}, {a.a2, b.a2}, {a.b0, b.b0}, {a.b1, b.b1}, {a.b2, b.b2}})
                EXPECT_NEAR(x, y, 1e-14 * std::max(1.0, std::fabs(y))) << when << " lane " << k;
        }
    }

    void sample(const std::array<double, 8>& x, unsigned lanes) {
        const auto y = runNarrow(narrow, x, lanes);
        const auto yw = kestro::simd::wideLanesSupported() ? runWide(wide, x, lanes) : runNarrow(wide, x, lanes);
        for (std::size_t i = 0; i < 8; ++i) {
            if (((lanes >> i) & 1u) == 0) continue;
            EXPECT_EQ(y[i], yw[i]) << "lane " << i;
            const double e = filters[i].processGliding(x[i]);
            worst = std::max(worst, std::fabs(y[i] - e) / std::max(1.0, std::fabs(e)));
        }
    }
};

TEST(GlidingBiquadBank, LanesFollowTheirFiltersThroughSettingsGlidesAndRates) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (BankResponse response : {BankResponse::Peaking, BankResponse::LowPass}) {
        Rig rig(response);
        rig.compare("construction");
        for (double rate : {44100.0, 22050.0, 96000.0, 11025.0}) { // 11025 is rejected: 44100 Hz
            rig.all([&](Bank& b) { b.setSampleRate(rate); });
            for (BiquadFilter& f : rig.filters) f.setSampleRate(rate);
            rig.compare("rate");
            rig.all([](Bank& b) { b.setInstant(false); });
            for (BiquadFilter& f : rig.filters) f.setInstant(false);
            for (int n = 0; n < 3000; ++n) {
                // Only some lanes take part, as with rays a geometry does not use.
                unsigned lanes = 0;
                for (int k = 0; k < 8; ++k)
                    if ((n / 700 + k) % 5 != 0) lanes |= 1u << k;
                if (n % 16 == 0) {
                    for (int g = 0; g < 8; g += 4) {
                        double f[4], q[4], gain[4];
                        for (int j = 0; j < 4; ++j) {
                            f[j] = 300.0 + 5000.0 * unit(rng);
                            q[j] = 0.3 + 6.0 * unit(rng);
                            gain[j] = -28.0 + 35.0 * unit(rng);
                        }
                        const unsigned group = (lanes >> g) & 0xfu;
                        if (response == BankResponse::Peaking)
                            rig.all([&](Bank& b) { b.setAll(g, group, f, q, gain); });
                        else
                            rig.all([&](Bank& b) { b.setFrequencyAndQ(g, group, f, q); });
                        for (int j = 0; j < 4; ++j) {
                            if (((group >> j) & 1u) == 0) continue;
                            BiquadFilter& flt = rig.filters[static_cast<std::size_t>(g + j)];
                            if (response == BankResponse::Peaking) flt.setAll(f[j], q[j], gain[j]);
                            else flt.setFrequencyAndQ(f[j], q[j]);
                        }
                    }
                }
                std::array<double, 8> x;
                for (double& v : x) v = 2.0 * unit(rng) - 1.0;
                rig.sample(x, lanes);
                if (n % 250 == 0) rig.compare("running");
            }
            rig.all([](Bank& b) { b.setInstant(true); });
            for (BiquadFilter& f : rig.filters) f.setInstant(true);
        }
        EXPECT_LT(rig.worst, 1e-12);
    }
}

TEST(GlidingBiquadBank, LimitsAndUnusableValuesBehaveAsTheFiltersSetters) {
    Rig rig(BankResponse::LowPass);
    const double nan = std::nan("");
    const double f[4] = {0.0, 1e9, nan, 800.0};
    const double q[4] = {1e9, 0.0, 0.5, nan};
    rig.narrow.setFrequencyAndQ(0, 0xfu, f, q);
    for (int j = 0; j < 4; ++j) rig.filters[static_cast<std::size_t>(j)].setFrequencyAndQ(f[j], q[j]);
    for (int j = 0; j < 4; ++j) {
        const BiquadFilter& flt = rig.filters[static_cast<std::size_t>(j)];
        EXPECT_EQ(rig.narrow.frequency(j), flt.frequency()) << j;
        EXPECT_EQ(rig.narrow.q(j), flt.q()) << j;
    }
    rig.compare("limits");
    // Settings the fast design does not cover (a frequency beyond the rate, a zero or negative
    // frequency, an absurd gain) go through the library and still match.
    Rig peaking(BankResponse::Peaking);
    const double settings[][3] = {{30000.0, 1.0, 3.0}, {0.0, 1.0, 3.0}, {1000.0, 1.0, 9000.0}, {-50.0, 2.0, 1.0}};
    for (int j = 0; j < 4; ++j) {
        peaking.narrow.setAll(j, settings[j][0], settings[j][1], settings[j][2]);
        peaking.filters[static_cast<std::size_t>(j)].setAll(settings[j][0], settings[j][1], settings[j][2]);
    }
    for (int j = 0; j < 4; ++j) {
        const auto a = peaking.narrow.targetCoefficients(j);
        const auto b = peaking.filters[static_cast<std::size_t>(j)].targetCoefficients();
        for (auto [x, y] : {std::pair{a.a1, b.a1}, {a.a2, b.a2}, {a.b0, b.b0}, {a.b1, b.b1}, {a.b2, b.b2}}) {
            if (std::isnan(y)) EXPECT_TRUE(std::isnan(x)) << j;
            else EXPECT_NEAR(x, y, 1e-13 * std::max(1.0, std::fabs(y))) << j;
        }
    }
}

} // namespace
