// The host's processing calls and the rebuild fade: channel selection, block-start requests,
// the fade state machine and the one task group it carries out per call while the output
// rests on the dry substitute.

#include "dsp/numeric.h"
#include "engine/rotary_effect.h"

#include "params/parameter_table.h"
#include "params/value_laws.h"
#include "params/voicing_tables.h"

#include <cmath>
#include <thread>
#include <type_traits>

namespace kestro {

namespace {

constexpr double kFadeOutDone = 0.96837722339;
constexpr double kFadeInDone = 0.0316227766;


} // namespace

void RotaryEffect::raiseRebuild(unsigned tasks)
{
    // Requests raised by the audio thread itself while it carries out a task group (the
    // Setup table pushes parameters that raise requests of their own) need no new fade: the
    // output already rests on the substitute. They are merged when the group ends. The
    // thread is told apart by its id rather than a thread_local, which in a dlopen'ed
    // library would be allocated on the audio thread at its first touch.
    if (taskGroupThread.load(std::memory_order_relaxed) == std::this_thread::get_id()) {
        selfRaisedTasks |= tasks;
        return;
    }
    taskFlags.fetch_or(tasks, std::memory_order_relaxed);
    fadeStateRequest.store(FadingOut, std::memory_order_relaxed);
}

void RotaryEffect::suspend()
{
    raiseRebuild(TaskAfterSuspend);
}

void RotaryEffect::resume()
{
    CPresetSystemEffect::resume();
    // No crossfade across a suspend: the bypass state is taken over as it is.
    bypassSnapValue.store(bypassTarget.load(std::memory_order_relaxed), std::memory_order_relaxed);
    bypassSnapRequest.store(true, std::memory_order_relaxed);
    raiseRebuild(TaskFullRebuild | TaskHorn1 | TaskHorn2 | TaskHornSecondary | TaskDrumPrimary | TaskDrumSecondary |
                 TaskGeometry);
}

void RotaryEffect::applyMicrophoneSetup()
{
    const int setup = positionOf(parameters[kSetup].load(std::memory_order_relaxed), 5);
    PanPair pair = panPair(1.0f);
    if (setup >= 0 && setup < static_cast<int>(kSetupTable.size())) {
        const SetupRow& row = kSetupTable[static_cast<std::size_t>(setup)];
        for (std::size_t i = 0; i < kSetupTableIndices.size(); ++i)
            setParameterAutomated(kSetupTableIndices[i], row.values[i]);
        setupHornLevel.store(row.level, std::memory_order_relaxed);
        pair = panPair(kSetupPanPosition);
    }
    setTarget(SmNoiseDirect, pair.left);
    setTarget(SmNoiseCross, pair.right);
}

void RotaryEffect::runConstructionTasks()
{
    auto take = [this](unsigned bit) {
        if ((taskFlags.load(std::memory_order_relaxed) & bit) == 0)
            return false;
        taskFlags.fetch_and(~bit, std::memory_order_relaxed);
        return true;
    };
    if (take(TaskMicSetup)) applyMicrophoneSetup();
    if (take(TaskHorn1)) hornPrimary[0]->rebuildGeometry();
    if (take(TaskHorn2)) hornPrimary[1]->rebuildGeometry();
    if (take(TaskHornSecondary)) hornSecondary->rebuildGeometry();
    if (take(TaskDrumPrimary)) drumPrimary->rebuildGeometry();
    if (take(TaskDrumSecondary)) drumSecondary->rebuildGeometry();
    if (take(TaskGeometry)) computeGeometry();
    if (take(TaskAfterSuspend)) selectModelRateAfterSuspend();
    if (take(TaskFullRebuild)) {
        fullRebuild();
        taskFlags.fetch_and(~static_cast<unsigned>(TaskEarlyReflections), std::memory_order_relaxed);
    }
}

// The full rebuild's group: every other group's work as well, at the new rate.
void RotaryEffect::rebuildEverything()
{
    fullRebuild();
    applyMicrophoneSetup();
    computeEarlyReflections();
    hornPrimary[0]->rebuildGeometry();
    hornPrimary[1]->rebuildGeometry();
    hornSecondary->rebuildGeometry();
    drumPrimary->rebuildGeometry();
    drumSecondary->rebuildGeometry();
    computeGeometry();
    // The rebuilt model starts at the geometry and set-up of its new rate, not gliding
    // there from delays counted in the old rate's samples.
    snapGlidesToTargets();
    // Everything the set-up asked for has just been rebuilt.
    selfRaisedTasks = 0;
}

void RotaryEffect::runTaskGroup()
{
    const unsigned pending = taskFlags.load(std::memory_order_relaxed);
    auto take = [this, pending](unsigned bits) {
        const unsigned mine = pending & bits;
        taskFlags.fetch_and(~mine, std::memory_order_relaxed);
        return mine;
    };
    bool finished = false;
    taskGroupThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    selfRaisedTasks = 0;

    if (pending & TaskAfterSuspend) {
        take(TaskAfterSuspend);
        selectModelRateAfterSuspend();
    } else if (pending & TaskFullRebuild) {
        taskFlags.fetch_and(~pending, std::memory_order_relaxed);
        rebuildEverything();
        finished = true;
    } else if (pending & (TaskMicSetup | TaskEarlyReflections)) {
        const unsigned mine = take(TaskMicSetup | TaskEarlyReflections);
        if (mine & TaskMicSetup) applyMicrophoneSetup();
        if (mine & TaskEarlyReflections) computeEarlyReflections();
    } else if (pending & (TaskHorn1 | TaskHorn2)) {
        const unsigned mine = take(TaskHorn1 | TaskHorn2);
        if (mine & TaskHorn1) hornPrimary[0]->rebuildGeometry();
        if (mine & TaskHorn2) hornPrimary[1]->rebuildGeometry();
    } else if (pending & (TaskHornSecondary | TaskDrumPrimary | TaskDrumSecondary)) {
        const unsigned mine = take(TaskHornSecondary | TaskDrumPrimary | TaskDrumSecondary);
        if (mine & TaskHornSecondary) hornSecondary->rebuildGeometry();
        if (mine & TaskDrumPrimary) drumPrimary->rebuildGeometry();
        if (mine & TaskDrumSecondary) drumSecondary->rebuildGeometry();
    } else if (pending & TaskGeometry) {
        take(TaskGeometry);
        computeGeometry();
    } else {
        finished = true;
    }

    taskGroupThread.store(std::thread::id{}, std::memory_order_relaxed);
    if (selfRaisedTasks != 0) {
        taskFlags.fetch_or(selfRaisedTasks, std::memory_order_relaxed);
        selfRaisedTasks = 0;
        finished = false;
    }
    if (finished) {
        // A request raised meanwhile from another thread keeps its fade-out.
        std::int32_t expected = Rebuilding;
        fadeStateRequest.compare_exchange_strong(expected, FadingIn, std::memory_order_relaxed);
    }
}

void RotaryEffect::consumeBlockStartRequests(bool doublePrecision)
{
    if (postFilterRequest.exchange(false, std::memory_order_relaxed)) {
        const double hz = hornHighPassHz.load(std::memory_order_relaxed);
        for (auto& f : hornPostFilters)
            f->setFrequency(hz);
        drumLowPassCoefficient =
            flush(std::pow(0.005, modelRateReciprocal * drumLowPassHz.load(std::memory_order_relaxed)));
    } else if (doublePrecision) {
        drumLowPassCoefficient =
            flush(std::pow(0.005, modelRateReciprocal * drumLowPassHz.load(std::memory_order_relaxed)));
    }
    if (toneRequest.exchange(false, std::memory_order_relaxed)) {
        toneFilters[0]->setAll(2000.0, presenceShape.load(std::memory_order_relaxed),
                               presenceGainDb.load(std::memory_order_relaxed));
        toneFilters[1]->setAll(500.0, lowMidShape.load(std::memory_order_relaxed),
                               lowMidGainDb.load(std::memory_order_relaxed));
        toneFilters[2]->setGain(0.75 * static_cast<double>(trebleGainDb.load(std::memory_order_relaxed)));
        toneFilters[3]->setGain(0.75 * static_cast<double>(bassGainDb.load(std::memory_order_relaxed)));
        const double tiltA = colorTiltA.load(std::memory_order_relaxed);
        const double tiltB = colorTiltB.load(std::memory_order_relaxed);
        colourFilters[0]->setGain(tiltA);
        colourFilters[1]->setGain(tiltB);
        colourFilters[2]->setGain(tiltA);
        colourFilters[3]->setGain(tiltB);
    }
    if (saturationRequest.exchange(false, std::memory_order_relaxed)) {
        const double s = voicingSaturation.load(std::memory_order_relaxed);
        for (std::size_t i = 0; i < hornVoicing->size(); ++i)
            (*hornVoicing)[i].setSaturation(i == 10 ? s : 0.0);
        for (std::size_t i = 0; i < reflectionVoicing->size(); ++i)
            (*reflectionVoicing)[i].setSaturation(i == 2 || i == 7 ? s : 0.0);
    }
    if (noiseVolumeRequest.exchange(false, std::memory_order_relaxed)) {
        auto volume = [this](std::size_t i) { return noiseVolumes[i].load(std::memory_order_relaxed); };
        for (auto& horn : hornPrimary) {
            if (MotorNoisePlayer* p = horn->noisePlayer()) {
                p->setSlowVolume(volume(0));
                p->setFastVolume(volume(1));
                p->setAccelVolume(volume(2));
                p->setDecelVolume(volume(3));
            }
        }
        if (MotorNoisePlayer* p = drumPrimary->noisePlayer()) {
            p->setSlowVolume(volume(4));
            p->setFastVolume(volume(5));
            p->setAccelVolume(volume(6));
            p->setDecelVolume(volume(7));
        }
    }
    if (bypassSnapRequest.exchange(false, std::memory_order_relaxed))
        bypassMix = bypassSnapValue.load(std::memory_order_relaxed);
}

void RotaryEffect::takeBlockTargets()
{
    for (std::size_t k = 0; k < blockTarget.size(); ++k) {
        const double t = smoothTarget[k].load(std::memory_order_relaxed);
        if (t != blockTarget[k]) {
            blockTarget[k] = t;
            glidesSettled = false;
        }
    }
    driveBlockTarget = driveTarget.load(std::memory_order_relaxed);
    blockDriveType = driveType.load(std::memory_order_relaxed);
    blockAmpOnly = ampOnly.load(std::memory_order_relaxed);
    blockSetupLevel = setupHornLevel.load(std::memory_order_relaxed);
    blockNoiseSend = noiseSend.load(std::memory_order_relaxed);
}

// Which buffers the block reads and writes: a second side only where the host connected it,
// gave it and set the arrangement to stereo, and not as the same buffer as the first; none at
// all for a missing buffer or no frames.
template <typename Sample>
RotaryEffect::Channels<Sample> RotaryEffect::selectChannels(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    Channels<Sample> c;
    c.frames = sampleFrames > 0 ? sampleFrames : 0;
    if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || outputs[0] == nullptr)
        c.frames = 0;
    if (c.frames == 0)
        return c;
    c.in0 = inputs[0];
    c.in1 = c.in0;
    if (isInputConnected(1) && inputs[1] != nullptr && stereoInput.load(std::memory_order_relaxed) &&
        inputs[1] != inputs[0])
        c.in1 = inputs[1];
    c.out0 = outputs[0];
    c.out1 = c.out0;
    if (isOutputConnected(1) && outputs[1] != nullptr && stereoOutput.load(std::memory_order_relaxed) &&
        outputs[1] != outputs[0])
        c.out1 = outputs[1];
    return c;
}

