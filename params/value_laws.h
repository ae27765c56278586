// Value laws: how a normalized parameter value (a float, nominally 0..1) becomes an engine
// quantity. Every function here is pure and cheap enough for any thread, the audio thread
// included; none allocates or throws.
//
// Precision is part of each law, because host displays, stored files and the engine must
// all see the very same number. The comment on each law says where it rounds:
//   "single"  - the double-precision result is rounded once to float at the very end;
//   "float"   - every operation is done in single precision (float operands, float maths);
//   "double"  - no rounding to float at all.
// None of the laws clamps v: values outside 0..1 are legal input (hosts and programs may
// send them) and are mapped by the same formula. Where the formula alone would turn a
// nonsensical input into NaN or an out-of-range integer, the law says what it does instead.
#pragma once

namespace kestro {

// ---- curves ----------------------------------------------------------------------------

// Level curve L: 0.5048 * (exp(2.185 v) - 1), single. 0 at v = 0, unity (1.00037) at 0.5,
// about +12 dB (3.98320) at 1.
float levelCurve(float v);

// Attenuation curve A: 0.126794 * (exp(2.18457 v) - 1), single. -12 dB at 0.5, 1.0 at 1.
float attenuationCurve(float v);

// Radius curve R in metres: 0.201667 * exp(0.482324 v) - 0.0766667, single.
float radiusCurve(float v);

// Frequency curve F in Hz: 200 * pow(100, v), double power, single. 200 Hz .. 20 kHz.
float frequencyCurve(float v);

// Time curve T in seconds (a 10 %..90 % rise time): 100^v * 0.10000000149011612, double
// power, single. The constant is the float 0.1f widened, which is what the stored times
// have always been built from.
float timeCurve(float v);

// Distance curve D in metres: 1.3 v + 0.35, double, single.
float distanceCurve(float v);

// Constant-power pan pair: left = sin((1 - v) * pi/2), right = sin(v * pi/2), double.
struct PanPair {
    double left;
    double right;
};
PanPair panPair(float v);

// Saturation curve S: 0.0008 * powf(400, v). The power is single precision (powf); the
// product is kept in double.
double saturationCurve(float v);

// Decay-exponent curve E: 0.5 * exp(1.38629 v), double. 0.5 .. 2.0.
double decayExponentCurve(float v);

// ---- host-parameter laws ----------------------------------------------------------------

// int(k v + 0.5) with the arithmetic in float, truncated toward zero: the switch and
// position rule of Bypass, CPUmode, Stop, Setup, Type, Size, MIDIchl and the on/off
// displays. NaN gives 0 and results beyond the int range saturate, because a NaN or a huge
// value must never reach an integer conversion (undefined behaviour) or an index.
int positionOf(float v, int k);

// Truncation toward zero with the same NaN/range safety (int(2v) of Horn Open Back Mode).
int truncateToInt(float x);

// Tone-stack band gain in dB: 24 v - 12, float (Bottom, LoMid, Presence, Top).
float toneGainDb(float v);

// Rotor speed in Hz: 10 v, float (HSlowSpd, HFastSpd, DSlowSpd, DFastSpd).
float rotorSpeedHz(float v);

// Input gain: L(v) * 0.70794578438 (-3 dB at mid position), double product of the single L.
double inputGain(float v);

// Preamp drive gain: pow(10, (40 v - 20) * 0.05), double; -20 dB .. +20 dB.
double driveGain(float v);

// Amplifier amount gain: L(v) * 0.0316227766 (-30 dB), double product of the single L.
double amountGain(float v);

// Amplifier amount drive: 0.25 * L(0.5 v), single.
float amountDrive(float v);

// Horn high-pass frequency H in Hz: 53.33 * exp(2.966 v) - 34.94, double, single; exactly 0
// (off) when v < 0.01, with v compared as given: the float a host sends for 1 % is
// 0.0099999998, below 0.01, so it is "Off". 20 Hz .. 1000.4 Hz.
float hornHighPassFrequency(float v);

// Drum low-pass frequency P in Hz: 200 * powf(100, v), float; exactly 0 (off) when v is
// exactly 1.0. The power is single precision, unlike F.
float drumLowPassFrequency(float v);

// The model-rate limit the engine applies to the two filter frequencies above: the smaller
// of f and limitHz when limitHz is positive; f unchanged when limitHz is not (no rate known
// yet, or NaN). Single.
float limitFrequency(float f, double limitHz);

// Horn amplitude clip that follows HDistance: (sqrt(v) - 0.5) * 0.2 + 0.795879, float.
// A negative or NaN v is taken as 0 so that the clip level (a lower bound on every ray
// level) can never become NaN; 0..1 is unaffected.
float hornAmplitudeClipForDistance(float v);

// Second horn microphone distance offset: 0.4 v - 0.2, double (relative to the horn distance).
double mic2DistanceOffset(float v);

// Microphone angle in turns: v - 0.5, float.
float micAngle(float v);

// Rotor orientation: +1.0 when v <= 0.5, else -1.0 (Horn Flip, Drum Flip). NaN gives -1.0.
double orientationOf(float v);

// Horn attenuation distance in metres: 0.1 * powf(100, v), single-precision power, double
// product. 0.1 .. 10 m.
double hornAttenuationDistance(float v);

// Drum attenuation distance in metres: 3 v, float. 0 .. 3 m.
float drumAttenuationDistance(float v);

// Early reflections: room size 0.1 * exp(3.58352 v) + 0.4 (0.5 .. 4.0), virtual room size
// 0.25 * exp(2.77259 v) (0.25 .. 4.0), left/right delay 0.15 * exp(2.30259 v) m
// (0.15 .. 1.5). All double.
double roomSize(float v);
double virtualRoomSize(float v);
double roomLrDelay(float v);

// Drum splitter (crossover) frequency in Hz: 50 * pow(10, v), double power, single.
float splitterFrequency(float v);

// ---- time constants ---------------------------------------------------------------------

// 1 / ln 9: turns a 10 %..90 % rise time into the time constant of a one-pole smoother.
inline constexpr double kRiseTimeFactor = 0.45511961331;

// One-pole coefficient for a rise time of t seconds at a given rate:
// exp(-1 / (t * rate * 0.45511961331)), double. A time or rate that is zero, negative or
// NaN gives 0 (the smoother follows at once) rather than a coefficient of 1 or more, which
// would make the smoother unstable.
double riseTimeCoefficient(double seconds, double rate);

} // namespace kestro
