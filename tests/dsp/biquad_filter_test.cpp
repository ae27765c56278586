#include "dsp/biquad_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <random>

using kestro::BiquadCoefficients;
using kestro::BiquadFilter;
using cplx = std::complex<double>;

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = std::numbers::pi;

// How far each type narrows its Q towards Nyquist: (c, e); c = 0 means plain Q.
struct Narrowing { double c, e; };
constexpr Narrowing kNarrowing[11] = {
    {0, 0}, {0.5001, 6.0}, {0, 0}, {0.5001, 3.5}, {0.5001, 2.8}, {0.5001, 2.8},
    {0.5001, 2.8}, {0.5001, 4.0}, {0.50001, 8.0}, {0, 0}, {0, 0}};

double effectiveQ(int type, double rate, double f0, double q) {
    const Narrowing n = kNarrowing[type];
    return n.c == 0.0 ? q : (1.0 - std::pow(f0 / (n.c * rate), n.e)) * q;
}

// Expected response from the analog prototypes, mapped by the bilinear transform with the
// warp fixed at f0: on the unit circle s = j tan(w/2) / tan(w0/2). Independent of how the
// filter arrives at its digital coefficients. Type 9 (one pole) has no such prototype.
cplx prototype(int type, double q, double gainDb, cplx s) {
    const double A = std::pow(10.0, gainDb / 40.0);
    const double rA = std::sqrt(A);
    const cplx s2 = s * s;
    const cplx den = s2 + s / q + 1.0;
    switch (type) {
    case 1: return s2 / den;
    case 2: return s / (s + 1.0);
    case 3: return A * (s2 + rA / q * s + A) / (A * s2 + rA / q * s + 1.0);
    case 4: return (s2 + s * (A / q) + 1.0) / (s2 + s / (A * q) + 1.0);
    case 5: return (s / q) / den;
    case 6: return (s2 + 1.0) / den;
    case 7: return A * (A * s2 + rA / q * s + 1.0) / (s2 + rA / q * s + A);
    case 8: return 1.0 / den;
    case 10: return (s2 - s / q + 1.0) / den;
    default: return 1.0;
    }
}

cplx expected(int type, double rate, double f0, double q, double gainDb, double f, bool narrow = true) {
    const double qq = narrow ? effectiveQ(type, rate, f0, q) : q;
    const cplx s(0.0, std::tan(kPi * f / rate) / std::tan(kPi * f0 / rate));
    return prototype(type, qq, gainDb, s);
}

cplx responseOf(const BiquadCoefficients& c, double rate, double f) {
    const cplx z1 = std::polar(1.0, -2.0 * kPi * f / rate);
    return (c.b0 + c.b1 * z1 + c.b2 * z1 * z1) / (1.0 + c.a1 * z1 + c.a2 * z1 * z1);
}

// Steady-state amplitude of a sine of integer frequency f through `step`: one second of
// measurement holds a whole number of periods, so the projection has no leakage.
template <class Step>
double measuredGain(Step step, double f) {
    const double w = 2.0 * kPi * f / kRate;
    for (int n = 0; n < 8820; ++n) step(std::sin(w * n));
    double s = 0.0, c = 0.0;
    for (int n = 8820; n < 8820 + 44100; ++n) {
        const double y = step(std::sin(w * n));
        s += y * std::sin(w * n);
        c += y * std::cos(w * n);
    }
    return 2.0 / 44100.0 * std::hypot(s, c);
}

BiquadFilter makeFilter(int type, double f0, double q, double gainDb) {
    BiquadFilter flt;
    flt.init(kRate, type, f0, q, gainDb);
    flt.setEnabled(true);
    return flt;
}

struct Setting { double f0, q, gainDb; };
constexpr Setting kSettings[] = {{1000.0, 0.9, 6.0}, {15000.0, 2.0, -9.0}, {18000.0, 1.0, 3.0}};
constexpr double kProbe[] = {100.0, 1050.0, 4410.0, 11025.0, 15000.0, 17640.0, 20000.0};

} // namespace

