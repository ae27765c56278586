#pragma once
// Measurements the rotor tests take from output signals: zero-crossing times (for
// instantaneous frequency and delay), block envelopes, and the period of a modulation by
// autocorrelation.

#include <cmath>
#include <cstddef>
#include <vector>

namespace kestro::test {

inline std::vector<double> sine(double frequency, double rate, std::size_t n, double amp = 1.0) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = amp * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate);
    return x;
}

// Amplitude of the f component of y[from..], by correlation over whole cycles.
inline double amplitudeAt(const std::vector<double>& y, std::size_t from, double f, double rate) {
    const auto n = static_cast<std::size_t>(std::floor((y.size() - from) * f / rate) * rate / f);
    double re = 0.0, im = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double ph = 2.0 * M_PI * f * static_cast<double>(from + i) / rate;
        re += y[from + i] * std::cos(ph);
        im += y[from + i] * std::sin(ph);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(n);
}

// Times (in samples, linearly interpolated) where y goes from negative to non-negative.
inline std::vector<double> upwardCrossings(const std::vector<double>& y, std::size_t from) {
    std::vector<double> t;
    for (std::size_t i = from + 1; i < y.size(); ++i) {
        if (y[i - 1] < 0.0 && y[i] >= 0.0) {
            const double frac = -y[i - 1] / (y[i] - y[i - 1]);
            t.push_back(static_cast<double>(i - 1) + frac);
        }
    }
    return t;
}

// RMS of consecutive blocks of `block` samples.
inline std::vector<double> blockRms(const std::vector<double>& y, std::size_t from,
                                    std::size_t block) {
    std::vector<double> e;
    for (std::size_t i = from; i + block <= y.size(); i += block) {
        double s = 0.0;
        for (std::size_t k = 0; k < block; ++k) s += y[i + k] * y[i + k];
        e.push_back(std::sqrt(s / static_cast<double>(block)));
    }
    return e;
}

// Lag (in elements, refined by a parabola) of the strongest normalized autocorrelation of
// seq within [minLag, maxLag]; `peak` receives its value.
inline double autocorrelationPeriod(std::vector<double> seq, std::size_t minLag,
                                    std::size_t maxLag, double* peak = nullptr) {
    double mean = 0.0;
    for (double v : seq) mean += v;
    mean /= static_cast<double>(seq.size());
    for (double& v : seq) v -= mean;
    auto corr = [&](std::size_t lag) {
        double s = 0.0, a = 0.0, b = 0.0;
        for (std::size_t i = 0; i + lag < seq.size(); ++i) {
            s += seq[i] * seq[i + lag];
            a += seq[i] * seq[i];
            b += seq[i + lag] * seq[i + lag];
        }
        return s / std::sqrt(a * b);
    };
    std::vector<double> c(maxLag + 2, 0.0);
    std::size_t best = minLag;
    for (std::size_t lag = minLag - 1; lag <= maxLag + 1; ++lag) c[lag] = corr(lag);
    for (std::size_t lag = minLag; lag <= maxLag; ++lag)
        if (c[lag] > c[best]) best = lag;
    if (peak) *peak = c[best];
    const double y0 = c[best - 1], y1 = c[best], y2 = c[best + 1];
    const double denom = y0 - 2.0 * y1 + y2;
    const double shift = denom != 0.0 ? 0.5 * (y0 - y2) / denom : 0.0;
    return static_cast<double>(best) + shift;
}

} // namespace kestro::test
