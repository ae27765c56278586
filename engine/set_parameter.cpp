// The one place where a normalized parameter value becomes engine values: gains, times,
// frequencies, distances, switches, and the requests the engine carries out behind its
// fade. Runs on whatever thread calls it; it only stores atomics, calls the rotor voices'
// thread-safe setters and raises requests.

#include "engine/rotary_effect.h"

#include "params/parameter_table.h"
#include "toolkit/aeff_gui_editor.h"
#include "params/value_laws.h"
#include "params/voicing_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestro {

namespace {

constexpr double kDrumSampleGain = 7.96214341106; // +18.02 dB

// Every law and position rule is made for 0..1. Setup and Size keep their own rule for a
// position outside their range (no row applied); any other value a host sends outside 0..1
// is applied as its nearest end, because a law fed 40 or 1e30 is a gain of hundreds of dB,
// a filter past its stability or a brake of millions: a burst or NaN, never a sound.
float appliedValue(VstInt32 index, float v)
{
    if (index == kSetup || index == kSize)
        return v;
    return std::clamp(v, 0.0f, 1.0f);
}

// The rows both rotors have with one law and one setter for every voice of the rotor, and
// no rebuild: speeds and ramp times, the low-pass cutoffs, the reflection coefficient and
// low-pass, the static filter cutoff and the static ray weight.
struct SharedVoiceRows {
    VstInt32 slowSpeed;
    VstInt32 fastSpeed;
    VstInt32 accel;
    VstInt32 decel;
    VstInt32 lpfLow;
    VstInt32 lpfHigh;
    VstInt32 reflectionCoeff;
    VstInt32 reflectionLpf;
    VstInt32 staticFilterCutoff;
    VstInt32 staticRay;
};

constexpr SharedVoiceRows kHornSharedRows{.slowSpeed = kHornSlowSpeed,
                                          .fastSpeed = kHornFastSpeed,
                                          .accel = kHornAccel,
                                          .decel = kHornDecel,
                                          .lpfLow = kHornLpfCutLow,
                                          .lpfHigh = kHornLpfCutHigh,
                                          .reflectionCoeff = kHornReflectionCoeff,
                                          .reflectionLpf = kHornReflectionLpf,
                                          .staticFilterCutoff = kHornStaticFilterCutoff,
                                          .staticRay = kHornStaticRay};
constexpr SharedVoiceRows kDrumSharedRows{.slowSpeed = kDrumSlowSpeed,
                                          .fastSpeed = kDrumFastSpeed,
                                          .accel = kDrumAccel,
                                          .decel = kDrumDecel,
                                          .lpfLow = kDrumLpfCutLow,
                                          .lpfHigh = kDrumLpfCutHigh,
                                          .reflectionCoeff = kDrumReflectionCoeff,
                                          .reflectionLpf = kDrumReflectionLpf,
                                          .staticFilterCutoff = kDrumStaticFilterCutoff,
                                          .staticRay = kDrumStaticRay};

// Applies index to every voice `each` visits, if it is one of `rows`: speeds 10 v Hz, ramp
// times T(v) s, cutoffs F(v) Hz, reflection coefficient A(v), reflection low-pass 2 v octaves,
// static ray weight v.
template <typename EachVoice>
bool applySharedVoiceRow(const SharedVoiceRows& rows, VstInt32 index, float v, EachVoice&& each)
{
    if (index == rows.slowSpeed) {
        const double hz = rotorSpeedHz(v);
        each([hz](auto& voice) { voice.setSlowSpeed(hz); });
    } else if (index == rows.fastSpeed) {
        const double hz = rotorSpeedHz(v);
        each([hz](auto& voice) { voice.setFastSpeed(hz); });
    } else if (index == rows.accel) {
        const double t = timeCurve(v);
        each([t](auto& voice) { voice.setAccelTime(t); });
    } else if (index == rows.decel) {
        const double t = timeCurve(v);
        each([t](auto& voice) { voice.setDecelTime(t); });
    } else if (index == rows.lpfLow) {
        const double hz = frequencyCurve(v);
        each([hz](auto& voice) { voice.setLpfLow(hz); });
    } else if (index == rows.lpfHigh) {
        const double hz = frequencyCurve(v);
        each([hz](auto& voice) { voice.setLpfHigh(hz); });
    } else if (index == rows.reflectionCoeff) {
        const double r = attenuationCurve(v);
        each([r](auto& voice) { voice.setReflectionCoeff(r); });
    } else if (index == rows.reflectionLpf) {
        const double octaves = 2.0 * static_cast<double>(v);
        each([octaves](auto& voice) { voice.setReflectionLpf(octaves); });
    } else if (index == rows.staticFilterCutoff) {
        const double hz = frequencyCurve(v);
        each([hz](auto& voice) { voice.setStaticFilterCutoff(hz); });
    } else if (index == rows.staticRay) {
        const double w = static_cast<double>(v);
        each([w](auto& voice) { voice.setStaticRayWeight(w); });
    } else {
        return false;
    }
    return true;
}
} // namespace