TEST(BiquadFilter, SecondOrderTypesMatchTheirPrototypesWithNarrowedQ) {
    for (int type : {1, 2, 3, 4, 5, 6, 7, 8, 10}) {
        for (const Setting& st : kSettings) {
            const BiquadFilter flt = makeFilter(type, st.f0, st.q, st.gainDb);
            for (double f : kProbe) {
                const cplx want = expected(type, kRate, st.f0, st.q, st.gainDb, f);
                const cplx got = responseOf(flt.targetCoefficients(), kRate, f);
                EXPECT_LT(std::abs(got - want), 1e-9 * std::max(1.0, std::abs(want)))
                    << "type " << type << " f0 " << st.f0 << " at " << f << " Hz";
            }
            // Near Nyquist the narrowing must be visible, or the comparison above proves nothing.
            if (kNarrowing[type].c != 0.0 && st.f0 > 10000.0) {
                double apart = 0.0;
                for (double f : kProbe) {
                    const cplx plain = expected(type, kRate, st.f0, st.q, st.gainDb, f, false);
                    apart = std::max(apart, std::abs(plain - expected(type, kRate, st.f0, st.q, st.gainDb, f)));
                }
                EXPECT_GT(apart, 1e-3) << "type " << type;
            }
        }
    }
}

TEST(BiquadFilter, FirstOrderLowPassIsMinus3dBAtItsFrequency) {
    for (double f0 : {200.0, 3000.0, 12000.0}) {
        const BiquadFilter flt = makeFilter(9, f0, 0.707, 0.0);
        const BiquadCoefficients& c = flt.targetCoefficients();
        EXPECT_EQ(c.a2, 0.0);
        EXPECT_EQ(c.b1, 0.0);
        EXPECT_EQ(c.b2, 0.0);
        EXPECT_NEAR(std::abs(responseOf(c, kRate, 0.0)), 1.0, 1e-12);
        EXPECT_NEAR(std::abs(responseOf(c, kRate, f0)), std::sqrt(0.5), 1e-12);
    }
}

TEST(BiquadFilter, AllFourProcessFunctionsRealizeTheResponse) {
    for (int type = 1; type <= 10; ++type) {
        const Setting st = kSettings[type % 2];
        BiquadFilter flt = makeFilter(type, st.f0, st.q, st.gainDb);
        for (double f : {100.0, 4410.0, 17640.0}) {
            const double want = std::abs(responseOf(flt.targetCoefficients(), kRate, f));
            if (type != 9 && type != 2) {
                EXPECT_NEAR(want, std::abs(expected(type, kRate, st.f0, st.q, st.gainDb, f)), 1e-9);
            }
            const auto tol = 1e-6 * std::max(1.0, want);
            flt.reset();
            EXPECT_NEAR(measuredGain([&](double x) { return flt.process(x); }, f), want, tol) << type;
            flt.reset();
            EXPECT_NEAR(measuredGain([&](double x) { return flt.processSaturating(x); }, f), want, tol);
            flt.reset();
            EXPECT_NEAR(measuredGain([&](double x) { return flt.processGliding(x); }, f), want, tol);
            flt.reset();
            EXPECT_NEAR(measuredGain([&](double x) { return flt.processGlidingSaturating(x); }, f), want, tol);
        }
    }
}

TEST(BiquadFilter, StaysStableAtTheFrequencyAndQLimits) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (int type = 1; type <= 10; ++type) {
        for (double q : {0.0001, 1000.0}) {
            BiquadFilter flt = makeFilter(type, 1e9, q, 24.0);
            flt.setFrequencyAndQ(1e9, q);
            double peak = 0.0;
            for (int n = 0; n < 20000; ++n) peak = std::max(peak, std::fabs(flt.processGliding(noise(rng))));
            EXPECT_TRUE(std::isfinite(peak)) << "type " << type << " q " << q;
            EXPECT_LT(peak, 1e4) << "type " << type << " q " << q;
        }
    }
}

