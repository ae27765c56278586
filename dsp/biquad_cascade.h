#pragma once
// A long chain of plain (non-gliding, non-saturating) biquads in series, the voicing of a horn
// voice, computed the way `BiquadFilter::process` would compute them one after another, but
// without making the sample wait for 28 filters in turn.
//
// Written out, each filter's output is y_k = b0_k * x_k + S_k, where S_k (the part from the
// history) is known before the sample arrives. Substituting the chain into itself gives
// y_k = P_k * x + T_k, with P_k the product of the b0 up to filter k and T_k a running sum of
// the S terms that also depends on the history only. So begin() works out every T_k while the
// voice is still computing its rays, and finish(x) needs one multiply-add per filter, all of
// them independent. T itself is a chain (T_k = b0_k T_(k-1) + S_k); begin() runs it as four
// shorter chains side by side, one per quarter of the filters, and joins the quarters with
// the products of their b0. The results are those of the plain chain up to rounding (the
// sums are grouped differently); the denormal guards are applied to every stored history
// value just as the plain chain applies them.
//
// Storage order puts the four quarters side by side: filter k = q * L + j (quarter q, L = N / 4
// filters each) sits in slot j * 4 + q.
//
// The coefficients are the target coefficients of `BiquadFilter` objects, taken over with
// load() whenever those filters change; the history lives here.

#include "dsp/biquad_filter.h"
#include "dsp/simd/pack.h"

#include <array>

namespace kestro {

template <int N>
class BiquadCascade {
    static_assert(N > 0 && N % 4 == 0, "the cascade runs in packs of up to four filters");

public:
    BiquadCascade() { load(nullptr, 0); }

    // Takes over the target coefficients of filters[0 .. count-1]; any further places pass the
    // signal unchanged. The history is kept, as the filters' own history would be.
    void load(const BiquadFilter* filters, int count) {
        double product = 1.0;
        double quarterProduct = 1.0;
        for (int k = 0; k < N; ++k) {
            BiquadCoefficients c;
            if (k < count) c = filters[k].targetCoefficients();
            if (k % kQuarter == 0) quarterProduct = 1.0;
            const std::size_t i = slot(k);
            b0_[i] = c.b0;
            b1_[i] = c.b1;
            b2_[i] = c.b2;
            a1_[i] = c.a1;
            a2_[i] = c.a2;
            product *= c.b0;
            quarterProduct *= c.b0;
            prefix_[i] = product;
            quarterPrefix_[i] = quarterProduct;
        }
    }

    void clear() {
        x1_.fill(0.0);
        x2_.fill(0.0);
        y1_.fill(0.0);
        y2_.fill(0.0);
    }

    // The part of every filter's output that comes from its history. W is the pack width the
    // caller's instruction set runs (see simd/pack.h); the results do not depend on it.
    template <int W>
    [[gnu::always_inline]] void begin() {
        using P = simd::Pack<W>;
        for (int g = 0; g < N; g += W) {
            const P s = at<W>(b1_, g) * at<W>(x1_, g) + at<W>(b2_, g) * at<W>(x2_, g) - at<W>(a1_, g) * at<W>(y1_, g) -
                        at<W>(a2_, g) * at<W>(y2_, g);
            s.store(&chain_[static_cast<std::size_t>(g)]);
        }
        // The four quarters' chains, each starting from 0. (Values pass between the steps in
        // registers: a pack read back right after single values were written to its place
        // would wait for the writes.)
        P end[4 / W];
        for (int h = 0; h < 4; h += W) {
            P t = P::broadcast(0.0);
            for (int j = 0; j < kQuarter; ++j) {
                const int g = j * 4 + h;
                t = at<W>(b0_, g) * t + at<W>(chain_, g);
                t.store(&chain_[static_cast<std::size_t>(g)]);
            }
            end[h / W] = t;
        }
        // What each quarter receives from the ones before it, then every T_k.
        constexpr int last = (kQuarter - 1) * 4;
        double carry[4];
        carry[0] = 0.0;
        for (int q = 1; q < 4; ++q)
            carry[q] = end[(q - 1) / W][(q - 1) % W] + quarterPrefix_[static_cast<std::size_t>(last + q - 1)] * carry[q - 1];
        for (int h = 0; h < 4; h += W) {
            const P c = simd::gather<W>([&](int j) { return carry[h + j]; });
            for (int j = 0; j < kQuarter; ++j) {
                const int g = j * 4 + h;
                (at<W>(chain_, g) + at<W>(quarterPrefix_, g) * c).store(&chain_[static_cast<std::size_t>(g)]);
            }
        }
    }

    // The chain's output for input x; begin() must have run for this sample.
    template <int W>
    [[gnu::always_inline]] double finish(double x) {
        using P = simd::Pack<W>;
        x = guard(x);
        const P xv = P::broadcast(x);
        P y[N / W];
        for (int g = 0; g < N; g += W)
            y[g / W] = (at<W>(prefix_, g) * xv + at<W>(chain_, g) + kGuard) - kGuard;
        constexpr int last = (kQuarter - 1) * 4;
        for (int g = 0; g < N; g += W) {
            const auto i = static_cast<std::size_t>(g);
            // Each filter's input: the output of the slot before it in its quarter, or for the
            // first of a quarter the last of the quarter before (and for the very first, x).
            P in;
            if (g >= 4) {
                in = y[(g - 4) / W];
            } else {
                in = simd::gather<W>([&](int j) {
                    const int q = g + j;
                    return q == 0 ? x : y[(last + q - 1) / W][(last + q - 1) % W];
                });
            }
            // The plain chain guards each filter's input once more on the way in (the chain's
            // own input only once).
            P guarded = (in + kGuard) - kGuard;
            if (g == 0) guarded = simd::gather<W>([&](int j) { return j == 0 ? x : guarded[j]; });
            at<W>(x1_, g).store(&x2_[i]);
            at<W>(y1_, g).store(&y2_[i]);
            y[g / W].store(&y1_[i]);
            guarded.store(&x1_[i]);
        }
        return y[(N - 1) / W][(N - 1) % W];
    }

private:
    static constexpr int kQuarter = N / 4;
    static constexpr double kGuard = 1e-17;
    static std::size_t slot(int k) { return static_cast<std::size_t>((k % kQuarter) * 4 + k / kQuarter); }
    static double guard(double v) { return (v + kGuard) - kGuard; }
    template <int W, std::size_t M>
    [[gnu::always_inline]] static simd::Pack<W> at(const std::array<double, M>& a, int i) {
        return simd::Pack<W>::load(&a[static_cast<std::size_t>(i)]);
    }

    alignas(32) std::array<double, N> b0_{}, b1_{}, b2_{}, a1_{}, a2_{};
    alignas(32) std::array<double, N> prefix_{}, quarterPrefix_{};
    alignas(32) std::array<double, N> x1_{}, x2_{}, y1_{}, y2_{};
    alignas(32) std::array<double, N> chain_{};
};

} // namespace kestro