float RotaryEffect::appliedParameter(VstInt32 index) const
{
    return appliedValue(index, parameters[static_cast<std::size_t>(index)].load(std::memory_order_relaxed));
}

void RotaryEffect::storeValue(VstInt32 index, float v)
{
    if (hasValueSlot(index))
        parameters[static_cast<std::size_t>(index)].store(v, std::memory_order_relaxed);
}

void RotaryEffect::tellEditor(VstInt32 index, float v)
{
    // The editor is always a toolkit editor (attached in the constructor); its controls
    // follow automation, MIDI and program changes through this.
    if (auto* gui = static_cast<AEffGUIEditor*>(getEditor()))
        gui->setParameter(index, v);
}

void RotaryEffect::applyMechLevels()
{
    const double send = mechSend.load(std::memory_order_relaxed);
    hornPrimary[0]->setMechLevel(2.0 * send);
    hornPrimary[1]->setMechLevel(2.0 * send);
    drumPrimary->setMechLevel(drumSampleFactor.load(std::memory_order_relaxed) * send * 2.0);
}

void RotaryEffect::applyLever(float v)
{
    if (v != lastLever.load(std::memory_order_relaxed)) {
        const double x = 1.0 - static_cast<double>(v);
        forAllVoices([x](RotorVoice& voice) { voice.setLever(x); });
        lastLever.store(v, std::memory_order_relaxed);
    }
    // Moving the lever releases the brake, and the host records that it did. A program being
    // applied (a program change, a host restoring its chunk) moves nothing: it brings its own
    // Stop value, which the release would overwrite in every program first.
    if (!isApplyingProgram() && positionOf(appliedParameter(kStop), 1) != 0)
        setParameterAutomated(kStop, 0.0f);
}

void RotaryEffect::applyStop(float v)
{
    lastLever.store(appliedParameter(kLever), std::memory_order_relaxed);
    const double brake = static_cast<double>(static_cast<float>(positionOf(v, 1)));
    forAllVoices([brake](RotorVoice& voice) { voice.setStop(brake); });
}

