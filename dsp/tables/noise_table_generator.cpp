// Build-time synthesis of the motor-noise tables (run by the build, never shipped).
//
// Usage: kestro_noise_generator <output.bin>
//
// Design:
//  * Seamless loops by construction: every component is a function of the sample index modulo
//    the table length. Tones have a whole number of cycles per table, envelopes a whole number
//    of rotor turns per table, and noise is filtered circularly (each filter runs over the
//    table once to settle and again to record), so the last sample leads into the first like
//    any other pair of neighbours.
//  * Deterministic: noise comes from splitmix64 with a fixed seed per table; each component is
//    mixed at a stated RMS and each table normalized to a stated peak.
//  * Slow tables (a steady motor): mains-locked hum with harmonics and a little whine, a belt
//    thump per belt turn, bearing hiss and sparse bearing ticks. The drum slow table also
//    carries the faint swish of its five slow turns.
//  * Fast tables (a spinning rotor): air rush whose level and colour follow the turn (a peak
//    as the mouth passes, a smaller one for the back), the fast motor's hum, and mechanical
//    ticks at fixed places of the turn, so the character repeats once per turn: 34 turns in
//    the horn table, 88 in the drum table, at the rate the players read them.
//  * Click: damped resonances of the motor mount with a short noise burst and one bounce,
//    faded to exactly zero. Tables are "recorded" at 44.1 kHz like the players assume.

#include "dsp/tables/motor_noise_layout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

namespace layout = kestro::noise_layout;

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.283185307179586;

using Signal = std::vector<double>;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; } // [0, 1)
    double bipolar() { return 2.0 * uniform() - 1.0; }
    double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t state_;
};

// RBJ-style second-order sections, enough to colour noise.
struct Biquad {
    double b0, b1, b2, a1, a2;

