#include "dsp/tables/motor_noise_layout.h"
#include "dsp/tables/motor_noise_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace kestro {
namespace {

struct Named {
    const char* name;
    const NoiseTable& table;
    int expectedLength;
    int turns; // turns of the rotor the table holds (0 for the slow horn table and the click)
};

std::vector<Named> loopingTables() {
    return {{"horn slow 0", hornSlowNoise(0), 63884, 0},
            {"horn slow 1", hornSlowNoise(1), 63884, 0},
            {"horn fast", hornFastNoise(), 219418, 34},
            {"drum slow 0", drumSlowNoise(0), 270144, 5},
            {"drum slow 1", drumSlowNoise(1), 270144, 5},
            {"drum fast", drumFastNoise(), 627298, 88}};
}

double rmsStep(const float* x, int from, int to) {
    double sum = 0.0;
    for (int i = from; i < to; ++i) sum += (double(x[i + 1]) - x[i]) * (double(x[i + 1]) - x[i]);
    return std::sqrt(sum / (to - from));
}

TEST(MotorNoiseTables, LinkedBlobMatchesTheLayout) {
    EXPECT_EQ(motorNoiseBlobEnd() - motorNoiseBlobBegin(), noise_layout::kTotalFloats);
    for (const Named& t : loopingTables()) EXPECT_EQ(t.table.length, t.expectedLength) << t.name;
    EXPECT_EQ(clickNoise().length, 3955);
    EXPECT_NE(hornSlowNoise(0).data, hornSlowNoise(1).data);
    EXPECT_NE(drumSlowNoise(0).data, drumSlowNoise(1).data);
}

TEST(MotorNoiseTables, LoopWithoutASeamAndCarryTheirGuardSamples) {
    for (const Named& t : loopingTables()) {
        const float* x = t.table.data;
        const int n = t.table.length;
        for (int k = 0; k < 3; ++k) EXPECT_EQ(x[n + k], x[k]) << t.name;
        // The step from the last sample to the first is an ordinary step of its neighbourhood.
        const double seam = std::fabs(double(x[0]) - x[n - 1]);
        const double local = 0.5 * (rmsStep(x, n - 512, n - 2) + rmsStep(x, 0, 510));
        EXPECT_LT(seam, 4.0 * local) << t.name;
        // And so is the bend across it (a kink would pass the first test).
        const double bendIn = std::fabs(double(x[n - 2]) - 2.0 * x[n - 1] + x[0]);
        const double bendOut = std::fabs(double(x[n - 1]) - 2.0 * x[0] + x[1]);
        EXPECT_LT(std::max(bendIn, bendOut), 8.0 * local) << t.name;
    }
}

TEST(MotorNoiseTables, LevelsAreSensibleAndFinite) {
    auto check = [](const char* name, const NoiseTable& t, bool loops) {
        double peak = 0.0, sum = 0.0;
        for (int i = 0; i < t.length; ++i) {
            ASSERT_TRUE(std::isfinite(t.data[i])) << name << " " << i;
            peak = std::max(peak, std::fabs(double(t.data[i])));
            sum += t.data[i];
        }
        EXPECT_GE(peak, 0.1) << name;
        EXPECT_LE(peak, 0.5) << name;
        // A looping table must not carry an offset (the click is too short to matter).
        if (loops) {
            EXPECT_LT(std::fabs(sum / t.length), 0.01) << name;
        }
    };
    for (const Named& t : loopingTables()) check(t.name, t.table, true);
    check("click", clickNoise(), false);
}

TEST(MotorNoiseTables, ClickIsAShortClunkEndingInSilence) {
    const NoiseTable& c = clickNoise();
    int peakAt = 0;
    for (int i = 0; i < c.length; ++i)
        if (std::fabs(c.data[i]) > std::fabs(c.data[peakAt])) peakAt = i;
    EXPECT_LT(peakAt, 44100 / 50); // within the first 20 ms
    EXPECT_LT(std::fabs(c.data[0]), 0.05);
    EXPECT_EQ(c.data[c.length - 1], 0.0f);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(c.data[c.length + k], 0.0f);
}

// The rush of a fast table repeats once per turn: the loudness over the turn, measured on
// the first and on the second half of the table, is the same clear shape.
TEST(MotorNoiseTables, FastTablesRepeatOncePerTurn) {
    for (const Named& t : loopingTables()) {
        if (t.turns < 34) continue;
        const int bins = 32;
        std::vector<double> first(bins, 0.0), second(bins, 0.0);
        const long n = t.table.length;
        for (long s = 0; s < n; ++s) {
            const long turnPos = (static_cast<long>(t.turns) * s * bins / n);
            const int bin = static_cast<int>(turnPos % bins);
            const double e = double(t.table.data[s]) * t.table.data[s];
            (s < n / 2 ? first : second)[bin] += e;
        }
        double ma = 0, mb = 0, lo = 1e300, hi = 0;
        for (int b = 0; b < bins; ++b) {
            ma += first[b] / bins;
            mb += second[b] / bins;
            lo = std::min(lo, first[b]);
            hi = std::max(hi, first[b]);
        }
        double sab = 0, saa = 0, sbb = 0;
        for (int b = 0; b < bins; ++b) {
            sab += (first[b] - ma) * (second[b] - mb);
            saa += (first[b] - ma) * (first[b] - ma);
            sbb += (second[b] - mb) * (second[b] - mb);
        }
        EXPECT_GT(sab / std::sqrt(saa * sbb), 0.9) << t.name;
        EXPECT_GT(hi / lo, 2.0) << t.name; // a clear swell as the rotor passes
    }
}

TEST(MotorNoiseTables, RecordingsOfTheSameKindAreDifferent) {
    for (auto [a, b] : {std::pair{hornSlowNoise(0), hornSlowNoise(1)},
                        std::pair{drumSlowNoise(0), drumSlowNoise(1)}}) {
        double sab = 0, saa = 0, sbb = 0;
        for (int i = 0; i < a.length; ++i) {
            sab += double(a.data[i]) * b.data[i];
            saa += double(a.data[i]) * a.data[i];
            sbb += double(b.data[i]) * b.data[i];
        }
        EXPECT_LT(std::fabs(sab) / std::sqrt(saa * sbb), 0.5);
    }
}

// Running the generator again writes exactly the bytes that were linked in.
TEST(MotorNoiseTables, GeneratorIsDeterministic) {
    const std::filesystem::path generator =
        std::filesystem::path(KESTRO_BINARY_DIR) / "dsp" / "tables" / "kestro_noise_generator";
    if (!std::filesystem::exists(generator)) GTEST_SKIP() << "generator not built here";
    const std::filesystem::path out =
        std::filesystem::path(::testing::TempDir()) / "kestro_noise_tables_again.bin";
    const std::string g = generator.string(), o = out.string();
    std::vector<char> command(g.size() + o.size() + 8);
    std::snprintf(command.data(), command.size(), "\"%s\" \"%s\"", g.c_str(), o.c_str());
    ASSERT_EQ(std::system(command.data()), 0);
    std::ifstream in(out, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(out);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(noise_layout::kTotalFloats) * 4);
    EXPECT_EQ(std::memcmp(bytes.data(), motorNoiseBlobBegin(), bytes.size()), 0);
}

} // namespace
} // namespace kestro
