// The model rate: the rotor model runs at the host rate divided by N (1, 2, 4 or 8), with
// 32-tap FIR kernels for decimation and interpolation. Also the rate-dependent rebuilds.
// All of it runs on the audio thread behind the rebuild fade (or in the constructor).

#include "dsp/numeric.h"
#include "engine/rotary_effect.h"

#include "params/parameter_table.h"
#include "params/value_laws.h"

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

alignas(64) constexpr float kKernel2[32] = {
    0.158475f,     0.40413f,      0.443081f,     0.152981f,     -0.138959f,    -0.121906f,   0.0513532f,
    0.079842f,     -0.0183899f,   -0.0484369f,   0.00519993f,   0.0271777f,    -0.000376335f, -0.0139331f,
    -0.000840721f, 0.00644502f,   0.000574515f,  -0.00254359f,  -0.000110664f, 0.000932312f,  -3.09126e-05f,
    -0.000298399f, 3.72791e-05f,  7.58576e-05f,  -1.72934e-05f, -1.26725e-05f, 4.25923e-06f,  7.40794e-07f,
    -2.7764e-07f,  -1.35601e-08f, 5.31743e-09f,  0.0f,
};

alignas(64) constexpr float kKernel4[32] = {
    0.036091f,    0.0916252f,    0.163579f,    0.22262f,     0.239687f,    0.20201f,     0.122257f,
    0.032206f,    -0.0348609f,   -0.0612234f,  -0.0508321f,  -0.0224731f,  0.00354496f,  0.015995f,
    0.0150811f,   0.00752067f,   0.000276066f, -0.00302326f, -0.00276721f, -0.0011328f,  0.000122287f,
    0.000488325f, 0.00031006f,   6.15313e-05f, -4.58112e-05f, -4.00507e-05f, -1.01356e-05f, 2.38828e-06f,
    1.93493e-06f, 2.79321e-07f,  1.16744e-08f, 0.0f,
};

alignas(64) constexpr float kKernel8[32] = {
    0.0117192f,    0.0237387f,    0.0423774f,   0.0645571f,   0.087148f,    0.106343f,    0.118617f,
    0.121654f,     0.114934f,     0.0998112f,   0.0790931f,   0.0562882f,   0.0347736f,   0.0170903f,
    0.00451541f,   -0.00298064f,  -0.00626659f, -0.00655697f, -0.00522021f, -0.00337762f, -0.00174128f,
    -0.000619019f, -2.27406e-05f, 0.000189417f, 0.000192548f, 0.000123327f, 5.73022e-05f, 1.88409e-05f,
    3.83681e-06f,  3.42788e-07f,  1.05304e-08f, 0.0f,
};


// 1 - exp(-1 / (rate * t)) with the time constant given as the float it has always been.
double smoothingCoefficient(double rate, float seconds)
{
    return 1.0 - std::exp(-1.0 / (rate * static_cast<double>(seconds)));
}

struct RateChoice {
    int factor;
    const float* kernel;
};

// Economy halves the model rate once more than high quality at every host rate.
bool chooseRate(double rate, int cpuMode, RateChoice& out)
{
    if (!(rate < 200000.0))
        return false;
    int step = rate < 50000.0 ? 0 : (rate < 100000.0 ? 1 : 2);
    if (cpuMode != 0)
        --step;
    switch (step) {
    case -1: out = {1, nullptr}; break;
    case 0: out = {2, kKernel2}; break;
    case 1: out = {4, kKernel4}; break;
    default: out = {8, kKernel8}; break;
    }
    return true;
}

} // namespace

// Shared by selectModelRate and its after-suspend variant: choose N and tell the voices.
static void applyRateChoice(double hostRate, int cpuMode, std::int32_t& factor, const float*& kernel,
                            double& modelRate)
{
    RateChoice choice{factor, kernel};
    if (chooseRate(hostRate, cpuMode, choice)) {
        factor = choice.factor;
        kernel = choice.kernel;
    }
    // At 200 kHz and above N stays, but the model must still run at the rate it is really
    // fed, or every speed and delay of the rotors would be off by the rate ratio.
    modelRate = hostRate / factor;
}

// N and the model rate for the host rate and CPU mode, given to every rotor voice.
void RotaryEffect::chooseModelRate()
{
    applyRateChoice(hostRate, cpuMode.load(std::memory_order_relaxed), factor, resampler.kernel, modelRateValue);
    factorMask = factor - 1;
    modelRateReciprocal = 1.0 / modelRateValue;
    hornPrimary[0]->setSampleRate(modelRateValue, factor);
    hornPrimary[1]->setSampleRate(modelRateValue, factor);
    drumPrimary->setSampleRate(modelRateValue, factor);
    hornSecondary->setSampleRate(modelRateValue, factor);
    drumSecondary->setSampleRate(modelRateValue, factor);
    factorSeen.store(factor, std::memory_order_relaxed);
    modelRateSeen.store(modelRateValue, std::memory_order_relaxed);
}

void RotaryEffect::selectModelRate()
{
    chooseModelRate();
    factorGain = static_cast<double>(factor);

    const double hornOctaves = 2.0 * static_cast<double>(appliedParameter(kHornReflectionLpf));
    const double drumOctaves = 2.0 * static_cast<double>(appliedParameter(kDrumReflectionLpf));
    forHornVoices([&](HornRotor& v) { v.setReflectionLpf(hornOctaves); });
    forDrumVoices([&](DrumRotor& v) { v.setReflectionLpf(drumOctaves); });
    clearEngineState();
    setComponentRates();
}