    static Biquad make(double b0, double b1, double b2, double a0, double a1, double a2) {
        return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
    }
    static Biquad lowPass(double f, double q) {
        const double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
        return make((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
    static Biquad highPass(double f, double q) {
        const double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
        return make((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
    static Biquad bandPass(double f, double q) {
        const double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
        return make(alpha, 0.0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
    }
};

// Looping signals are filtered as if they had always been looping: the first pass only
// settles the filter, the second writes.
void filter(Signal& x, const Biquad& f, bool circular) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (int pass = circular ? 0 : 1; pass < 2; ++pass) {
        for (double& v : x) {
            const double in = v;
            const double y = f.b0 * in + f.b1 * x1 + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
            x2 = x1;
            x1 = in;
            y2 = y1;
            y1 = y;
            if (pass == 1) v = y;
        }
    }
}

Signal whiteNoise(std::size_t n, Random& rng) {
    Signal x(n);
    for (double& v : x) v = rng.bipolar();
    return x;
}

Signal colouredNoise(std::size_t n, Random& rng, std::initializer_list<Biquad> filters) {
    Signal x = whiteNoise(n, rng);
    for (const Biquad& f : filters) filter(x, f, true);
    return x;
}

// Position in [0, 1) within one of `periods` equal periods of the table; exact in integers
// so that the pattern closes on itself at the end of the table.
double periodPhase(std::size_t s, std::int64_t periods, std::size_t n) {
    const auto m = (periods * static_cast<std::int64_t>(s)) % static_cast<std::int64_t>(n);
    return static_cast<double>(m) / static_cast<double>(n);
}

// A smooth periodic bump centred at `centre` (in periods); larger `sharpness` is narrower.
double bump(double phase, double centre, double sharpness) {
    return std::pow(0.5 + 0.5 * std::cos(kTwoPi * (phase - centre)), sharpness);
}

// Hum: a fundamental with a whole number of cycles per table and decaying harmonics.
Signal hum(std::size_t n, std::int64_t cycles, int harmonics, double rolloff, Random& rng) {
    Signal x(n, 0.0);
    for (int h = 1; h <= harmonics; ++h) {
        const double amplitude = std::pow(static_cast<double>(h), -rolloff) * rng.between(0.5, 1.0);
        const double phase = kTwoPi * rng.uniform();
        for (std::size_t s = 0; s < n; ++s)
            x[s] += amplitude * std::sin(kTwoPi * periodPhase(s, cycles * h, n) + phase);
    }
    return x;
}

Signal tone(std::size_t n, std::int64_t cycles, Random& rng) { return hum(n, cycles, 1, 0.0, rng); }

// Impulses at random places (average `perSecond`), filtered circularly by the caller.
Signal sparseImpulses(std::size_t n, double perSecond, Random& rng) {
    Signal x(n, 0.0);
    const auto count = static_cast<std::size_t>(perSecond * static_cast<double>(n) / kRate);
    for (std::size_t k = 0; k < count; ++k) {
        const auto s = static_cast<std::size_t>(rng.uniform() * static_cast<double>(n));
        x[s] += rng.between(0.2, 1.0) * (rng.uniform() < 0.5 ? -1.0 : 1.0);
    }
    return x;
}

// Impulses at fixed places of every period (e.g. of every rotor turn), same strength each
// period apart from a little jitter, so the pattern is heard once per period.
Signal periodicImpulses(std::size_t n, std::int64_t periods, std::initializer_list<double> places,
                        Random& rng) {
    Signal x(n, 0.0);
    std::vector<double> strength;
    for (std::size_t k = 0; k < places.size(); ++k) strength.push_back(rng.between(0.4, 1.0));
    for (std::int64_t p = 0; p < periods; ++p) {
        std::size_t k = 0;
        for (double place : places) {
            const double at = (static_cast<double>(p) + place) * static_cast<double>(n) /
                              static_cast<double>(periods);
            const auto s = static_cast<std::size_t>(std::llround(at)) % n;
            x[s] += strength[k++] * rng.between(0.85, 1.15);
        }
    }
    return x;
}

double rms(const Signal& x) {
    double sum = 0.0;
    for (double v : x) sum += v * v;
    return std::sqrt(sum / static_cast<double>(x.size()));
}

// Adds `part` to `mix` at the given RMS level.
void mixAt(Signal& mix, const Signal& part, double level) {
    const double r = rms(part);
    if (r <= 0.0) return;
    const double g = level / r;
    for (std::size_t s = 0; s < mix.size(); ++s) mix[s] += g * part[s];
}

template <class Envelope>
Signal shaped(Signal x, Envelope envelope) {
    for (std::size_t s = 0; s < x.size(); ++s) x[s] *= envelope(s);
    return x;
}

void removeMean(Signal& x) {
    double sum = 0.0;
    for (double v : x) sum += v;
    const double mean = sum / static_cast<double>(x.size());
    for (double& v : x) v -= mean;
}

void normalizePeak(Signal& x, double peak) {
    double m = 0.0;
    for (double v : x) m = std::max(m, std::fabs(v));
    if (m > 0.0)
        for (double& v : x) v *= peak / m;
}

// ---- the tables ------------------------------------------------------------------------

Signal hornSlow(std::uint64_t seed) {
    const std::size_t n = layout::kLength[layout::HornSlowA];
    Random rng(seed);
    Signal x(n, 0.0);
    // 174 cycles per table is 120.1 Hz: a small motor humming at twice the mains frequency,
    // wobbling twice per table with the belt.
    Signal motor = hum(n, 174, 8, 1.3, rng);
    const double wobblePhase = kTwoPi * rng.uniform();
    motor = shaped(motor, [&](std::size_t s) {
        return 1.0 + 0.15 * std::sin(kTwoPi * periodPhase(s, 2, n) + wobblePhase);
    });
    mixAt(x, motor, 0.5);
    mixAt(x, tone(n, 174 * 13, rng), 0.04); // rotor whine
    Signal hiss = colouredNoise(n, rng, {Biquad::bandPass(2500, 0.8)});
    const double hissPhase = kTwoPi * rng.uniform();
    mixAt(x, shaped(hiss, [&](std::size_t s) {
              return 1.0 + 0.3 * std::sin(kTwoPi * periodPhase(s, 3, n) + hissPhase);
          }), 0.22);
    Signal ticks = sparseImpulses(n, 25.0, rng);
    filter(ticks, Biquad::bandPass(4200, 6.0), true);
    mixAt(x, ticks, 0.1);
    Signal thump = periodicImpulses(n, 4, {0.3}, rng);
    filter(thump, Biquad::bandPass(90, 3.0), true);
    mixAt(x, thump, 0.18);
    mixAt(x, colouredNoise(n, rng, {Biquad::lowPass(7000, 0.7)}), 0.05);
    removeMean(x);
    normalizePeak(x, 0.3);
    return x;
}

Signal drumSlow(std::uint64_t seed) {
    const std::size_t n = layout::kLength[layout::DrumSlowA];
    const std::int64_t turns = 5; // the player reads the table once every five turns
    Random rng(seed);
    Signal x(n, 0.0);
    mixAt(x, hum(n, 300, 10, 1.1, rng), 0.5); // 49 Hz: the larger motor
    Signal swish = colouredNoise(n, rng, {Biquad::bandPass(400, 0.7)});
    mixAt(x, shaped(swish, [&](std::size_t s) {
              return 0.3 + bump(periodPhase(s, turns, n), 0.0, 2.0);
          }), 0.18);
    Signal thump = periodicImpulses(n, turns * 3, {0.3}, rng); // belt joint, 3 per turn
    filter(thump, Biquad::bandPass(60, 3.0), true);
    mixAt(x, thump, 0.2);
    mixAt(x, colouredNoise(n, rng, {Biquad::bandPass(1800, 0.8)}), 0.18);
    Signal ticks = sparseImpulses(n, 15.0, rng);
    filter(ticks, Biquad::bandPass(3000, 5.0), true);
    mixAt(x, ticks, 0.08);
    removeMean(x);
    normalizePeak(x, 0.3);
    return x;
}

Signal hornFast(std::uint64_t seed) {
    const std::size_t n = layout::kLength[layout::HornFast];
    const std::int64_t turns = 34;
    Random rng(seed);
    Signal x(n, 0.0);
    // The horn's mouth passes the microphone once per turn, the open back half a turn later.
    Signal rush = colouredNoise(n, rng, {Biquad::bandPass(1400, 0.6)});
    mixAt(x, shaped(rush, [&](std::size_t s) {
              const double p = periodPhase(s, turns, n);
              return 0.35 + bump(p, 0.0, 3.0) + 0.5 * bump(p, 0.5, 3.0);
          }), 0.45);
    Signal air = colouredNoise(n, rng, {Biquad::highPass(4000, 0.7)});
    mixAt(x, shaped(air, [&](std::size_t s) {
              const double p = periodPhase(s, turns, n);
              return 0.1 + bump(p, 0.02, 8.0) + 0.4 * bump(p, 0.52, 8.0);
          }), 0.2);
    mixAt(x, hum(n, turns * 9, 6, 1.2, rng), 0.22); // fast motor, 61.5 Hz at the table's pace
    Signal ticks = periodicImpulses(n, turns, {0.1, 0.35, 0.6, 0.85}, rng);
    filter(ticks, Biquad::bandPass(3200, 4.0), true);
    mixAt(x, ticks, 0.1);
    removeMean(x);
    normalizePeak(x, 0.4);
    return x;
}

Signal drumFast(std::uint64_t seed) {
    const std::size_t n = layout::kLength[layout::DrumFast];
    const std::int64_t turns = 88;
    Random rng(seed);
    Signal x(n, 0.0);
    // The drum's opening sweeps past the microphone once per turn: a deep whoosh.
    Signal whoosh = colouredNoise(n, rng, {Biquad::lowPass(700, 0.7), Biquad::highPass(40, 0.7)});
    mixAt(x, shaped(whoosh, [&](std::size_t s) {
              const double p = periodPhase(s, turns, n);
              return 0.3 + bump(p, 0.0, 2.0) + 0.35 * bump(p, 0.5, 2.0);
          }), 0.5);
    Signal air = colouredNoise(n, rng, {Biquad::bandPass(1500, 0.7)});
    mixAt(x, shaped(air, [&](std::size_t s) {
              return 0.15 + bump(periodPhase(s, turns, n), 0.05, 4.0);
          }), 0.14);
    mixAt(x, hum(n, turns * 8, 8, 1.1, rng), 0.28); // 49.5 Hz at the table's pace
    Signal slap = periodicImpulses(n, turns, {0.7}, rng);
    filter(slap, Biquad::bandPass(120, 3.0), true);
    mixAt(x, slap, 0.15);
    mixAt(x, colouredNoise(n, rng, {Biquad::bandPass(2500, 0.9)}), 0.08);
    removeMean(x);
    normalizePeak(x, 0.4);
    return x;
}

Signal click(std::uint64_t seed) {
    const std::size_t n = layout::kLength[layout::Click];
    Random rng(seed);
    Signal x(n, 0.0);
    struct Mode {
        double frequency, decaySeconds, amplitude;
    };
    // A strike at `start` seconds: the mount's resonances ring down, a short burst of noise
    // carries the metallic contact.
    auto strike = [&](double start, double strength, std::initializer_list<Mode> modes) {
        Signal burst(n, 0.0);
        for (std::size_t s = 0; s < n; ++s) {
            const double t = static_cast<double>(s) / kRate - start;
            if (t < 0.0) continue;
            const double attack = std::min(1.0, t / 0.0003);
            double v = 0.0;
            for (const Mode& m : modes)
                v += m.amplitude * std::exp(-t / m.decaySeconds) * std::sin(kTwoPi * m.frequency * t);
            x[s] += strength * attack * v;
            burst[s] = strength * attack * std::exp(-t / 0.003) * rng.bipolar();
        }
        filter(burst, Biquad::bandPass(2000, 1.0), false);
        for (std::size_t s = 0; s < n; ++s) x[s] += 0.8 * burst[s];
    };
    strike(0.0005, 1.0, {{95, 0.030, 1.0}, {230, 0.014, 0.6}, {1150, 0.005, 0.35}, {3100, 0.002, 0.25}});
    strike(0.022, 0.45, {{105, 0.020, 1.0}, {260, 0.010, 0.5}, {1400, 0.004, 0.3}});
    // Fade the tail so the click ends on silence, whatever length the player stops at.
    const auto fade = static_cast<std::size_t>(0.015 * kRate);
    for (std::size_t k = 0; k < fade; ++k) {
        const double g = 0.5 + 0.5 * std::cos(kTwoPi * 0.5 * static_cast<double>(k + 1) /
                                              static_cast<double>(fade));
        x[n - fade + k] *= g;
    }
    x[n - 1] = 0.0;
    normalizePeak(x, 0.5);
    return x;
}

void appendTable(std::vector<float>& blob, const Signal& x, bool loops) {
    const std::size_t start = blob.size();
    for (double v : x) blob.push_back(static_cast<float>(v));
    for (int k = 0; k < layout::kGuardSamples; ++k)
        blob.push_back(loops ? blob[start + static_cast<std::size_t>(k)] : 0.0f);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.bin>\n", argv[0]);
        return 2;
    }
    const Signal tables[layout::TableCount] = {
        hornSlow(0x6b657374726f0001ull), hornSlow(0x6b657374726f0002ull),
        hornFast(0x6b657374726f0003ull), drumSlow(0x6b657374726f0004ull),
        drumSlow(0x6b657374726f0005ull), drumFast(0x6b657374726f0006ull),
        click(0x6b657374726f0007ull),
    };
    std::vector<float> blob;
    blob.reserve(static_cast<std::size_t>(layout::kTotalFloats));
    for (int id = 0; id < layout::TableCount; ++id) {
        if (tables[id].size() != static_cast<std::size_t>(layout::kLength[id])) {
            std::fprintf(stderr, "table %d has %zu samples, expected %d\n", id,
                         tables[id].size(), layout::kLength[id]);
            return 1;
        }
        appendTable(blob, tables[id], layout::kLoops[id]);
    }

    // Little-endian on every target we build for; swap if the build machine is not.
    std::vector<unsigned char> bytes(blob.size() * 4);
    for (std::size_t k = 0; k < blob.size(); ++k) {
        std::uint32_t u;
        std::memcpy(&u, &blob[k], 4);
        if constexpr (std::endian::native == std::endian::big) u = __builtin_bswap32(u);
        std::memcpy(&bytes[k * 4], &u, 4);
    }

    // Written aside and renamed, so an interrupted build never leaves a half blob that looks
    // up to date.
    const std::string path = argv[1];
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", temp.c_str());
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) {
        std::fprintf(stderr, "cannot write %s\n", temp.c_str());
        std::remove(temp.c_str());
        return 1;
    }
    std::remove(path.c_str());
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "cannot rename %s to %s\n", temp.c_str(), path.c_str());
        return 1;
    }
    return 0;
}
