// Text rules shared by the host parameter displays and the editor's value displays. Each
// works on an already derived quantity (a gain, seconds, metres, Hz...) that has been rounded
// to single precision; the arithmetic on the shown value is single precision too.
//
// Every function writes a NUL-terminated string into `text`, which must hold at least
// kTextBufferSize bytes. VST 2.4 nominally gives 8-byte name and label buffers, but the
// internal names run to 29 characters and every host we know passes 64 bytes or more, so
// 64 is the size we promise to stay within (snprintf, never beyond).
#pragma once

#include <cstddef>

namespace kestro {

inline constexpr std::size_t kTextBufferSize = 64;

// "On" when int(x + 0.5) is not 0, else "Off".
void formatOnOff(float x, char* text);

// x is a linear gain: "%.1f" of 20 log10(x) when x > 0, else "-oo".
void formatDb(float x, char* text);

// Lever position: "Chorale" up to 0.005, "Tremolo" from 0.995, else the bare percentage.
void formatLever(float x, char* text);

// Setup words for the setup position k = int(5 x + 0.5). Positions outside 0..5 have no
// words (empty text).
const char* setupFirstWord(int k);
const char* setupSecondWord(int k);
void formatSetupWords(float x, char* text); // both words, no space between

// Amplifier type word of n: "Thru", "Tube", "Solid"; any other n gives an empty text.
void formatAmplifierType(int n, char* text);

// t seconds: "%.1f" seconds from 1 s up, else "%.0f" milliseconds; the label follows.
void formatTime(float seconds, char* text);
const char* timeLabel(float seconds); // "s" or "ms"

// d metres of rotor distance, shown as the distance beyond the 0.35 m minimum:
// centimetres below 1 m, metres with two decimals from 1 m up.
void formatDistance(float metres, char* text);
const char* distanceLabel(float metres); // "m" or "cm"

// f Hz: "%.2f" kHz from 1000 Hz up, else "%.0f" Hz.
void formatFrequency(float hz, char* text);
const char* frequencyLabel(float hz); // "kHz" or "Hz"

// As formatFrequency, but exactly 0 means the filter is off: "Off", label " ".
void formatFrequencyOrOff(float hz, char* text);
const char* frequencyOrOffLabel(float hz);

// Pan position p (the normalized value): "%.1f" of (2p - 1) * 100.
void formatPan(float p, char* text);

// MIDI channel setting n: 0 "OFF", 1..16 "Ch n", 17 "OMNI". Any other n cannot match an
// incoming channel either, so it reads "OFF" too.
void formatMidiChannel(int n, char* text);

// printf-style helpers bounded by kTextBufferSize.
void formatFixed(float x, int decimals, char* text); // "%.<decimals>f"
void copyText(const char* source, char* text);

} // namespace kestro