// Pole of the digital low-pass, from the analog pole by the bilinear map.
cplx lowPassPole(double f0, double q) {
    const double qq = effectiveQ(8, kRate, f0, q);
    const cplx sp(-1.0 / (2.0 * qq), -std::sqrt(1.0 - 1.0 / (4.0 * qq * qq)));
    const double k = 1.0 / std::tan(kPi * f0 / kRate);
    return (k + sp) / (k - sp);
}

TEST(BiquadFilter, GlideMovesPolesLinearlyAndArrivesAfterThreeMilliseconds) {
    BiquadFilter flt = makeFilter(8, 1000.0, 0.707, 0.0);
    flt.setInstant(false);
    EXPECT_EQ(flt.glideLength(), 132);
    const cplx from = lowPassPole(1000.0, 0.707);
    const cplx to = lowPassPole(5000.0, 0.707);
    const double gainFrom = flt.targetCoefficients().b0;

    flt.setFrequency(5000.0);
    const BiquadCoefficients target = flt.targetCoefficients();
    EXPECT_EQ(flt.glideRemaining(), 132);
    EXPECT_NEAR(std::abs(responseOf(target, kRate, 5000.0)), std::abs(expected(8, kRate, 5000.0, 0.707, 0.0, 5000.0)), 1e-9);
    // Until the gliding functions run, the running set still holds the old response.
    EXPECT_NE(flt.runningCoefficients().a1, target.a1);

    for (int n = 0; n < 66; ++n) flt.processGliding(0.0);
    const cplx mid = 0.5 * (from + to);
    const BiquadCoefficients& run = flt.runningCoefficients();
    EXPECT_NEAR(run.a1, -2.0 * mid.real(), 1e-12);
    EXPECT_NEAR(run.a2, std::norm(mid), 1e-12);
    EXPECT_NEAR(run.b0, 0.5 * (gainFrom + target.b0), 1e-12);
    // Gliding roots is not gliding coefficients.
    EXPECT_GT(std::fabs(run.a2 - 0.5 * (std::norm(from) + std::norm(to))), 1e-4);

    for (int n = 66; n < 131; ++n) flt.processGliding(0.0);
    EXPECT_EQ(flt.glideRemaining(), 1);
    EXPECT_NE(flt.runningCoefficients().a2, target.a2);
    flt.processGliding(0.0);
    EXPECT_EQ(flt.glideRemaining(), 0);
    EXPECT_EQ(flt.runningCoefficients().a1, target.a1);
    EXPECT_EQ(flt.runningCoefficients().a2, target.a2);
    EXPECT_EQ(flt.runningCoefficients().b0, target.b0);
    EXPECT_EQ(flt.runningCoefficients().b2, target.b2);

    // The glide length follows the rate; instant filters never glide.
    flt.setSampleRate(96000.0);
    EXPECT_EQ(flt.glideLength(), 288);
    flt.setInstant(true);
    flt.setFrequency(300.0);
    EXPECT_EQ(flt.glideRemaining(), 0);
    EXPECT_EQ(flt.runningCoefficients().a1, flt.targetCoefficients().a1);

    // Whatever an instant filter went through, its roots are those of its latest setting and
    // a glide starts from them.
    flt.setSampleRate(kRate);
    flt.setFrequency(700.0);
    flt.setFrequency(2000.0);
    const kestro::BiquadRoots& now = flt.runningRoots();
    EXPECT_NEAR(-(now.pole1Re + now.pole2Re), flt.targetCoefficients().a1, 1e-12);
    EXPECT_NEAR(now.pole1Re * now.pole2Re - now.pole1Im * now.pole2Im, flt.targetCoefficients().a2, 1e-12);
    flt.setInstant(false);
    flt.setFrequency(4000.0);
    for (int n = 0; n < 66; ++n) flt.processGliding(0.0);
    const cplx between = 0.5 * (lowPassPole(2000.0, 0.707) + lowPassPole(4000.0, 0.707));
    EXPECT_NEAR(flt.runningCoefficients().a1, -2.0 * between.real(), 1e-12);
    EXPECT_NEAR(flt.runningCoefficients().a2, std::norm(between), 1e-12);
}

