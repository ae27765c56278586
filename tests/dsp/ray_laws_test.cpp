// The lane kernels of the beam law and the microphone geometry against a scalar reference
// written from their equations, across the three beam cases, both signs and both pack widths.
#include "dsp/simd/ray_laws.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using kestro::simd::Pack;

struct ScalarBeam {
    double m, theta, turned;
};

ScalarBeam hornReference(double u, double w, double s) {
    const double pi = 3.141592653589793;
    if (u <= w) {
        const double theta = (u - w) / (2.0 * w) * pi;
        return {std::sin(theta) * s, theta, theta * s};
    }
    if (u >= 1.0 - w) {
        const double theta = (u - (1.0 - w)) * pi / (2.0 * w);
        return {-std::sin(theta) * s, theta, theta * s - pi};
    }
    const double theta = (u - w) / (1.0 - 2.0 * w) * pi;
    return {std::sin(theta) * s, theta, theta * s};
}

ScalarBeam drumReference(double u, double w, double s, double floor) {
    const double pi = 3.141592653589793;
    double theta;
    if (u <= w) theta = (u - w) / (2.0 * w) * pi;
    else if (u >= 1.0 - w) theta = ((u - 2.0 * w) - (1.0 - w)) * pi / (2.0 * w);
    else theta = (u - w) / (1.0 - 2.0 * w) * pi;
    return {std::max(std::sin(theta) * s, floor), theta, theta * s};
}

struct Case {
    double u, w, s, length;
};

struct LaneResult {
    ScalarBeam horn, drum;
    double delay, secondaryDelay, position, wrapped;
};

constexpr double kFm = 0.07, kAm = 0.12, kDistance = 1.5, kPerMetre = 128.6, kFloor = -0.4;

template <int W>
[[gnu::always_inline]] inline std::vector<LaneResult> lanes(const std::vector<Case>& cases) {
    std::vector<LaneResult> out(cases.size());
    for (std::size_t i = 0; i < cases.size(); i += W) {
        const auto field = [&](double Case::*f) KESTRO_LANE_LAMBDA {
            return kestro::simd::gather<W>([&](int j) { return cases[i + static_cast<std::size_t>(j)].*f; });
        };
        const Pack<W> u = field(&Case::u), w = field(&Case::w), s = field(&Case::s), length = field(&Case::length);
        const kestro::simd::BeamInput<W> in{u, w, s, 1.0 - w, 2.0 * w, 1.0 - 2.0 * w};
        const kestro::simd::Beam<W> horn = kestro::simd::hornBeam(in);
        const kestro::simd::Beam<W> drum = kestro::simd::drumBeam(in, kFloor);
        const Pack<W> hornTurned = horn.turned(s), drumTurned = drum.theta * s;
        const Pack<W> delay = kestro::simd::primaryDelay(length, horn.m, kFm, kPerMetre);
        const Pack<W> secondary = kestro::simd::secondaryDelay(length, horn.m, kFm, kDistance, kPerMetre);
        const Pack<W> position = kestro::simd::attenuationPosition(length, horn.m, kAm);
        const Pack<W> wrapped = kestro::simd::wrapUnit(u * 3.0 - 1.0);
        for (int j = 0; j < W; ++j) {
            LaneResult& r = out[i + static_cast<std::size_t>(j)];
            r.horn = {horn.m[j], horn.theta[j], hornTurned[j]};
            r.drum = {drum.m[j], drum.theta[j], drumTurned[j]};
            r.delay = delay[j];
            r.secondaryDelay = secondary[j];
            r.position = position[j];
            r.wrapped = wrapped[j];
        }
    }
    return out;
}

std::vector<LaneResult> narrow(const std::vector<Case>& cases) { return lanes<2>(cases); }
KESTRO_WIDE_LANES std::vector<LaneResult> wide(const std::vector<Case>& cases) { return lanes<4>(cases); }

void expectBeam(const ScalarBeam& lane, const ScalarBeam& reference, const Case& c, const char* law) {
    // The lane sine is a polynomial a few units in the last place from the library's.
    EXPECT_NEAR(lane.m, reference.m, 1e-14) << law << " u " << c.u << " w " << c.w << " s " << c.s;
    EXPECT_NEAR(lane.theta, reference.theta, 1e-14) << law << " u " << c.u << " w " << c.w;
    EXPECT_NEAR(lane.turned, reference.turned, 1e-14) << law << " u " << c.u << " w " << c.w;
}

TEST(RayLaws, LaneKernelsFollowTheScalarEquations) {
    std::vector<Case> cases;
    for (double w : {0.05, 0.25, 0.4})
        for (double s : {1.0, -1.0})
            for (int k = 0; k <= 40; ++k) // u over 0..1, on and between the case borders
                cases.push_back({k / 40.0, w, s, 0.5 + 0.01 * k});
    cases.push_back({0.25, 0.25, 1.0, 1.0}); // u == w exactly: the front case
    cases.push_back({0.75, 0.25, -1.0, 1.0}); // u == 1 - w exactly: the rear case
    while (cases.size() % 4 != 0) cases.push_back(cases.back());

    const std::vector<LaneResult> got = narrow(cases);
    if (kestro::simd::wideLanesSupported()) {
        const std::vector<LaneResult> four = wide(cases);
        for (std::size_t i = 0; i < cases.size(); ++i)
            ASSERT_EQ(0, std::memcmp(&got[i], &four[i], sizeof got[i])) << "pack widths differ at case " << i;
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const ScalarBeam horn = hornReference(c.u, c.w, c.s);
        expectBeam(got[i].horn, horn, c, "horn");
        expectBeam(got[i].drum, drumReference(c.u, c.w, c.s, kFloor), c, "drum");
        // The geometry is exact arithmetic on the beam position: equal to the last bit.
        const double m = got[i].horn.m;
        EXPECT_EQ(got[i].delay, (c.length + m * kFm) * kPerMetre);
        EXPECT_EQ(got[i].secondaryDelay, (m * kFm + c.length - kDistance + 2.0 * kFm) * kPerMetre);
        EXPECT_EQ(got[i].position, (m * kAm + c.length - 0.3 + kAm) * 100.0);
        const double x = c.u * 3.0 - 1.0;
        EXPECT_EQ(got[i].wrapped, x < 0.0 ? x + 1.0 : (x >= 1.0 ? x - 1.0 : x));
    }
}

} // namespace
