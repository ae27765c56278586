// Regression guard for the rotor voices' arithmetic: every voice kind runs a fixed three-second
// scene (speed changes, brake and release, a flip, geometry rebuilds through all three
// visibility cases) at both model rates, and a compact fingerprint of its outputs (sum, sum
// of magnitudes, sum of squares, a few samples) must match the values recorded from the
// straightforward per-sample implementation. The voices are heavily optimised; this is what
// proves an optimisation kept the sound: only rounding-level differences (1e-9 relative)
// are tolerated.
//
// To re-record after an intended change of the model (never for a speed-up), run with
// KESTRO_RECORD_ROTOR_REFERENCE=1 and paste the printed table over rotor_reference_values.inc
// (the test program itself, not CTest: under CTest record mode refuses to run).

#include "dsp/drum_rotor.h"
#include "dsp/horn_rotor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using kestro::DrumRotor;
using kestro::HornRotor;

constexpr double kTolerance = 1e-9;
constexpr int kProbes = 8;
constexpr int kFingerprint = 3 + kProbes;
constexpr double kSeconds = 3.0;

struct Fingerprint {
    double sum = 0.0, sumAbs = 0.0, sumSq = 0.0;
    std::array<double, kProbes> probes{};
};

// Probe positions: spread over the scene, off any round number.
std::size_t probeIndex(int k, std::size_t n) {
    return (static_cast<std::size_t>(k) * n) / kProbes + 1237;
}

Fingerprint fingerprint(const std::vector<double>& y) {
    Fingerprint f;
    for (double v : y) {
        f.sum += v;
        f.sumAbs += std::fabs(v);
        f.sumSq += v * v;
    }
    for (int k = 0; k < kProbes; ++k) f.probes[static_cast<std::size_t>(k)] = y[probeIndex(k, y.size())];
    return f;
}

// Broadband and deterministic: an organ-like chord, a decaying click train and a little
// pseudo-random noise, defined in seconds so both rates hear the same music.
std::vector<double> sceneInput(double rate) {
    const auto n = static_cast<std::size_t>(kSeconds * rate);
    std::vector<double> x(n);
    std::uint32_t lcg = 12345u;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        lcg = lcg * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(lcg >> 8) / 8388608.0 - 1.0) * 0.05;
        const double clickPhase = std::fmod(t, 0.25);
        const double click = 0.4 * std::exp(-clickPhase * 300.0) * std::sin(2.0 * M_PI * 3000.0 * t);
        x[i] = 0.3 * std::sin(2.0 * M_PI * 220.0 * t) + 0.2 * std::sin(2.0 * M_PI * 441.3 * t) +
               0.1 * std::sin(2.0 * M_PI * 1318.5 * t) + 0.05 * std::sin(2.0 * M_PI * 5200.0 * t) +
               click + noise;
    }
    return x;
}

// What the engine sets up, then the scene's events at fixed times.
template <class Voice>
void setUp(Voice& v, double rate, int factor, double micAngle) {
    v.setFlip(1.0);
    v.setSlowSpeed(0.8);
    v.setFastSpeed(6.7);
    v.setAccelTime(0.6);
    v.setDecelTime(1.2);
    v.setLever(1.0);
    v.setDistance(1.0);
    v.setMicAngle(micAngle);
    v.setReflectionCoeff(0.25);
    v.setStaticFilterCutoff(2000.0);
    v.setStaticRayWeight(0.4);
    v.setMechLevel(0.5);
    v.setFilterSaturation(0.3);
    v.setSampleRate(rate, factor);
    v.reset();
    v.prepareFilters();
    v.rebuildGeometry();
}

template <class Voice>
void sceneEvent(Voice& v, double t, double angleShift) {
    auto at = [t](double when) { return t == when; };
    if (at(0.4)) v.setLever(0.0); // to fast
    if (at(1.0)) v.setStop(1.0);  // brake
    if (at(1.5)) v.setStop(0.0);  // release: back to fast
    if (at(1.8)) v.setLever(0.3); // between
    if (at(2.0)) {
        v.setFlip(-1.0);
        v.setMicAngle(0.4 + angleShift); // behind the cabinet
        v.rebuildGeometry();
    }
    if (at(2.3)) {
        v.setMicAngle(-0.19 + angleShift);
        v.setDistance(1.5);
        v.setAmRadius(0.2);
        v.setAttenuation(1.2);
        v.setFmRadius(0.15);
        v.rebuildGeometry();
    }
    if (at(2.6)) {
        v.setMicAngle(0.0 + angleShift);
        v.setReflectionCoeff(0.4);
        v.setReflectionLpf(0.5);
        v.setLever(1.0);
        v.rebuildGeometry();
    }
}