TEST(BiquadFilter, TypeZeroAndUnknownTypesPassTheSignal) {
    for (int type : {0, 11, -3}) {
        BiquadFilter flt = makeFilter(type, 1000.0, 0.707, 12.0);
        for (double x : {0.25, -0.75, 3.0}) {
            EXPECT_EQ(flt.process(x), x);
            EXPECT_EQ(flt.processGliding(x), x);
        }
    }
    // Type 0 is a true bypass for the gliding functions: not even the denormal guard applies.
    BiquadFilter bypass = makeFilter(0, 1000.0, 0.707, 0.0);
    EXPECT_EQ(bypass.processGliding(1e-40), 1e-40);
    EXPECT_EQ(bypass.processGlidingSaturating(1e-40), 1e-40);
}

TEST(BiquadFilter, DisablingClearsHistoryAndPassesInput) {
    BiquadFilter flt = makeFilter(8, 500.0, 4.0, 0.0);
    flt.setInstant(false);
    for (int n = 0; n < 100; ++n) flt.processGliding(n % 7 == 0 ? 1.0 : -0.3);
    flt.setEnabled(false);
    EXPECT_EQ(flt.processGliding(0.125), 0.125);
    EXPECT_EQ(flt.processGlidingSaturating(-0.5), -0.5);

    // Switching back on does not glide and starts from silence.
    flt.setEnabled(true);
    BiquadFilter fresh = makeFilter(8, 500.0, 4.0, 0.0);
    for (int n = 0; n < 50; ++n) {
        const double x = std::sin(0.3 * n);
        EXPECT_EQ(flt.processGliding(x), fresh.processGliding(x)) << n;
    }
}

