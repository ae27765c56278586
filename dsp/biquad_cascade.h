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
// them independent. The results are those of the plain chain up to rounding (the sums are
// grouped differently); the denormal guards are applied to every stored history value just as
// the plain chain applies them.
//
// The coefficients are the target coefficients of `BiquadFilter` objects, taken over with
// load() whenever those filters change; the history lives here.

#include "dsp/biquad_filter.h"
#include "dsp/simd.h"

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
        for (int k = 0; k < N; ++k) {
            BiquadCoefficients c;
            if (k < count) c = filters[k].targetCoefficients();
            const auto i = static_cast<std::size_t>(k);
            b0_[i] = c.b0;
            b1_[i] = c.b1;
            b2_[i] = c.b2;
            a1_[i] = c.a1;
            a2_[i] = c.a2;
            product *= c.b0;
            prefix_[i] = product;
        }
    }

    void clear() {
        x1_.fill(0.0);
        x2_.fill(0.0);
        y1_.fill(0.0);
        y2_.fill(0.0);
    }

    // The part of every filter's output that comes from its history. W is the pack width the
    // caller's instruction set runs (see simd.h); the results do not depend on it.
    template <int W>
    [[gnu::always_inline]] void begin() {
        using P = simd::Pack<W>;
        for (int g = 0; g < N; g += W) {
            const P s = at<W>(b1_, g) * at<W>(x1_, g) + at<W>(b2_, g) * at<W>(x2_, g) - at<W>(a1_, g) * at<W>(y1_, g) -
                        at<W>(a2_, g) * at<W>(y2_, g);
            s.store(&history_[static_cast<std::size_t>(g)]);
        }
        double t = 0.0;
        for (std::size_t k = 0; k < static_cast<std::size_t>(N); ++k) {
            t = b0_[k] * t + history_[k];
            chain_[k] = t;
        }
    }

    // The chain's output for input x; begin() must have run for this sample.
    template <int W>
    [[gnu::always_inline]] double finish(double x) {
        using P = simd::Pack<W>;
        // io[0] is the chain's input, io[k + 1] the output of filter k and so the input of k + 1.
        alignas(32) std::array<double, N + 4> io;
        io[0] = guard(x);
        const P xv = P::broadcast(io[0]);
        for (int g = 0; g < N; g += W) {
            const P y = (at<W>(prefix_, g) * xv + at<W>(chain_, g) + kGuard) - kGuard;
            y.store(&io[static_cast<std::size_t>(g + 1)]);
        }
        for (int g = 0; g < N; g += W) {
            const auto i = static_cast<std::size_t>(g);
            at<W>(x1_, g).store(&x2_[i]);
            at<W>(y1_, g).store(&y2_[i]);
            at<W>(io, g + 1).store(&y1_[i]);
            // The plain chain guards each filter's input once more on the way in.
            ((at<W>(io, g) + kGuard) - kGuard).store(&x1_[i]);
        }
        x1_[0] = io[0];
        return io[N];
    }

private:
    static constexpr double kGuard = 1e-17;
    static double guard(double v) { return (v + kGuard) - kGuard; }
    template <int W, std::size_t M>
    [[gnu::always_inline]] static simd::Pack<W> at(const std::array<double, M>& a, int i) {
        return simd::Pack<W>::load(&a[static_cast<std::size_t>(i)]);
    }

    alignas(32) std::array<double, N> b0_{}, b1_{}, b2_{}, a1_{}, a2_{};
    alignas(32) std::array<double, N> prefix_{};
    alignas(32) std::array<double, N> x1_{}, x2_{}, y1_{}, y2_{};
    alignas(32) std::array<double, N> history_{}, chain_{};
};

} // namespace kestro