void RotaryEffect::takeHostRate()
{
    // No audio interface runs below 8 kHz. A host that reports less (or nothing usable) would
    // put every time constant, delay and filter of the model at a rate a fraction of a hertz
    // wide, which ends in a burst; the model runs at the lowest real rate instead.
    constexpr double kLowestHostRate = 8000.0;
    const double rate = static_cast<double>(getSampleRate());
    if (!std::isfinite(rate))
        return;
    hostRate = std::max(rate, kLowestHostRate);
    hostRateReciprocal = 1.0 / hostRate;
    hostNyquist = 0.5 * hostRate;
}

void RotaryEffect::selectModelRateAfterSuspend()
{
    takeHostRate();
    chooseModelRate();
    // clearEngineState has made every filter instant; they stay so until setComponentRates.
    clearEngineState();
    clearLinesAndRings();
}

void RotaryEffect::clearLinesAndRings()
{
    lines.clear();
    driveStage.lowPass = 0.0;
    resampler.clear();
}

template <typename Fn>
void RotaryEffect::forEachEngineFilter(Fn&& fn)
{
    // The rate each filter runs at: the tone stack and the output filters see every host
    // sample; everything else is processed on model samples only.
    for (auto& f : toneFilters) fn(*f, hostRate);
    for (auto& f : antiImaging) fn(*f, hostRate);
    // The horn post filters sit inside the model step, so they run at the model rate; at the
    // host rate their cutoff would fall by the resampling factor and differ between modes.
    for (auto& f : hornPostFilters) fn(*f, modelRateValue);
    fn(*drumFeedFilter, modelRateValue);
    fn(*cabinetFilter, modelRateValue);
    for (auto& f : colourFilters) fn(*f, modelRateValue);
    for (BiquadFilter& f : *hornVoicing) fn(f, modelRateValue);
    for (BiquadFilter& f : *reflectionVoicing) fn(f, modelRateValue);
}

void RotaryEffect::clearEngineState()
{
    driveStage.lowPass = 0.0;
    hornFeed.clear();
    drumSmoother.state = 0.0;
    hornSmoother.state = 0.0;
    // The dry substitute is not model state: it is what the output rests on while the model
    // is rebuilt, so it keeps following the input. Restarting it at silence clicked.
    drumLowPass.state = 0.0;
    if (modelRateValue < hostRate) {
        for (auto& f : antiImaging)
            f->setFrequency(modelRateValue + hostRate / 2205.0);
    }
    forEachEngineFilter([](BiquadFilter& f, double) { f.setInstant(true); });
    hornPrimary[0]->reset();
    hornPrimary[1]->reset();
    drumPrimary->reset();
}

void RotaryEffect::setComponentRates()
{
    forEachEngineFilter([](BiquadFilter& f, double rate) {
        f.setSampleRate(rate);
        f.setInstant(false);
    });

    const double half = 0.5 * modelRateValue;
    const float v22 = appliedParameter(kHornHighPass);
    double hornHz = !(static_cast<double>(v22) >= 0.01) ? 0.0 : std::exp(2.966 * static_cast<double>(v22)) * 53.33 - 34.94;
    hornHz = std::max(std::min(hornHz, half), 20.0);
    const float v29 = appliedParameter(kDrumLowPass);
    double drumHz = v29 == 1.0f ? 0.0 : 200.0 * std::pow(100.0, static_cast<double>(v29));
    drumHz = std::max(std::min(drumHz, half), 20.0);
    if (!std::isfinite(hornHz)) hornHz = 20.0;
    if (!std::isfinite(drumHz)) drumHz = 20.0;
    hornHighPassHz.store(hornHz, std::memory_order_relaxed);
    drumLowPassHz.store(drumHz, std::memory_order_relaxed);
    for (auto& f : hornPostFilters)
        f->setFrequency(hornHz);

    const double T = modelRateReciprocal;
    drumLowPassCoefficient = flush(std::pow(0.005, T * drumHz));
    hornFeed.coefficient = flush(std::pow(0.005, 500.0 * T));
    drumSmootherCoefficient = flush(std::exp(-20106.192982976 * T));
    hornSmootherCoefficient = flush(std::exp(-28274.33388231 * T));
    dry.pole = flush(std::exp(-18849.55592154 * T));

    hornPrimary[0]->prepareFilters();
    hornPrimary[1]->prepareFilters();
    drumPrimary->prepareFilters();
}

void RotaryEffect::fullRebuild()
{
    takeHostRate();
    counter = 0;
    selectModelRate();

    snapGlidesToTargets();

    parameterCoefficient = smoothingCoefficient(hostRate, 0.03f);
    driveCoefficient = smoothingCoefficient(hostRate, 0.1f);
    fadeCoefficient = smoothingCoefficient(hostRate, 0.02f);
    slowCoefficient = smoothingCoefficient(hostRate, 0.5f);

    clearLinesAndRings();
    reflections->clear();
    computeEarlyReflections();

    driveStage.dcCoefficient = 1.0 - std::pow(0.109, 2.0 / (hostRate * static_cast<double>(0.1f)));

    const float h = appliedParameter(kHornDistance);
    setParameter(kHornAmplitudeClip, hornAmplitudeClipForDistance(h));
}

void RotaryEffect::snapGlidesToTargets()
{
    for (std::size_t i = 0; i < current.size(); ++i) {
        current[i] = smoothTarget[i].load(std::memory_order_relaxed);
        blockTarget[i] = current[i];
    }
    drive = driveTarget.load(std::memory_order_relaxed);
    driveBlockTarget = drive;
    glidesSettled = false;
}

void RotaryEffect::computeEarlyReflections()
{
    reflections->computeReflections(roomSizeValue.load(std::memory_order_relaxed),
                                    virtualRoomSizeValue.load(std::memory_order_relaxed),
                                    roomLrDelayValue.load(std::memory_order_relaxed),
                                    roomMainCutoff.load(std::memory_order_relaxed), modelRateValue);
}

} // namespace kestro
