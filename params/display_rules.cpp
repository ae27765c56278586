#include "params/display_rules.h"

#include "params/value_laws.h"

#include <cmath>
#include <cstdio>

namespace kestro {

namespace {

// Varargs promote float to double, which is exact, so printing a float never rounds twice.
void printFloat(char* text, int decimals, float x)
{
    std::snprintf(text, kTextBufferSize, "%.*f", decimals, static_cast<double>(x));
}

} // namespace

void copyText(const char* source, char* text)
{
    std::snprintf(text, kTextBufferSize, "%s", source);
}

void formatFixed(float x, int decimals, char* text)
{
    printFloat(text, decimals, x);
}

void formatOnOff(float x, char* text)
{
    copyText(positionOf(x, 1) != 0 ? "On" : "Off", text);
}

void formatDb(float x, char* text)
{
    if (x > 0.0f)
        printFloat(text, 1, 20.0f * std::log10(x));
    else
        copyText("-oo", text);
}

void formatLever(float x, char* text)
{
    if (x <= 0.005f)
        copyText("Chorale", text);
    else if (x >= 0.995f)
        copyText("Tremolo", text);
    else
        std::snprintf(text, kTextBufferSize, "%d", truncateToInt(100.0f * x + 0.5f));
}

const char* setupFirstWord(int k)
{
    static constexpr const char* kWords[] = {"Amp", "Front", "Front", "Front", "Opposite", "Mono"};
    return k >= 0 && k <= 5 ? kWords[k] : "";
}

const char* setupSecondWord(int k)
{
    static constexpr const char* kWords[] = {"Only", "Side", "Diagonal", "Rear", "Diagonal", ""};
    return k >= 0 && k <= 5 ? kWords[k] : "";
}

void formatSetupWords(float x, char* text)
{
    const int k = positionOf(x, 5);
    std::snprintf(text, kTextBufferSize, "%s%s", setupFirstWord(k), setupSecondWord(k));
}

void formatAmplifierType(int n, char* text)
{
    static constexpr const char* kWords[] = {"Thru", "Tube", "Solid"};
    copyText(n >= 0 && n <= 2 ? kWords[n] : "", text);
}

void formatTime(float seconds, char* text)
{
    const float ms = 1000.0f * seconds;
    if (ms >= 1000.0f)
        printFloat(text, 1, ms / 1000.0f);
    else
        printFloat(text, 0, ms);
}

const char* timeLabel(float seconds)
{
    return 1000.0f * seconds >= 1000.0f ? "s" : "ms";
}

void formatDistance(float metres, char* text)
{
    const float e = metres - 0.35f;
    if (e < 0.0f)
        printFloat(text, 0, 0.0f);
    else if (e < 1.0f)
        printFloat(text, 0, 100.0f * e);
    else
        printFloat(text, 2, e);
}

const char* distanceLabel(float metres)
{
    return metres - 0.35f >= 1.0f ? "m" : "cm";
}

void formatFrequency(float hz, char* text)
{
    if (hz >= 1000.0f)
        printFloat(text, 2, hz / 1000.0f);
    else
        printFloat(text, 0, hz);
}

const char* frequencyLabel(float hz)
{
    return hz >= 1000.0f ? "kHz" : "Hz";
}

void formatFrequencyOrOff(float hz, char* text)
{
    if (hz == 0.0f)
        copyText("Off", text);
    else
        formatFrequency(hz, text);
}

const char* frequencyOrOffLabel(float hz)
{
    return hz == 0.0f ? " " : frequencyLabel(hz);
}

void formatPan(float p, char* text)
{
    printFloat(text, 1, (2.0f * p - 1.0f) * 100.0f);
}

void formatMidiChannel(int n, char* text)
{
    if (n >= 1 && n <= 16)
        std::snprintf(text, kTextBufferSize, "Ch %d", n);
    else if (n == 17)
        copyText("OMNI", text);
    else
        copyText("OFF", text);
}

} // namespace kestro