void RotaryEffect::applyHornDistance(float v)
{
    const float d = distanceCurve(v);
    if (d == hornDistance.load(std::memory_order_relaxed))
        return;
    setParameter(kHornAmplitudeClip, hornAmplitudeClipForDistance(v));
    hornDistance.store(d, std::memory_order_relaxed);
    const double offset = mic2DistanceOffset(appliedParameter(kHornMic2Distance));
    hornPrimary[0]->setDistance(d);
    hornPrimary[1]->setDistance(std::max(0.3, (1.0 + offset) * static_cast<double>(d)));
    raiseRebuild(TaskHorn1 | TaskHorn2 | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
    setParameter(kReserved71, v);
}

// Bypass, CPU mode, the lever and brake, Setup and the MIDI channel: switches the host
// stores in every program, and the requests for rebuilds behind the fade.
bool RotaryEffect::applySwitchParameter(VstInt32 index, float v)
{
    switch (index) {
    case kBypass:
        bypassTarget.store(static_cast<double>(positionOf(v, 1)), std::memory_order_relaxed);
        break;
    case kCpuMode: {
        const int mode = positionOf(v, 1);
        cpuMode.store(mode, std::memory_order_relaxed);
        if (mode != lastCpuMode.exchange(mode, std::memory_order_relaxed))
            raiseRebuild(TaskFullRebuild);
        break;
    }
    case kLever:
        applyLever(v);
        break;
    case kSpeed:
        break;
    case kStop:
        applyStop(v);
        break;
    case kSetup: {
        const int setup = positionOf(v, 5);
        if (setup != lastSetup.exchange(setup, std::memory_order_relaxed))
            raiseRebuild(TaskMicSetup | TaskGeometry);
        break;
    }
    case kMidiChannel:
        break;

    // ---- internal voicing parameters ----
    case kReserved79:
        raiseRebuild(TaskGeometry);
        break;
    default:
        return false;
    }
    return true;
}

// The amplifier: input gain, drive type and amount, tone stack, colour, amp-only.
bool RotaryEffect::applyAmplifierParameter(VstInt32 index, float v)
{
    switch (index) {
    case kBottom:
        bassGainDb.store(toneGainDb(v), std::memory_order_relaxed);
        toneRequest.store(true, std::memory_order_relaxed);
        break;
    case kLoMid: {
        const float gain = toneGainDb(v);
        lowMidGainDb.store(gain, std::memory_order_relaxed);
        lowMidShape.store(gain <= 0.0f ? 1.0 : 0.7, std::memory_order_relaxed);
        toneRequest.store(true, std::memory_order_relaxed);
        break;
    }
    case kPresence: {
        const float gain = toneGainDb(v);
        presenceGainDb.store(gain, std::memory_order_relaxed);
        presenceShape.store(gain <= 0.0f ? 1.0 : 0.7, std::memory_order_relaxed);
        toneRequest.store(true, std::memory_order_relaxed);
        break;
    }
    case kTop:
        trebleGainDb.store(toneGainDb(v), std::memory_order_relaxed);
        toneRequest.store(true, std::memory_order_relaxed);
        break;
    case kInput:
        setTarget(SmInputGain, inputGain(v));
        break;
    case kType:
        driveType.store(positionOf(v, 2), std::memory_order_relaxed);
        break;
    case kDrive: {
        // The drive stage divides by the gain; values far outside the knob's range (only a
        // normalized value beyond -2.5..3.5 gets there) are held at +-120 dB.
        const double g = driveGain(v);
        if (!std::isnan(g))
            driveTarget.store(std::clamp(g, 1e-6, 1e6), std::memory_order_relaxed);
        break;
    }
    case kColor: {
        const double c = static_cast<double>(v);
        colorTiltA.store(12.0 * c - 3.0, std::memory_order_relaxed);
        colorTiltB.store(-12.0 * c, std::memory_order_relaxed);
        toneRequest.store(true, std::memory_order_relaxed);
        break;
    }
    case kAmpPostDriveGain:
        setTarget(SmPostDriveGain, levelCurve(v));
        break;
    case kAmpOnly:
        ampOnly.store(positionOf(v, 1), std::memory_order_relaxed);
        break;
    default:
        return false;
    }
    return true;
}

// ---- the rotors ----
// Each rotor's rows are split by what they drive: the rows both rotors share (one law, one
// setter on every voice of the rotor, no rebuild), the engine's mix targets, the microphone
// geometry, the level model behind the geometry rebuild, and the rays.

bool RotaryEffect::applyHornParameter(VstInt32 index, float v)
{
    return applySharedVoiceRow(kHornSharedRows, index, v, [this](auto&& set) { forHornVoices(set); }) ||
           applyHornMix(index, v) || applyHornMicrophones(index, v) || applyHornLevelModel(index, v) ||
           applyHornRays(index, v);
}

bool RotaryEffect::applyDrumParameter(VstInt32 index, float v)
{
    return applySharedVoiceRow(kDrumSharedRows, index, v, [this](auto&& set) { forDrumVoices(set); }) ||
           applyDrumMix(index, v) || applyDrumMicrophone(index, v) || applyDrumLevelModel(index, v) ||
           applyDrumRays(index, v);
}

// What the engine makes of the horn microphones: their levels, pans and post high-pass.
bool RotaryEffect::applyHornMix(VstInt32 index, float v)
{
    switch (index) {
    case kHornHighPass: {
        double hz = limitFrequency(hornHighPassFrequency(v), halfModelRate());
        double enable = 1.0;
        if (!(hz > 0.0)) {
            hz = 20.0;
            enable = 0.0;
        }
        hornHighPassHz.store(hz, std::memory_order_relaxed);
        setTarget(SmHornPostAmount, enable);
        postFilterRequest.store(true, std::memory_order_relaxed);
        break;
    }
    case kHornGain:
        setTarget(SmHornGain, levelCurve(v));
        break;
    case kHornInputGain:
        // The horn voices and their voicing chain take away about 36 dB that the drum path
        // does not; the feed makes it up so the two rotors meet at a natural balance.
        setTarget(SmHornInputGain, 64.0 * static_cast<double>(levelCurve(v)));
        break;
    case kHornMic1Pan: {
        const PanPair p = panPair(v);
        setTarget(SmPan1Left, p.left);
        setTarget(SmPan1Right, p.right);
        break;
    }
    case kHornMic2Pan: {
        const PanPair p = panPair(v);
        setTarget(SmPan2Left, p.left);
        setTarget(SmPan2Right, p.right);
        break;
    }
    case kHornMic2Gain:
        setTarget(SmMic2Gain, levelCurve(v));
        break;
    default:
        return false;
    }
    return true;
}

// Where the horn microphones stand: distance and angle of each, rebuilt behind the fade.
bool RotaryEffect::applyHornMicrophones(VstInt32 index, float v)
{
    switch (index) {
    case kHornDistance:
        applyHornDistance(v);
        break;
    case kHornMic1Angle:
        hornPrimary[0]->setMicAngle(micAngle(v));
        raiseRebuild(TaskHorn1 | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
        break;
    case kHornMic2Angle:
        hornPrimary[1]->setMicAngle(micAngle(v));
        raiseRebuild(TaskHorn2 | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
        break;
    case kHornMic2Distance: {
        const double offset = mic2DistanceOffset(v);
        const double d = static_cast<double>(hornDistance.load(std::memory_order_relaxed));
        hornPrimary[1]->setDistance(std::max(0.3, (1.0 + offset) * d));
        raiseRebuild(TaskHorn1 | TaskHorn2 | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
        break;
    }
    default:
        return false;
    }
    return true;
}

// The horn's level model: radii, orientation, open back and the attenuation law, most of
// them read by the geometry rebuild.
bool RotaryEffect::applyHornLevelModel(VstInt32 index, float v)
{
    switch (index) {
    case kHornFmRadius: {
        const double r = radiusCurve(v);
        forHornVoices([r](HornRotor& h) { h.setFmRadius(r); });
        raiseRebuild(TaskGeometry);
        break;
    }
    case kHornAmRadius: {
        const double r = radiusCurve(v);
        forHornVoices([r](HornRotor& h) { h.setAmRadius(r); });
        raiseRebuild(TaskHorn1 | TaskHorn2 | TaskHornSecondary | TaskGeometry);
        break;
    }
    case kHornAttenuation: {
        const double a = 2.0 * static_cast<double>(v);
        forHornVoices([a](HornRotor& h) { h.setAttenuation(a); });
        break;
    }
    case kHornAttenuationDistance: {
        const double d = hornAttenuationDistance(v);
        hornSecondary->setAttenuationDistance(d);
        hornPrimary[0]->setAttenuationDistance(d);
        hornPrimary[1]->setAttenuationDistance(d);
        raiseRebuild(TaskHorn1 | TaskHorn2 | TaskHornSecondary | TaskGeometry);
        break;
    }
    case kHornAttDecayExp: {
        const double e = decayExponentCurve(v);
        forHornVoices([e](HornRotor& h) { h.setAttDecayExp(e); });
        raiseRebuild(TaskHorn1 | TaskHorn2 | TaskHornSecondary | TaskGeometry);
        break;
    }
    case kHornFlip: {
        const double o = orientationOf(v);
        forHornVoices([o](HornRotor& h) { h.setFlip(o); });
        raiseRebuild(TaskHorn1 | TaskHorn2 | TaskHornSecondary | TaskGeometry);
        break;
    }
    case kHornOpenBackMode: {
        const int flag = truncateToInt(2.0f * v);
        forHornVoices([flag](HornRotor& h) { h.setOpenBackMode(flag); });
        raiseRebuild(TaskHorn1 | TaskHorn2 | TaskHornSecondary);
        break;
    }
    case kHornAmplitudeClip: {
        const double clip = attenuationCurve(v);
        forHornVoices([clip](HornRotor& h) { h.setAmplitudeClip(clip); });
        break;
    }
    default:
        return false;
    }
    return true;
}

// The horn's rays: the weight of each ray group and the saturation of the filters the rays
// and the engine's voicing chains run through.
bool RotaryEffect::applyHornRays(VstInt32 index, float v)
{
    switch (index) {
    case kHornRay1Front: case kHornRay2BackSides: case kHornRay3BackRight: case kHornRay4BackLeft:
    case kHornRay5Lbr: case kHornRay6Rbl: case kHornRays7To10: case kHornZAxisRays: {
        const int slot = index == kHornZAxisRays ? 7 : index - kHornRay1Front;
        const double w = static_cast<double>(v);
        forHornVoices([slot, w](HornRotor& h) { h.setRayWeight(slot, w); });
        break;
    }
    case kHornFilterSaturation: {
        const double s = saturationCurve(v);
        voicingSaturation.store(s, std::memory_order_relaxed);
        saturationRequest.store(true, std::memory_order_relaxed);
        forHornVoices([s](HornRotor& h) { h.setFilterSaturation(s); });
        break;
    }
    default:
        return false;
    }
    return true;
}

// What the engine makes of the drum microphone: its level, pan and low-pass.
bool RotaryEffect::applyDrumMix(VstInt32 index, float v)
{
    switch (index) {
    case kDrumLowPass: {
        double hz = limitFrequency(drumLowPassFrequency(v), halfModelRate());
        double enable = 1.0;
        if (!(hz > 0.0)) {
            enable = 0.0;
            hz = halfModelRate();
        }
        drumLowPassHz.store(hz, std::memory_order_relaxed);
        setTarget(SmDrumLowPassAmount, enable);
        postFilterRequest.store(true, std::memory_order_relaxed);
        break;
    }
    case kDrumGain:
        setTarget(SmDrumGain, levelCurve(v));
        break;
    case kDrumInputGain:
        setTarget(SmDrumInputGain, levelCurve(v));
        break;
    case kDrumMicPan: {
        const PanPair p = panPair(v);
        setTarget(SmDrumPanLeft, p.left);
        setTarget(SmDrumPanRight, p.right);
        break;
    }
    default:
        return false;
    }
    return true;
}

// Where the drum microphone stands, rebuilt behind the fade.
bool RotaryEffect::applyDrumMicrophone(VstInt32 index, float v)
{
    switch (index) {
    case kDrumDistance: {
        const float d = distanceCurve(v);
        if (d != drumDistance.load(std::memory_order_relaxed)) {
            drumDistance.store(d, std::memory_order_relaxed);
            drumPrimary->setDistance(d);
            raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
        }
        break;
    }
    case kDrumMicAngle:
        drumPrimary->setMicAngle(micAngle(v));
        raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
        break;
    default:
        return false;
    }
    return true;
}

// The drum's level model: radii, orientation and the attenuation law, read by the geometry
// rebuild.
bool RotaryEffect::applyDrumLevelModel(VstInt32 index, float v)
{
    switch (index) {
    case kDrumFmRadius: {
        const double r = radiusCurve(v);
        forDrumVoices([r](DrumRotor& d) { d.setFmRadius(r); });
        raiseRebuild(TaskGeometry);
        break;
    }
    case kDrumAmRadius: {
        const double r = radiusCurve(v);
        forDrumVoices([r](DrumRotor& d) { d.setAmRadius(r); });
        raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskGeometry);
        break;
    }
    case kDrumAttenuation: {
        const double a = 2.0 * static_cast<double>(v);
        forDrumVoices([a](DrumRotor& d) { d.setAttenuation(a); });
        raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskGeometry);
        break;
    }
    case kDrumAttenuationDistance: {
        const double d = drumAttenuationDistance(v);
        drumSecondary->setAttenuationDistance(d);
        drumPrimary->setAttenuationDistance(d);
        raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskHornSecondary | TaskGeometry);
        break;
    }
    case kDrumAttDecayExp: {
        const double e = decayExponentCurve(v);
        forDrumVoices([e](DrumRotor& d) { d.setAttDecayExp(e); });
        raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskGeometry);
        break;
    }
    case kDrumFlip: {
        const double o = orientationOf(v);
        forDrumVoices([o](DrumRotor& d) { d.setFlip(o); });
        raiseRebuild(TaskDrumPrimary | TaskDrumSecondary | TaskGeometry);
        break;
    }
    default:
        return false;
    }
    return true;
}

