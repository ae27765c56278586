#include "dsp/simd/fast_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

namespace fm = kestro::fastmath;
using kestro::simd::Pack;

enum class Fn { Sin, SinUpper, CosUpper, Exp2, Pow10, Log2, Pow };

// Evaluates a lane function over xs in packs of W (xs.size() a multiple of 4).
template <int W>
[[gnu::always_inline]] inline std::vector<double> evaluate(Fn fn, const std::vector<double>& xs, double p) {
    std::vector<double> out(xs.size());
    for (std::size_t i = 0; i < xs.size(); i += W) {
        const Pack<W> x = Pack<W>::load(&xs[i]);
        Pack<W> y, other;
        switch (fn) {
        case Fn::Sin: y = fm::sinPi(x); break;
        case Fn::SinUpper: fm::sinCosUpperHalf(x, y, other); break;
        case Fn::CosUpper: fm::sinCosUpperHalf(x, other, y); break;
        case Fn::Exp2: y = fm::exp2(x); break;
        case Fn::Pow10: y = fm::pow10(x); break;
        case Fn::Log2: y = fm::log2(x); break;
        case Fn::Pow: y = fm::pow(x, p); break;
        }
        y.store(&out[i]);
    }
    return out;
}

std::vector<double> narrow(Fn fn, const std::vector<double>& xs, double p) { return evaluate<2>(fn, xs, p); }
KESTRO_WIDE_LANES std::vector<double> wide(Fn fn, const std::vector<double>& xs, double p) {
    return evaluate<4>(fn, xs, p);
}

// Both pack widths must give the same values; returns them.
std::vector<double> run(Fn fn, const std::vector<double>& xs, double p = 0.0) {
    std::vector<double> y = narrow(fn, xs, p);
    if (kestro::simd::wideLanesSupported()) {
        const std::vector<double> w = wide(fn, xs, p);
        for (std::size_t i = 0; i < y.size(); ++i)
            if (!(y[i] == w[i] || (std::isnan(y[i]) && std::isnan(w[i])))) {
                ADD_FAILURE() << "pack widths differ at " << xs[i];
                break;
            }
    }
    return y;
}

// Largest relative difference from the library over xs; exact zeros must stay zeros.
double worstRelative(Fn fn, const std::vector<double>& xs, const std::function<double(double)>& exact,
                     double p = 0.0) {
    const std::vector<double> y = run(fn, xs, p);
    double worst = 0.0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const double e = exact(xs[i]);
        if (e == 0.0) {
            EXPECT_EQ(y[i], 0.0) << xs[i];
            continue;
        }
        worst = std::max(worst, std::fabs(y[i] - e) / std::fabs(e));
    }
    return worst;
}

std::vector<double> sweep(double lo, double hi, int n, std::vector<double> extra = {}) {
    std::vector<double> xs;
    for (int i = 0; i < n; ++i) xs.push_back(lo + (hi - lo) * i / (n - 1));
    xs.insert(xs.end(), extra.begin(), extra.end());
    while (xs.size() % 4) xs.push_back(lo);
    return xs;
}

constexpr double kBound = 1e-15;

TEST(FastMath, SinesAndCosinesStayWithinAFewUnitsInTheLastPlace) {
    const double pi = M_PI;
    const std::vector<double> edges = {0.0, -0.0, 1e-300, -1e-12, pi / 2, -pi / 2, std::nextafter(pi / 2, 4.0),
                                       pi, -pi, std::nextafter(pi, 0.0), std::nextafter(-pi, 0.0), 3.0, -3.1};
    EXPECT_LT(worstRelative(Fn::Sin, sweep(-pi, pi, 200001, edges), [](double x) { return std::sin(x); }), kBound);

    const std::vector<double> ws = sweep(0.0, pi, 100001, {pi / 2, pi / 4, 3 * pi / 4, 1e-9, 1e-300});
    EXPECT_LT(worstRelative(Fn::SinUpper, ws, [](double x) { return std::sin(x); }), kBound);
    // Relative to the cosine near pi/2 would ask for more than the argument itself holds.
    const std::vector<double> c = run(Fn::CosUpper, ws);
    double worstCos = 0.0;
    for (std::size_t i = 0; i < ws.size(); ++i) worstCos = std::max(worstCos, std::fabs(c[i] - std::cos(ws[i])));
    EXPECT_LT(worstCos, 2.3e-16);
}

TEST(FastMath, PowersStayWithinAFewUnitsInTheLastPlace) {
    EXPECT_LT(worstRelative(Fn::Exp2, sweep(-60.0, 60.0, 100001, {0.0, 0.5, -0.5, 1.0, -1022.5, -1070.0, 1000.0}),
                            [](double t) { return std::exp2(t); }),
              kBound);
    // Filter gains from -40 to +40 dB as used by pow(10, gain / 40).
    EXPECT_LT(worstRelative(Fn::Pow10, sweep(-1.0, 1.0, 100001, {0.0}), [](double y) { return std::pow(10.0, y); }),
              kBound);
    EXPECT_LT(worstRelative(Fn::Log2, sweep(1e-4, 1.0, 100001, {0.5, 0.999999, 1.4142135623730951, 3.0, 1e-200}),
                            [](double x) { return std::log2(x); }),
              kBound);

    // As with any power formed as exp(p log x), the error grows with the exponent p log2 x; it
    // stays within about one and a half units in the last place per unit of it.
    const std::vector<double> bases = sweep(1e-4, 1.0, 20001);
    for (double p : {0.75, 2.8, 3.5, 4.0, 6.0, 8.0}) {
        const std::vector<double> y = run(Fn::Pow, bases, p);
        double worst = 0.0;
        for (std::size_t i = 0; i < bases.size(); ++i) {
            const double e = std::pow(bases[i], p);
            worst = std::max(worst, std::fabs(y[i] - e) / e / (1.0 + std::fabs(p * std::log2(bases[i]))));
        }
        EXPECT_LT(worst, 3.4e-16) << p;
    }
    // What the filters take from it: the narrowing law 1 - (f / (c rate))^e over the
    // frequencies the rotor filters glide through (up to 0.6 of half the rate).
    const std::vector<double> ratios = sweep(1e-6, 0.6, 20001);
    for (double p : {2.8, 8.0}) {
        const std::vector<double> y = run(Fn::Pow, ratios, p);
        double worst = 0.0;
        for (std::size_t i = 0; i < ratios.size(); ++i) {
            const double e = 1.0 - std::pow(ratios[i], p);
            worst = std::max(worst, std::fabs((1.0 - y[i]) - e) / e);
        }
        EXPECT_LT(worst, kBound) << p;
    }
}

} // namespace