TEST(BiquadFilter, SettersKeepTheirLimits) {
    BiquadFilter flt;
    EXPECT_EQ(flt.sampleRate(), 44100.0);
    EXPECT_FALSE(flt.enabled());
    EXPECT_TRUE(flt.instant());
    EXPECT_EQ(flt.process(0.5), 0.5);

    for (double bad : {19999.0, 400001.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        flt.setSampleRate(bad);
        EXPECT_EQ(flt.sampleRate(), 44100.0);
        EXPECT_EQ(flt.glideLength(), 132);
    }
    flt.setSampleRate(20000.0);
    EXPECT_EQ(flt.glideLength(), 60);
    flt.setSampleRate(400000.0);
    EXPECT_EQ(flt.sampleRate(), 400000.0);
    flt.setSampleRate(48000.0);

    flt.setFrequency(0.0);
    EXPECT_EQ(flt.frequency(), 0.001);
    flt.setFrequency(30000.0);
    EXPECT_EQ(flt.frequency(), 0.499 * 48000.0);
    flt.setFrequency(std::numeric_limits<double>::infinity());
    EXPECT_EQ(flt.frequency(), 0.499 * 48000.0);
    flt.setFrequency(std::nan(""));  // ignored: the filter must not be poisoned
    EXPECT_EQ(flt.frequency(), 0.499 * 48000.0);

    flt.setQ(0.0);
    EXPECT_EQ(flt.q(), 0.0001);
    flt.setQ(5000.0);
    EXPECT_EQ(flt.q(), 1000.0);
    flt.setFrequencyAndQ(-5.0, 1e-9);
    EXPECT_EQ(flt.frequency(), 0.001);
    EXPECT_EQ(flt.q(), 0.0001);
    flt.setGain(2000.0);
    EXPECT_EQ(flt.gainDb(), 1000.0);
    flt.setGain(-2000.0);
    EXPECT_EQ(flt.gainDb(), -1000.0);
    flt.setBias(0.3);
    EXPECT_EQ(flt.bias(), 0.25);
    flt.setBias(-1.0);
    EXPECT_EQ(flt.bias(), -0.25);

    flt.setAll(30000.0, 0.0, 5000.0);
    EXPECT_EQ(flt.frequency(), 30000.0);
    EXPECT_EQ(flt.q(), 0.0);
    EXPECT_EQ(flt.gainDb(), 5000.0);

    // A rate init takes unchecked must still give a sane glide length.
    flt.init(std::nan(""), 8, 1000.0, 0.7, 0.0);
    EXPECT_EQ(flt.glideLength(), 0);
    flt.setInstant(false);
    flt.setEnabled(true);
    flt.setFrequency(2000.0);
    EXPECT_EQ(flt.glideRemaining(), 0);
}

TEST(BiquadFilter, SaturationFollowsLevelFrequencyAndQ) {
    // An enabled identity filter isolates the saturation stage.
    BiquadFilter flt = makeFilter(11, 2000.0, 0.5, 0.0);
    EXPECT_FALSE(flt.saturationEnabled());
    EXPECT_EQ(flt.processSaturating(0.8), 0.8);

    flt.setSaturation(1.5);
    ASSERT_TRUE(flt.saturationEnabled());
    const double k = 2000.0 * 0.01 * 1.0 * 1.5 * 3.0 / (1000.0 * std::pow(0.5, 0.75));
    EXPECT_NEAR(flt.saturationStrength() * flt.saturationReciprocal(), 1.0, 1e-15);
    EXPECT_NEAR(flt.processSaturating(0.8), 0.8 / (0.8 * k + 1.0), 1e-15);
    EXPECT_NEAR(flt.processGlidingSaturating(-0.8), -0.8 / (0.8 * k + 1.0), 1e-15);
    EXPECT_EQ(flt.process(0.8), 0.8);
    EXPECT_EQ(flt.processGliding(0.8), 0.8);

    flt.setBias(0.1);
    EXPECT_NEAR(flt.processSaturating(0.8), 0.8 / (0.9 * k + 1.0), 1e-15);
    EXPECT_NEAR(flt.processSaturating(-0.8), -0.8 / (0.7 * k + 1.0), 1e-15);

    // The strength follows Q and rate, but deliberately not frequency.
    flt.setFrequency(4000.0);
    EXPECT_NEAR(flt.saturationStrength(), k, 1e-15);
    flt.setQ(2.0);
    const double k2 = 4000.0 * 0.01 * 1.5 * 3.0 / (1000.0 * std::pow(2.0, 0.75));
    EXPECT_NEAR(flt.saturationStrength(), k2, 1e-15);
    flt.setSampleRate(88200.0);
    EXPECT_NEAR(flt.saturationStrength(), k2 * 0.5, 1e-15);

    for (double off : {0.0, -1.0, std::nan("")}) {
        flt.setSaturation(2.0);
        flt.setSaturation(off);
        EXPECT_FALSE(flt.saturationEnabled());
        EXPECT_EQ(flt.saturationStrength(), 0.001);
        EXPECT_EQ(flt.processSaturating(0.8), 0.8);
    }
}

// The guards quantize rather than zero: a resonance may hum on far below audibility,
// but it must never sink into the slow subnormal range.
TEST(BiquadFilter, DecayingStateNeverBecomesSubnormal) {
    BiquadFilter a = makeFilter(8, 300.0, 8.0, 0.0);
    BiquadFilter b = makeFilter(8, 300.0, 8.0, 0.0);
    BiquadFilter c = makeFilter(4, 300.0, 8.0, 12.0);
    BiquadFilter d = makeFilter(4, 300.0, 8.0, 12.0);
    c.setSaturation(1.0);
    d.setSaturation(1.0);
    double last[4] = {1, 1, 1, 1};
    for (int n = 0; n < 200000; ++n) {
        const double x = n == 0 ? 1.0 : 0.0;
        last[0] = a.process(x);
        last[1] = b.processGliding(x);
        last[2] = c.processSaturating(x);
        last[3] = d.processGlidingSaturating(x);
        for (double y : last) ASSERT_NE(std::fpclassify(y), FP_SUBNORMAL) << n;
    }
    for (double y : last) EXPECT_LT(std::fabs(y), 1e-25);
}