// The drum's rays and the low path it splits off: ray weights, the saturation of the ray
// filters, the splitter frequency and the static low-pass gain.
bool RotaryEffect::applyDrumRays(VstInt32 index, float v)
{
    switch (index) {
    case kDrumRay1Front: case kDrumRay2BackSides: case kDrumRay3BackLeft: case kDrumRay4BackRight: {
        const int slot = index == kDrumRay1Front       ? 0
                         : index == kDrumRay2BackSides ? 1
                         : index == kDrumRay3BackLeft  ? 2
                                                       : 3;
        const double w = static_cast<double>(v);
        forDrumVoices([slot, w](DrumRotor& d) { d.setRayWeight(slot, w); });
        break;
    }
    case kDrumFilterSaturation: {
        const double s = saturationCurve(v);
        forDrumVoices([s](DrumRotor& d) { d.setFilterSaturation(s); });
        break;
    }
    case kDrumSplitterFrequency:
        drumPrimary->setSplitterFrequency(splitterFrequency(v));
        break;
    case kDrumLpStaticGain:
        drumPrimary->setStaticLpGain(levelCurve(v));
        break;
    default:
        return false;
    }
    return true;
}

// The room: size and amount of the early reflections, and the crosstalk between the rotors
// and the microphones.
bool RotaryEffect::applyRoomParameter(VstInt32 index, float v)
{
    switch (index) {
    case kSize: {
        // Positions far outside the table all mean "no row"; held near it, the + 1 cannot overflow.
        const int size = std::clamp(positionOf(v, 4), -1, static_cast<int>(kSizeTable.size())) + 1;
        if (size != lastSize.exchange(size, std::memory_order_relaxed) && size >= 1 &&
            size <= static_cast<int>(kSizeTable.size())) {
            const RoomSizeRow& row = kSizeTable[static_cast<std::size_t>(size - 1)];
            setParameterAutomated(kRoomSize, row.roomSize);
            setParameterAutomated(kVirtualRoomSize, row.virtualRoomSize);
        }
        break;
    }
    case kAmount:
        setTarget(SmReflectionGain, amountGain(v));
        noiseSend.store(static_cast<double>(amountDrive(v)), std::memory_order_relaxed);
        break;
    case kBrToTubeMicGain:
        setTarget(SmBrToTube, levelCurve(v));
        break;
    case kBrToDrumMicGain:
        setTarget(SmBrToDrum, levelCurve(v));
        break;
    case kDrumToTubeFeedback:
        setTarget(SmDrumToTube, levelCurve(v));
        raiseRebuild(TaskGeometry);
        break;
    case kHornToDrumFeedback:
        setTarget(SmHornToDrum, levelCurve(v));
        raiseRebuild(TaskGeometry);
        break;
    case kRoomSize:
        roomSizeValue.store(roomSize(v), std::memory_order_relaxed);
        raiseRebuild(TaskEarlyReflections);
        break;
    case kVirtualRoomSize:
        virtualRoomSizeValue.store(virtualRoomSize(v), std::memory_order_relaxed);
        raiseRebuild(TaskEarlyReflections);
        break;
    case kRoomLrDelay:
        roomLrDelayValue.store(roomLrDelay(v), std::memory_order_relaxed);
        raiseRebuild(TaskEarlyReflections);
        break;
    case kRoomMainCutoff:
        roomMainCutoff.store(frequencyCurve(v), std::memory_order_relaxed);
        raiseRebuild(TaskEarlyReflections);
        break;
    case kRoomXCutoff:
        // Stored only: the X cutoff takes part in no tap, but it is still a room change.
        raiseRebuild(TaskEarlyReflections);
        break;
    default:
        return false;
    }
    return true;
}

