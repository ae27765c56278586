#include "params/parameter_table.h"
#include "params/value_laws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace {

using namespace kestro;

TEST(ConstructionDefaults, OrderAndCoverage)
{
    ASSERT_EQ(kConstructionDefaults.size(), 115u);
    EXPECT_EQ(kConstructionDefaults.front().index, kLever);
    EXPECT_EQ(kConstructionDefaults.front().value, 0.0f);
    EXPECT_EQ(kConstructionDefaults.back().index, kBypass);

    std::set<int> seen;
    for (const ParameterDefault& d : kConstructionDefaults) {
        EXPECT_TRUE(seen.insert(d.index).second) << "twice: " << d.index;
        EXPECT_TRUE(isValidParameterIndex(d.index)) << d.index;
        EXPECT_GE(d.value, 0.0f) << d.index;
        EXPECT_LE(d.value, 1.0f) << d.index;
    }
    // Everything but the spares and index 36.
    for (int i = 0; i < kNumParameters; ++i) {
        const bool skipped = (i >= 31 && i <= 34) || i == 36;
        EXPECT_EQ(seen.count(i), skipped ? 0u : 1u) << i;
    }
}

TEST(ParameterKinds, SlotsStorageGlobalsAndAutomation)
{
    const std::set<int> noSlot = {36, 57, 59, 64, 65, 66, 67, 71, 73, 81, 82, 83, 84, 108};
    const std::set<int> asDouble = {15, 46, 47, 48, 49, 50, 51, 52, 56, 60, 80, 85, 86, 89,
                                    92, 95, 113, 114};
    for (int i = 0; i < kNumParameters; ++i) {
        EXPECT_EQ(hasValueSlot(i), noSlot.count(i) == 0) << i;
        EXPECT_EQ(isStoredAsDouble(i), asDouble.count(i) == 1) << i;
        EXPECT_EQ(isGlobalParameter(i), i <= 4 || i == 35) << i;
        EXPECT_EQ(canParameterBeAutomated(i), i < 36) << i;
    }
    for (int i : {-1, 120, std::numeric_limits<int>::max()}) {
        EXPECT_FALSE(hasValueSlot(i));
        EXPECT_FALSE(isGlobalParameter(i));
        EXPECT_FALSE(canParameterBeAutomated(i));
        EXPECT_STREQ(parameterName(i), "");
    }
    EXPECT_TRUE(hasValueSlot(kReserved79)); // a slot without a name
    EXPECT_STREQ(parameterName(kReserved79), "");
}

// The laws against the values they are documented to reach.
TEST(ValueLaws, CurvesReachTheirDocumentedPoints)
{
    EXPECT_EQ(levelCurve(0.0f), 0.0f);
    EXPECT_NEAR(levelCurve(0.5f), 1.00037, 1e-5);
    EXPECT_NEAR(levelCurve(1.0f), 3.98320, 1e-5);
    EXPECT_NEAR(attenuationCurve(0.5f), 0.25119, 1e-5);
    EXPECT_NEAR(attenuationCurve(1.0f), 1.0, 1e-5);
    EXPECT_NEAR(radiusCurve(0.0f), 0.125, 1e-6);
    EXPECT_NEAR(radiusCurve(1.0f), 0.250, 1e-5);
    EXPECT_EQ(frequencyCurve(0.5f), 2000.0f);
    EXPECT_EQ(timeCurve(0.5f), 1.0f);
    EXPECT_EQ(distanceCurve(0.0f), 0.35f);
    EXPECT_NEAR(saturationCurve(0.5f), 0.016, 1e-9);
    EXPECT_NEAR(decayExponentCurve(1.0f), 2.0, 1e-5);
    const PanPair mid = panPair(0.5f);
    EXPECT_NEAR(mid.left, std::sqrt(0.5), 1e-15);
    EXPECT_DOUBLE_EQ(mid.left, mid.right);
    EXPECT_NEAR(hornAmplitudeClipForDistance(0.0f), 0.695879f, 1e-7);
    EXPECT_NEAR(hornAmplitudeClipForDistance(1.0f), 0.895879f, 1e-7);
    EXPECT_NEAR(splitterFrequency(1.0f), 500.0f, 1e-3);
    EXPECT_NEAR(hornAttenuationDistance(1.0f), 10.0, 1e-5);
    EXPECT_NEAR(roomSize(1.0f), 4.0, 1e-4);
    EXPECT_NEAR(driveGain(0.0f), 0.1, 1e-15);
}

TEST(ValueLaws, FilterSwitchPointsAndPositions)
{
    EXPECT_EQ(hornHighPassFrequency(0.0f), 0.0f);
    EXPECT_EQ(hornHighPassFrequency(0.01f), 0.0f); // 0.0099999998 < 0.01
    EXPECT_NEAR(hornHighPassFrequency(std::nextafter(0.01f, 1.0f)), 20.0f, 0.01f);
    EXPECT_NEAR(hornHighPassFrequency(1.0f), 1000.4f, 0.05f);
    EXPECT_EQ(drumLowPassFrequency(1.0f), 0.0f);
    EXPECT_GT(drumLowPassFrequency(std::nextafter(1.0f, 0.0f)), 19999.0f);
    EXPECT_EQ(limitFrequency(15000.0f, 11025.0), 11025.0f);
    EXPECT_EQ(limitFrequency(0.0f, 11025.0), 0.0f);

    EXPECT_EQ(positionOf(0.25f, 5), 1);
    EXPECT_EQ(positionOf(0.5f, 2), 1);
    EXPECT_EQ(positionOf(1.0f / 17.0f * 16.0f, 17), 16);
    EXPECT_EQ(truncateToInt(1.999f), 1);
    EXPECT_EQ(truncateToInt(-1.999f), -1);
    EXPECT_EQ(positionOf(std::numeric_limits<float>::quiet_NaN(), 5), 0);
    EXPECT_EQ(positionOf(std::numeric_limits<float>::infinity(), 5),
              std::numeric_limits<int>::max());
    EXPECT_EQ(positionOf(-1e30f, 5), std::numeric_limits<int>::min());
    EXPECT_EQ(hornAmplitudeClipForDistance(-0.5f), hornAmplitudeClipForDistance(0.0f));
    EXPECT_FALSE(std::isnan(hornAmplitudeClipForDistance(std::numeric_limits<float>::quiet_NaN())));
}

TEST(ValueLaws, RiseTimeCoefficientIsAStableOnePole)
{
    // Going from 10 % to 90 % of a step shrinks the remaining gap ninefold, so over the rise
    // time the coefficient raised to the number of samples must be 1/9.
    const double rate = 48000.0;
    const double a = riseTimeCoefficient(0.5, rate);
    EXPECT_NEAR(std::pow(a, 0.5 * rate), 1.0 / 9.0, 1e-9);
    EXPECT_EQ(riseTimeCoefficient(0.0, rate), 0.0);
    EXPECT_EQ(riseTimeCoefficient(-1.0, rate), 0.0);
    EXPECT_EQ(riseTimeCoefficient(0.5, 0.0), 0.0);
    EXPECT_EQ(riseTimeCoefficient(std::numeric_limits<double>::quiet_NaN(), rate), 0.0);
}

} // namespace
