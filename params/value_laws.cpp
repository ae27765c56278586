#include "params/value_laws.h"

#include <climits>
#include <cmath>

namespace kestro {

namespace {
constexpr double kHalfPi = 1.5707963267948966;
} // namespace

float levelCurve(float v)
{
    return static_cast<float>(0.5048 * (std::exp(2.185 * static_cast<double>(v)) - 1.0));
}

float attenuationCurve(float v)
{
    return static_cast<float>(0.126794 * (std::exp(2.18457 * static_cast<double>(v)) - 1.0));
}

float radiusCurve(float v)
{
    return static_cast<float>(0.201667 * std::exp(0.482324 * static_cast<double>(v)) - 0.0766667);
}

float frequencyCurve(float v)
{
    return static_cast<float>(200.0 * std::pow(100.0, static_cast<double>(v)));
}

float timeCurve(float v)
{
    return static_cast<float>(std::pow(100.0, static_cast<double>(v)) * 0.10000000149011612);
}

float distanceCurve(float v)
{
    return static_cast<float>(1.3 * static_cast<double>(v) + 0.35);
}

PanPair panPair(float v)
{
    const double x = static_cast<double>(v);
    return PanPair{std::sin((1.0 - x) * kHalfPi), std::sin(x * kHalfPi)};
}

double saturationCurve(float v)
{
    return 0.0008 * static_cast<double>(std::pow(400.0f, v));
}

double decayExponentCurve(float v)
{
    return 0.5 * std::exp(1.38629 * static_cast<double>(v));
}

int truncateToInt(float x)
{
    if (std::isnan(x))
        return 0;
    // Compare in double: INT_MAX itself is not representable as a float.
    const double d = static_cast<double>(x);
    if (d >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (d <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(x);
}

int positionOf(float v, int k)
{
    return truncateToInt(static_cast<float>(k) * v + 0.5f);
}

float toneGainDb(float v)
{
    return 24.0f * v - 12.0f;
}

float rotorSpeedHz(float v)
{
    return 10.0f * v;
}

double inputGain(float v)
{
    return static_cast<double>(levelCurve(v)) * 0.70794578438;
}

double driveGain(float v)
{
    return std::pow(10.0, (40.0 * static_cast<double>(v) - 20.0) * 0.05);
}

double amountGain(float v)
{
    return static_cast<double>(levelCurve(v)) * 0.0316227766;
}

float amountDrive(float v)
{
    return static_cast<float>(0.25 * static_cast<double>(levelCurve(0.5f * v)));
}

float hornHighPassFrequency(float v)
{
    // Written as a negated >= so that NaN also lands on "off".
    if (!(static_cast<double>(v) >= 0.01))
        return 0.0f;
    return static_cast<float>(53.33 * std::exp(2.966 * static_cast<double>(v)) - 34.94);
}

float drumLowPassFrequency(float v)
{
    if (v == 1.0f)
        return 0.0f;
    return 200.0f * std::pow(100.0f, v);
}

float limitFrequency(float f, double limitHz)
{
    if (!(limitHz > 0.0))
        return f;
    return static_cast<double>(f) > limitHz ? static_cast<float>(limitHz) : f;
}

float hornAmplitudeClipForDistance(float v)
{
    const float x = v > 0.0f ? v : 0.0f;
    return (std::sqrt(x) - 0.5f) * 0.2f + 0.795879f;
}

double mic2DistanceOffset(float v)
{
    return 0.4 * static_cast<double>(v) - 0.2;
}

float micAngle(float v)
{
    return v - 0.5f;
}

double orientationOf(float v)
{
    return v <= 0.5f ? 1.0 : -1.0;
}

double hornAttenuationDistance(float v)
{
    return 0.1 * static_cast<double>(std::pow(100.0f, v));
}

float drumAttenuationDistance(float v)
{
    return 3.0f * v;
}

double roomSize(float v)
{
    return 0.1 * std::exp(3.58352 * static_cast<double>(v)) + 0.4;
}

double virtualRoomSize(float v)
{
    return 0.25 * std::exp(2.77259 * static_cast<double>(v));
}

double roomLrDelay(float v)
{
    return 0.15 * std::exp(2.30259 * static_cast<double>(v));
}

float splitterFrequency(float v)
{
    return static_cast<float>(50.0 * std::pow(10.0, static_cast<double>(v)));
}

double riseTimeCoefficient(double seconds, double rate)
{
    const double samples = seconds * rate * kRiseTimeFactor;
    if (!(samples > 0.0))
        return 0.0;
    return std::exp(-1.0 / samples);
}

} // namespace kestro