enum class Kind { Horn1, Horn2, HornSecondary, DrumPrimary, DrumSecondary };

struct Case {
    const char* name;
    Kind kind;
    double rate;
    int factor;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

constexpr Case kCases[] = {
    {"horn1@22050", Kind::Horn1, 22050.0, 2},
    {"horn2@22050", Kind::Horn2, 22050.0, 2},
    {"hornS@22050", Kind::HornSecondary, 22050.0, 2},
    {"drumP@22050", Kind::DrumPrimary, 22050.0, 2},
    {"drumS@22050", Kind::DrumSecondary, 22050.0, 2},
    {"horn1@44100", Kind::Horn1, 44100.0, 1},
    {"horn2@44100", Kind::Horn2, 44100.0, 1},
    {"hornS@44100", Kind::HornSecondary, 44100.0, 1},
    {"drumP@44100", Kind::DrumPrimary, 44100.0, 1},
    {"drumS@44100", Kind::DrumSecondary, 44100.0, 1},
};

// Channels per case: the output, then (primary voices) the motor noise, then (primary drum)
// the low output.
std::vector<std::vector<double>> runCase(const Case& c, bool wide) {
    const std::vector<double> x = sceneInput(c.rate);
    const std::size_t n = x.size();
    std::vector<std::vector<double>> ch;
    // Event times are whole multiples of 0.1 s, i.e. whole samples at both rates.
    const auto tenth = static_cast<std::size_t>(c.rate / 10.0);
    auto eventTime = [&](std::size_t i) -> double {
        return i % tenth == 0 ? static_cast<double>(i / tenth) / 10.0 : -1.0;
    };
    auto roundTenth = [](double t) { return std::round(t * 10.0) / 10.0; };

    if (c.kind == Kind::DrumPrimary || c.kind == Kind::DrumSecondary) {
        const bool primary = c.kind == Kind::DrumPrimary;
        auto d = std::make_unique<DrumRotor>(primary);
        d->setWideLanes(wide);
        setUp(*d, c.rate, c.factor, 0.19);
        d->setSplitterFrequency(150.0);
        d->setStaticLpGain(0.8);
        for (int k = 0; k < DrumRotor::kRayWeights; ++k) d->setRayWeight(k, 0.9 - 0.1 * k);
        ch.assign(primary ? 3 : 1, std::vector<double>(n));
        for (std::size_t i = 0; i < n; ++i) {
            const double t = eventTime(i);
            if (t >= 0.0) {
                sceneEvent(*d, roundTenth(t), 0.0);
                if (roundTenth(t) == 2.3) {
                    d->setSplitterFrequency(300.0);
                    d->setFilterSaturation(0.8);
                }
            }
            if (primary) {
                ch[0][i] = d->processPrimary(x[i]);
                ch[1][i] = d->noiseSample();
                ch[2][i] = d->lowOutput();
            } else {
                ch[0][i] = d->processSecondary(x[i]);
            }
        }
        return ch;
    }

    const bool primary = c.kind != Kind::HornSecondary;
    auto h = std::make_unique<HornRotor>(primary ? 1 : 0, c.kind == Kind::Horn2 ? 1 : 0);
    h->setWideLanes(wide);
    const double shift = c.kind == Kind::Horn2 ? 0.05 : 0.0;
    setUp(*h, c.rate, c.factor, 0.19 + shift);
    h->setOpenBackMode(1);
    h->setAmplitudeClip(0.05);
    for (int k = 0; k < HornRotor::kRayWeights; ++k) h->setRayWeight(k, 1.0 - 0.05 * k);
    ch.assign(primary ? 2 : 1, std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const double t = eventTime(i);
        if (t >= 0.0) {
            sceneEvent(*h, roundTenth(t), shift);
            if (roundTenth(t) == 2.3) h->setAmplitudeClip(0.2);
        }
        if (primary) {
            ch[0][i] = h->processPrimary(x[i]);
            ch[1][i] = h->noiseSample();
        } else {
            ch[0][i] = h->processSecondary(x[i]);
        }
    }
    return ch;
}

struct Reference {
    const char* name;
    int channel;
    double values[kFingerprint]; // sum, sum of magnitudes, sum of squares, probes
};

// Recorded from the plain per-sample implementation (see the top of the file).
constexpr Reference kReference[] = {
#include "rotor_reference_values.inc"
};

const Reference* findReference(const std::string& name, int channel) {
    for (const Reference& r : kReference)
        if (name == r.name && channel == r.channel) return &r;
    return nullptr;
}

bool recording() {
    const char* v = std::getenv("KESTRO_RECORD_ROTOR_REFERENCE");
    return v != nullptr && std::strcmp(v, "") != 0 && std::strcmp(v, "0") != 0;
}

class RotorReference : public ::testing::TestWithParam<Case> {};

TEST_P(RotorReference, OutputsMatchTheRecordedFingerprint) {
    const Case& c = GetParam();
    const char* underCtest = std::getenv("KESTRO_UNDER_CTEST");
    if (recording() && underCtest != nullptr && std::strcmp(underCtest, "") != 0)
        FAIL() << "record mode runs only from the test program itself, never under CTest";
    // The voices run two or four lanes at once depending on the processor; both must give
    // the same samples, bit for bit.
    const std::vector<std::vector<double>> ch = runCase(c, false);
    if (kestro::simd::wideLanesSupported()) {
        const std::vector<std::vector<double>> wide = runCase(c, true);
        for (std::size_t k = 0; k < ch.size(); ++k)
            EXPECT_TRUE(ch[k] == wide[k]) << c.name << " channel " << k << " differs between lane widths";
    }
    for (std::size_t k = 0; k < ch.size(); ++k) {
        const Fingerprint f = fingerprint(ch[k]);
        double got[kFingerprint] = {f.sum, f.sumAbs, f.sumSq};
        for (int p = 0; p < kProbes; ++p) got[3 + p] = f.probes[static_cast<std::size_t>(p)];

        if (recording()) {
            std::printf("    {\"%s\", %d, {", c.name, static_cast<int>(k));
            for (int v = 0; v < kFingerprint; ++v) std::printf("%s%.17g", v ? ", " : "", got[v]);
            std::printf("}},\n");
            continue;
        }
        const Reference* ref = findReference(c.name, static_cast<int>(k));
        ASSERT_NE(ref, nullptr) << c.name << " channel " << k << " has no recorded reference";
        // A channel that is silent throughout must stay exactly silent.
        const double n = static_cast<double>(ch[k].size());
        const double rms = std::sqrt(ref->values[2] / n);
        // The plain sum may cancel to near zero: measure it against the sum of magnitudes; a
        // probe near a zero crossing against the channel's RMS.
        double scale[kFingerprint] = {ref->values[1], ref->values[1], ref->values[2]};
        for (int p = 0; p < kProbes; ++p) scale[3 + p] = std::max(std::fabs(ref->values[3 + p]), rms);
        double worst = 0.0;
        for (int v = 0; v < kFingerprint; ++v) {
            const double deviation = std::fabs(got[v] - ref->values[v]) / scale[v];
            worst = std::max(worst, deviation);
            EXPECT_LE(deviation, kTolerance)
                << c.name << " channel " << k << " value " << v << ": " << got[v] << " vs " << ref->values[v];
        }
        if (std::getenv("KESTRO_ROTOR_REFERENCE_VERBOSE") != nullptr)
            std::printf("%s channel %d: worst relative deviation %.3g\n", c.name, static_cast<int>(k), worst);
    }
}

INSTANTIATE_TEST_SUITE_P(AllVoices, RotorReference, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             std::string s = param.param.name;
                             for (char& ch : s)
                                 if (ch == '@') ch = '_';
                             return s;
                         });

} // namespace