// After a block: a fade-out that passed its threshold hands over to the rebuild, a fade-in that
// passed its own ends the rebuild (unless a new request has come in meanwhile).
void RotaryEffect::endFadeAtThreshold(std::int32_t state)
{
    if (state == FadingOut && fadeLevel > kFadeOutDone) {
        std::int32_t expected = FadingOut;
        fadeStateRequest.compare_exchange_strong(expected, Rebuilding, std::memory_order_relaxed);
        fadeLevel = 1.0;
    } else if (state == FadingIn && fadeLevel < kFadeInDone) {
        std::int32_t expected = FadingIn;
        if (fadeStateRequest.compare_exchange_strong(expected, Running, std::memory_order_relaxed))
            fadeLevel = 0.0;
    }
}

template <typename Sample>
void RotaryEffect::processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    const Channels<Sample> c = selectChannels(inputs, outputs, sampleFrames);
    const VstInt32 frames = c.frames;
    const Sample* const in0 = c.in0;
    const Sample* const in1 = c.in1;
    Sample* const out0 = c.out0;
    Sample* const out1 = c.out1;

    consumeBlockStartRequests(std::is_same_v<Sample, double>);

    takeBlockTargets();
    const float activityAtStart = midi.activityLevel();
    midiLevel = activityAtStart;

    std::int32_t state = fadeStateRequest.load(std::memory_order_relaxed);
    if (state == Rebuilding) {
        runTaskGroup();
        // What the group set (geometry, microphone set-up, the Setup table's level) applies
        // from this block on, not one block late.
        takeBlockTargets();
        state = fadeStateRequest.load(std::memory_order_relaxed);
    }

    switch (state) {
    case Running:
        renderSamples(in0, in1, out0, out1, frames, FadeMotion::Hold);
        break;
    case FadingOut:
    case Rebuilding:
        renderSamples(in0, in1, out0, out1, frames, FadeMotion::TowardSubstitute);
        break;
    default:
        renderSamples(in0, in1, out0, out1, frames, FadeMotion::TowardModel);
        break;
    }

    endFadeAtThreshold(state);

    fadeLevelSeen.store(fadeLevel, std::memory_order_relaxed);
    bypassMixSeen.store(bypassMix, std::memory_order_relaxed);
    counterSeen.store(counter, std::memory_order_relaxed);
    if (activityAtStart > 0.0f)
        midi.decayActivity(midiLevel / activityAtStart);
    midiActivitySeen.store(midi.activityLevel(), std::memory_order_relaxed);
}

void RotaryEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames);
}

void RotaryEffect::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames);
}

VstInt32 RotaryEffect::processEvents(VstEvents* events)
{
    return midi.processEvents(events, *this);
}

} // namespace kestro