// The motor noise: mechanical send and the sample volumes of the players.
bool RotaryEffect::applyNoiseParameter(VstInt32 index, float v)
{
    switch (index) {
    case kMech: {
        const double level = static_cast<double>(levelCurve(v));
        mechSend.store(0.25 * level, std::memory_order_relaxed);
        applyMechLevels();
        break;
    }
    case kSlowSampleVolume: case kFastSampleVolume: case kAccelSampleVolume: case kDecelSampleVolume: {
        static constexpr double kHorn[4] = {5.01187233627, 6.3095734448, 1.99053585276, 0.99763115748};
        static constexpr double kDrum[4] = {0.70794578438, 1.0, 0.12559432155, 0.06294627058};
        const std::size_t k = static_cast<std::size_t>(index - kSlowSampleVolume);
        const double g = static_cast<double>(levelCurve(v));
        noiseVolumes[k].store(kHorn[k] * g, std::memory_order_relaxed);
        noiseVolumes[k + 4].store(kDrum[k] * g, std::memory_order_relaxed);
        noiseVolumeRequest.store(true, std::memory_order_relaxed);
        break;
    }
    case kDrumSampleVolume: {
        const double g = static_cast<double>(levelCurve(v));
        drumSampleFactor.store(kDrumSampleGain * g, std::memory_order_relaxed);
        const double send = mechSend.load(std::memory_order_relaxed);
        hornPrimary[0]->setMechLevel(send);
        hornPrimary[1]->setMechLevel(send);
        drumPrimary->setMechLevel(kDrumSampleGain * g * send);
        break;
    }
    default:
        return false;
    }
    return true;
}

