#include "dsp/table_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kestro {
namespace {

// Catmull-Rom in its textbook arrangement, independent of the readers' weight form.
double catmullRom(double p0, double p1, double p2, double p3, double t) {
    return 0.5 * (2.0 * p1 + (p2 - p0) * t + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * t * t +
                  (3.0 * p1 - p0 - 3.0 * p2 + p3) * t * t * t);
}

// An irregular periodic table with the three guard samples the wrapped readers rely on,
// sized exactly so that AddressSanitizer sees any read past them.
template <class T>
std::vector<T> wrappedTable(int n) {
    std::vector<T> t(static_cast<std::size_t>(n) + 3);
    for (int i = 0; i < n; ++i) t[i] = static_cast<T>(std::sin(0.7 * i) + 0.3 * std::cos(2.9 * i * i));
    for (int k = 0; k < 3; ++k) t[n + k] = t[k];
    return t;
}

template <class T>
std::vector<T> clampedTable(int last) {
    std::vector<T> t(static_cast<std::size_t>(last) + 1);
    for (int i = 0; i <= last; ++i) t[i] = static_cast<T>(1.0 + std::sin(1.3 * i) * 0.5 + 0.01 * i);
    return t;
}

const double kNonFinite[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
const double kHuge[] = {1e300, -1e300, std::numeric_limits<double>::max(),
                        -std::numeric_limits<double>::max(), 2147483648.0, -2147483649.0,
                        1073741824.5, 4e9 + 0.25, -4e9 - 0.25, 1e17, -1e-300};

TEST(TableReaders, WrappedReadersHitTheNodesExactly) {
    const int n = 37;
    const auto d = wrappedTable<double>(n);
    const auto f = wrappedTable<float>(n);
    for (int i = -2 * n; i < 3 * n; ++i) {
        const int k = ((i % n) + n) % n;
        EXPECT_EQ(readCubicWrapped(i, 0.0, d.data(), n), d[k]) << i;
        EXPECT_EQ(readCubicWrapped(i, f.data(), n), static_cast<double>(f[k])) << i;
    }
}

TEST(TableReaders, WrappedReadersFollowCatmullRomAcrossTheSeam) {
    const int n = 29;
    const auto d = wrappedTable<double>(n);
    const auto f = wrappedTable<float>(n);
    auto at = [&](const auto& t, int i) { return static_cast<double>(t[((i % n) + n) % n]); };
    for (int i = 0; i < n; ++i) {
        for (double frac : {0.1, 0.25, 0.5, 0.77, 0.999}) {
            const double p = i + frac;
            const double expectD = catmullRom(at(d, i - 1), at(d, i), at(d, i + 1), at(d, i + 2), frac);
            const double expectF = catmullRom(at(f, i - 1), at(f, i), at(f, i + 1), at(f, i + 2), frac);
            EXPECT_NEAR(readCubicWrapped(p, 0.0, d.data(), n), expectD, 1e-12) << p;
            // Single-precision weights.
            EXPECT_NEAR(readCubicWrapped(p, f.data(), n), expectF, 2e-6) << p;
        }
    }
}

TEST(TableReaders, WrappedPositionAndOffsetAreTheSamePeriodicCoordinate) {
    const int n = 50;
    const auto d = wrappedTable<double>(n);
    const auto f = wrappedTable<float>(n);
    // Dyadic fractions stay exact when whole periods are added, so results must be identical,
    // including on the reduction path for positions beyond 2^30.
    for (double frac : {0.25, 0.5, 0.875}) {
        for (double base : {0.0, 13.0, 49.0}) {
            const double p = base + frac;
            const double ref = readCubicWrapped(p, 0.0, d.data(), n);
            const double refF = readCubicWrapped(p, f.data(), n);
            for (double periods : {-3.0, -1.0, 1.0, 2.0, 7.0, 1048576.0, 33554432.0, -33554432.0}) {
                const double q = p + periods * n;
                EXPECT_EQ(readCubicWrapped(q, 0.0, d.data(), n), ref) << q;
                EXPECT_EQ(readCubicWrapped(q, f.data(), n), refF) << q;
            }
            EXPECT_EQ(readCubicWrapped(p - 3.0 * n, 3.0, d.data(), n), ref);
            EXPECT_NEAR(readCubicWrapped(frac, base / n, d.data(), n), ref, 1e-12);
        }
    }
    // A tiny negative position rounds to exactly n after wrapping: still the node value.
    EXPECT_EQ(readCubicWrapped(-1e-30, 0.0, d.data(), n), d[0]);
}

TEST(TableReaders, WrappedReadersStayInBoundsForAnyPosition) {
    const int n = 16;
    const auto d = wrappedTable<double>(n);
    const auto f = wrappedTable<float>(n);
    for (double p : kNonFinite) {
        EXPECT_EQ(readCubicWrapped(p, 0.0, d.data(), n), d[0]);
        EXPECT_EQ(readCubicWrapped(p, f.data(), n), static_cast<double>(f[0]));
        EXPECT_EQ(readCubicWrapped(0.0, p, d.data(), n), d[0]);
    }
    for (double p : kHuge) {
        const double v = readCubicWrapped(p, 0.0, d.data(), n);
        const double w = readCubicWrapped(p, f.data(), n);
        EXPECT_TRUE(std::isfinite(v) && std::fabs(v) < 3.0) << p;
        EXPECT_TRUE(std::isfinite(w) && std::fabs(w) < 3.0) << p;
    }
    // A degenerate table length reads nothing.
    EXPECT_EQ(readCubicWrapped(3.5, 0.0, d.data(), 0), 0.0);
    EXPECT_EQ(readCubicWrapped(3.5, f.data(), -4), 0.0);
}

TEST(TableReaders, ClampedReadersHoldTheEndValues) {
    const int last = 20;
    const auto d = clampedTable<double>(last);
    const auto f = clampedTable<float>(last);
    for (double p : {0.0, -0.0, -0.5, -1e300, -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(readCubicClamped(p, d.data(), last), d[0]) << p;
        EXPECT_EQ(readCubicClamped(p, f.data(), last), static_cast<double>(f[0])) << p;
    }
    for (double p : {20.0, 20.5, 1e300, std::numeric_limits<double>::infinity(), 4e9}) {
        EXPECT_EQ(readCubicClamped(p, d.data(), last), d[last]) << p;
        EXPECT_EQ(readCubicClamped(p, f.data(), last), static_cast<double>(f[last])) << p;
    }
    for (int i = 1; i < last; ++i) {
        EXPECT_EQ(readCubicClamped(i, d.data(), last), d[i]);
        EXPECT_EQ(readCubicClamped(i, f.data(), last), static_cast<double>(f[i]));
    }
    // Only a table of one element is safe to read with a non-positive length.
    EXPECT_EQ(readCubicClamped(5.0, d.data(), 0), d[0]);
    EXPECT_EQ(readCubicClamped(5.0, f.data(), -3), static_cast<double>(f[0]));
}

// Every interval, the two at each end included: outside the table the edge sample repeats
// (the sample before the start is the start, the one after the end is the end).
TEST(TableReaders, ClampedReadersFollowCatmullRomInEveryIntervalWithTheEdgesRepeated) {
    const int last = 12;
    const auto d = clampedTable<double>(last);
    const auto f = clampedTable<float>(last);
    auto at = [last](const auto& t, int i) { return static_cast<double>(t[std::clamp(i, 0, last)]); };
    for (int i = 0; i < last; ++i) {
        for (double frac : {0.2, 0.5, 0.9}) {
            const double p = i + frac;
            EXPECT_NEAR(readCubicClamped(p, d.data(), last),
                        catmullRom(at(d, i - 1), at(d, i), at(d, i + 1), at(d, i + 2), frac), 1e-12) << p;
            EXPECT_NEAR(readCubicClamped(p, f.data(), last),
                        catmullRom(at(f, i - 1), at(f, i), at(f, i + 1), at(f, i + 2), frac), 2e-6) << p;
        }
    }
}

} // namespace
} // namespace kestro
