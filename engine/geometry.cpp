// Crosstalk geometry: how far the drum microphone is from the horn, the horn microphone from
// the drum, and both from the cabinet. The results are targets; the cabinet model glides the
// delays and gains there over about 30 ms.

#include "dsp/numeric.h"
#include "engine/rotary_effect.h"

#include <cmath>

namespace kestro {

namespace {

constexpr double kSecondsPerMetre = 0.0029386699579770194; // 1 / 340.29 m/s
constexpr double kMicHeightSquared = 0.5929;               // 0.77 m above the rotor plane
constexpr double kMicHeight = 0.77;

struct Point {
    double x;
    double y;
};

// A microphone at distance D and angle A (turns), in units of the rotor's AM radius.
Point microphonePoint(const RotorVoice& voice)
{
    const double scaled = voice.distance() / voice.amRadius();
    const double angle = kTwoPi * (voice.micAngle() - 0.25);
    return {scaled * std::cos(angle), scaled * std::sin(angle)};
}

// A delay in model samples must stay a usable number whatever the geometry gave.
double finiteOrZero(double x)
{
    return std::isfinite(x) ? x : 0.0;
}

} // namespace

void RotaryEffect::computeGeometry()
{
    const double rate = modelRateValue;

    Point p = microphonePoint(*drumPrimary);
    const double d4 = std::sqrt(p.x * p.x + p.y * p.y);
    setTarget(SmGain4, finiteOrZero(drumSecondary->distanceGain(d4)));
    setTarget(SmDelay4, finiteOrZero(rate * d4 * kSecondsPerMetre));

    double s = hornSecondary->amRadius();
    if (hornSecondary->orientation() > 1.0)
        s = -s;

    const double d3 = std::sqrt((p.y - s) * (p.y - s) + p.x * p.x + kMicHeightSquared);
    setTarget(SmGain3, finiteOrZero(hornSecondary->distanceGain(d3)));
    setTarget(SmDelay3, finiteOrZero((d3 - kMicHeight) * rate * kSecondsPerMetre));

    p = microphonePoint(*hornPrimary[0]);
    const double d5 = std::sqrt((p.y - s) * (p.y - s) + p.x * p.x + kMicHeightSquared);
    setTarget(SmGain5, finiteOrZero(hornSecondary->distanceGain(d5)));
    setTarget(SmDelay5, finiteOrZero((d5 - kMicHeight) * rate * kSecondsPerMetre));

    const double d1 = std::sqrt(p.x * p.x + p.y * p.y + kMicHeightSquared);
    const double g1 = finiteOrZero(drumSecondary->distanceGain(d1));
    setTarget(SmGain1, g1);
    setTarget(SmGain2, g1);
    setTarget(SmDelay2, finiteOrZero(d1 * kSecondsPerMetre * rate));
    setTarget(SmDelay1, finiteOrZero((d1 - kMicHeight) * kSecondsPerMetre * rate));
}

} // namespace kestro