void RotaryEffect::setParameter(VstInt32 index, float v)
{
    // A NaN or infinity would end up as a coefficient or an index deep in the engine; it is
    // not a value any control can mean, so it changes nothing at all.
    if (!std::isfinite(v))
        return;

    // What the host sent is what it reads back and what the programs keep.
    storeValue(index, v);
    if (isGlobalParameter(index))
        storeInAllPrograms(index, v);

    // Every index belongs to exactly one applier; reserved and unknown indices are only stored.
    const float a = appliedValue(index, v);
    if (!applySwitchParameter(index, a) && !applyAmplifierParameter(index, a) && !applyHornParameter(index, a) &&
        !applyDrumParameter(index, a) && !applyRoomParameter(index, a)) {
        applyNoiseParameter(index, a);
    }

    // Common tail: the current program follows unless a program is being applied, and the
    // editor's controls follow in any case.
    if (!isApplyingProgram() && index >= 0 && index < kProgramParameterCount)
        CPresetSystemEffect::setParameter(index, v);
    tellEditor(index, v);
}

float RotaryEffect::getParameter(VstInt32 index)
{
    if (!hasValueSlot(index))
        return 0.0f;
    return parameters[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}

void RotaryEffect::getParameterLabel(VstInt32 index, char* label)
{
    kestro::getParameterLabel(index, getParameter(index), label, halfModelRate());
}

void RotaryEffect::getParameterDisplay(VstInt32 index, char* text)
{
    kestro::getParameterDisplay(index, getParameter(index), text, halfModelRate());
}

void RotaryEffect::getParameterName(VstInt32 index, char* text)
{
    kestro::getParameterName(index, text);
}

bool RotaryEffect::getParameterProperties(VstInt32 index, VstParameterProperties* properties)
{
    if (properties == nullptr)
        return false;
    ParameterPropertiesInfo info{};
    const bool result = kestro::getParameterProperties(index, info);
    properties->flags = info.flags;
    properties->stepFloat = info.stepFloat;
    properties->smallStepFloat = info.smallStepFloat;
    properties->largeStepFloat = info.largeStepFloat;
    std::memcpy(properties->label, info.label, sizeof properties->label);
    properties->label[sizeof properties->label - 1] = '\0';
    std::memcpy(properties->shortLabel, info.shortLabel, sizeof properties->shortLabel);
    return result;
}

} // namespace kestro
