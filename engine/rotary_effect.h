#pragma once
// The product: one rotary speaker cabinet per plug-in instance.
//
// Where things live:
//   rotary_effect.cpp       construction, the components and their fixed settings
//   rotary_effect_host.cpp  what the host sees (names, pins, capabilities)
//   processing.cpp          the two processing calls, the rebuild fade and its task groups
//   model_rate.cpp          model-rate choice, resampling kernels, the full rebuild
//   cabinet_path.cpp        the per-sample cabinet model
//   geometry.cpp            crosstalk distances between rotors and microphones
//   set_parameter.cpp       normalized values into engine values (appliers by group), texts
//
// Threads: setParameter, suspend and resume may run on any thread; the processing calls
// on the audio thread. Everything that crosses is a relaxed atomic: the audio thread reads
// targets once per block and carries out requests at block start.

#include "dsp/biquad_filter.h"
#include "dsp/drum_rotor.h"
#include "dsp/horn_rotor.h"
#include "engine/cabinet_stages.h"
#include "engine/early_reflections.h"
#include "presets/midi_control.h"
#include "presets/cpreset_system_effect.h"

#include <array>
#include <atomic>
#include <thread>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestro {

class RotaryEffect : public CPresetSystemEffect {
public:
    static constexpr VstInt32 kUniqueId = kVstFourCC('T', 'v', 'K', '1');
    static constexpr VstInt32 kHostProgramCount = 1;
    static constexpr VstInt32 kHostParameterCount = 36;
    static constexpr VstInt32 kParameterCount = 120; // 36 host parameters + internal voicing

    explicit RotaryEffect(audioMasterCallback hostCallback);
    ~RotaryEffect() override;

    // ---- engine ----
    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;
    VstInt32 processEvents(VstEvents* events) override;

    // ---- host answers ----
    bool canParameterBeAutomated(VstInt32 index) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput) override;
    VstInt32 getNumMidiInputChannels() override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override;

    // ---- engine operations, in slot order ----
    virtual void initFactoryPrograms();
    virtual void applyDefaults();
    virtual void clearEngineState();
    virtual void setComponentRates();
    virtual void selectModelRate();
    virtual void selectModelRateAfterSuspend();
    // The host's rate as the model takes it (at least 8 kHz; a rate that is no number keeps the last one).
    void takeHostRate();
    void chooseModelRate();
    virtual void fullRebuild();

    // ---- for the editor, tools and tests (any thread; values may be a block old) ----
    enum FadeState : std::int32_t { Running = 0, FadingOut = 1, Rebuilding = 2, FadingIn = 3 };
    int resamplingFactor() const { return factorSeen.load(std::memory_order_relaxed); }
    double modelRate() const { return modelRateSeen.load(std::memory_order_relaxed); }
    int currentFadeState() const { return fadeStateRequest.load(std::memory_order_relaxed); }
    double currentFadeLevel() const { return fadeLevelSeen.load(std::memory_order_relaxed); }
    double currentBypassMix() const { return bypassMixSeen.load(std::memory_order_relaxed); }
    unsigned pendingTasks() const { return taskFlags.load(std::memory_order_relaxed); }
    std::int32_t hostSampleCounter() const { return counterSeen.load(std::memory_order_relaxed); }
    // The MIDI activity indicator as the editor shows it: 1.0 on a modulation message,
    // gliding back to 0 with a 0.5 s time constant.
    float midiActivity() const { return midiActivitySeen.load(std::memory_order_relaxed); }
    // Rotor voices, read-only: phases and speeds for the editor's rotor displays.
    const HornRotor& hornVoice(int microphone) const { return *hornPrimary[microphone == 1 ? 1 : 0]; }
    const DrumRotor& drumVoice() const { return *drumPrimary; }
    // The sustain pedal as the editor's lamp shows it (1.0 while held) and whether the
    // speakers are bypassed (amplifier only, the rotor strips then rest).
    double sustainState() const { return midi.sustainIndicator(); }
    bool speakersBypassed() const { return ampOnly.load(std::memory_order_relaxed) != 0; }
    const BiquadFilter& hornPostFilter(int microphone) const { return *hornPostFilters[microphone == 1 ? 1 : 0]; }

    // Rebuild tasks (bits of the pending-task word).
    enum Task : unsigned {
        TaskMicSetup = 1u << 0,
        TaskEarlyReflections = 1u << 1,
        TaskGeometry = 1u << 2,
        TaskHorn1 = 1u << 3,
        TaskHorn2 = 1u << 4,
        TaskHornSecondary = 1u << 5,
        TaskDrumPrimary = 1u << 6,
        TaskDrumSecondary = 1u << 7,
        TaskAfterSuspend = 1u << 8,
        TaskFullRebuild = 1u << 9,
    };

    // Smoothed engine quantities: a target written by setParameter or a rebuild task, and a
    // current value the cabinet model glides toward it (30 ms).
    enum Smoothed : int {
        SmInputGain,
        SmPostDriveGain,
        SmHornGain,
        SmMic2Gain,
        SmDrumGain,
        SmPan1Left,
        SmPan1Right,
        SmPan2Left,
        SmPan2Right,
        SmDrumPanLeft,
        SmDrumPanRight,
        SmHornInputGain,
        SmDrumInputGain,
        SmDrumToTube,
        SmHornToDrum,
        SmBrToTube,
        SmBrToDrum,
        SmHornPostAmount,
        SmDrumLowPassAmount,
        SmReflectionGain,
        SmDelay1,
        SmDelay2,
        SmDelay3,
        SmDelay4,
        SmDelay5,
        SmGain1,
        SmGain2,
        SmGain3,
        SmGain4,
        SmGain5,
        SmNoiseDirect,
        SmNoiseCross,
        kSmoothedCount
    };

protected:
    // Set by the host's speaker arrangement on its UI thread, read by processing on the
    // audio thread at block start.
    std::atomic<bool> stereoInput{true};
    std::atomic<bool> stereoOutput{true};

private:
    // Descriptor values, capabilities and the editor: everything the host sees at creation.
    void setUpHostInterface();
    // The editor points back at us, so it goes while every part of the effect still exists.
    void releaseEditor();

    void createComponents();
    void applyFixedFilterSettings();

    // ---- requests ----
    void raiseRebuild(unsigned tasks);
    void runConstructionTasks();
    void runTaskGroup();
    void rebuildEverything();
    void applyMicrophoneSetup();
    void computeEarlyReflections();
    // Feedback lines, drive state and FIR rings back to silence.
    void clearLinesAndRings();
    // Calls fn(filter, rate) for every engine-owned filter with the rate it runs at.
    template <typename Fn>
    void forEachEngineFilter(Fn&& fn);
    void computeGeometry();
    void consumeBlockStartRequests(bool doublePrecision);
    // Targets once per block (and again after a task group, whose targets then start
    // gliding in the block that set them); a moved target wakes the glides.
    void takeBlockTargets();
    // No glide after a rebuild: every smoothed value starts at its target.
    void snapGlidesToTargets();
    template <typename Sample>
    struct Channels {
        VstInt32 frames = 0;
        const Sample* in0 = nullptr;
        const Sample* in1 = nullptr;
        Sample* out0 = nullptr;
        Sample* out1 = nullptr;
    };
    template <typename Sample>
    Channels<Sample> selectChannels(Sample** inputs, Sample** outputs, VstInt32 sampleFrames);
    void endFadeAtThreshold(std::int32_t state);
    template <typename Sample>
    void processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames);
    // Which way the fade level moves during a block: not at all (running), toward the dry
    // substitute (fading out, rebuilding) or back toward the model (fading in).
    enum class FadeMotion { Hold, TowardSubstitute, TowardModel };
    template <typename Sample>
    void renderSamples(const Sample* in0, const Sample* in1, Sample* out0, Sample* out1, VstInt32 frames,
                       FadeMotion fade);

    // ---- parameter mapping helpers ----
    void storeValue(VstInt32 index, float v);
    // A stored value as the laws take it (a host may have stored one outside 0..1).
    float appliedParameter(VstInt32 index) const;
    // A target the formulas could only reach through an overflow stays where it was: an
    // infinity would turn the glide into NaN for good.
    void setTarget(Smoothed which, double value)
    {
        if (std::isfinite(value))
            smoothTarget[static_cast<std::size_t>(which)].store(value, std::memory_order_relaxed);
    }
    // setParameter's appliers, one per group of indices; each answers whether the index is
    // one of its group.
    bool applySwitchParameter(VstInt32 index, float v);
    bool applyAmplifierParameter(VstInt32 index, float v);
    bool applyHornParameter(VstInt32 index, float v);
    bool applyHornMix(VstInt32 index, float v);
    bool applyHornMicrophones(VstInt32 index, float v);
    bool applyHornLevelModel(VstInt32 index, float v);
    bool applyHornRays(VstInt32 index, float v);
    bool applyDrumParameter(VstInt32 index, float v);
    bool applyDrumMix(VstInt32 index, float v);
    bool applyDrumMicrophone(VstInt32 index, float v);
    bool applyDrumLevelModel(VstInt32 index, float v);
    bool applyDrumRays(VstInt32 index, float v);
    bool applyRoomParameter(VstInt32 index, float v);
    bool applyNoiseParameter(VstInt32 index, float v);
    void applyLever(float v);
    void applyStop(float v);
    void applyHornDistance(float v);
    void applyMechLevels();
    void tellEditor(VstInt32 index, float value);
    double halfModelRate() const { return 0.5 * modelRateSeen.load(std::memory_order_relaxed); }
    template <typename F>
    void forHornVoices(F&& f)
    {
        f(*hornPrimary[0]);
        f(*hornPrimary[1]);
        f(*hornSecondary);
    }
    template <typename F>
    void forDrumVoices(F&& f)
    {
        f(*drumPrimary);
        f(*drumSecondary);
    }
    template <typename F>
    void forAllVoices(F&& f)
    {
        f(*hornPrimary[0]);
        f(*hornPrimary[1]);
        f(*drumPrimary);
        f(*hornSecondary);
        f(*drumSecondary);
    }

    // ================= parameter side (any thread) =================
    // The normalized value of every index with a slot.
    std::array<std::atomic<float>, kParameterCount> parameters{};

    // Last applied values: a change is acted on only when the new value differs.
    std::atomic<float> lastLever{-1.0f};
    std::atomic<int> lastCpuMode{-1};
    std::atomic<int> lastSetup{-1};
    std::atomic<int> lastSize{-1};
    std::atomic<float> hornDistance{-1.0f};
    std::atomic<float> drumDistance{-1.0f};
    std::atomic<double> mechSend{0.0};
    std::atomic<double> drumSampleFactor{0.0};

    // Targets and switches the audio thread reads at block start.
    std::array<std::atomic<double>, kSmoothedCount> smoothTarget{};
    std::atomic<double> driveTarget{1.0};
    std::atomic<double> bypassTarget{0.0};
    std::atomic<int> cpuMode{0};
    std::atomic<int> driveType{1};
    std::atomic<int> ampOnly{0};
    std::atomic<double> setupHornLevel{1.0};
    std::atomic<double> noiseSend{0.0};
    std::atomic<double> hornHighPassHz{20.0};
    std::atomic<double> drumLowPassHz{20.0};
    // Tone stack and colour, applied by the tone refresh.
    std::atomic<float> bassGainDb{0.0f};
    std::atomic<float> lowMidGainDb{0.0f};
    std::atomic<double> lowMidShape{1.0};
    std::atomic<float> presenceGainDb{0.0f};
    std::atomic<double> presenceShape{1.0};
    std::atomic<float> trebleGainDb{0.0f};
    std::atomic<double> colorTiltA{-3.0};
    std::atomic<double> colorTiltB{0.0};
    // Room (early reflections).
    std::atomic<double> roomSizeValue{0.5};
    std::atomic<double> virtualRoomSizeValue{0.25};
    std::atomic<double> roomLrDelayValue{0.15};
    std::atomic<double> roomMainCutoff{2000.0};
    std::atomic<double> voicingSaturation{0.0};
    // Motor-noise player volumes: horn players (slow, fast, accel, decel), then drum player.
    std::array<std::atomic<double>, 8> noiseVolumes{};

    // Requests.
    std::atomic<std::int32_t> fadeStateRequest{FadingOut};
    std::atomic<unsigned> taskFlags{0};
    // The thread carrying out a task group (none outside one) and the requests it raised
    // itself meanwhile; only that thread touches selfRaisedTasks.
    std::atomic<std::thread::id> taskGroupThread{};
    unsigned selfRaisedTasks = 0;
    std::atomic<bool> postFilterRequest{false};
    std::atomic<bool> toneRequest{false};
    std::atomic<bool> saturationRequest{false};
    std::atomic<bool> noiseVolumeRequest{false};
    std::atomic<bool> bypassSnapRequest{false};
    std::atomic<double> bypassSnapValue{0.0};

    // What the audio thread last published for observers.
    std::atomic<int> factorSeen{1};
    std::atomic<double> modelRateSeen{44100.0};
    std::atomic<double> fadeLevelSeen{0.0};
    std::atomic<double> bypassMixSeen{0.0};
    std::atomic<std::int32_t> counterSeen{0};
    std::atomic<float> midiActivitySeen{0.0f};

    // Modulation wheel and sustain pedal move the lever; its activity indicator glides back
    // in the cabinet path.
    MidiControl midi;

    // ================= audio side =================
    // Rates.
    double hostRate = 44100.0;
    double hostRateReciprocal = 1.0 / 44100.0;
    double hostNyquist = 22050.0;
    std::int32_t factor = 1;
    std::int32_t factorMask = 0;
    double factorGain = 1.0;
    double modelRateValue = 44100.0;
    double modelRateReciprocal = 1.0 / 44100.0;

    // Fade and bypass.
    double bypassMix = 0.0;
    double fadeLevel = 0.0;
    double fadeCoefficient = 0.0; // bypass, fade-out and fade-in share the 20 ms constant

    // Coefficients.
    double parameterCoefficient = 0.0;
    double driveCoefficient = 0.0;
    double slowCoefficient = 0.0;
    double drumLowPassCoefficient = 0.0;
    double drumSmootherCoefficient = 0.0; // 3200 Hz
    double hornSmootherCoefficient = 0.0; // 4500 Hz

    // Smoothed values (current) and the targets of this block.
    alignas(64) std::array<double, kSmoothedCount> current{};
    alignas(64) std::array<double, kSmoothedCount> blockTarget{};
    bool glidesSettled = false;
    double drive = 1.0;
    double driveBlockTarget = 1.0;
    float midiLevel = 0.0f;

    // Per-block copies of the unsmoothed switches.
    int blockDriveType = 1;
    int blockAmpOnly = 0;
    double blockSetupLevel = 1.0;
    double blockNoiseSend = 0.0;

    // Signal state.
    HornFeed hornFeed;
    OnePole drumSmoother; // drum line, 3200 Hz
    OnePole hornSmoother; // horn line, 4500 Hz
    OnePole drumLowPass;  // after the drum microphone
    std::int32_t counter = 0;
    DriveStage driveStage;
    DrySubstitute dry;
    ModelRateResampler resampler;
    FeedbackLines lines;

    // Components.
    std::array<std::unique_ptr<BiquadFilter>, 4> toneFilters;   // presence, low-mid, top, bottom
    std::array<std::unique_ptr<BiquadFilter>, 2> hornPostFilters;
    std::array<std::unique_ptr<BiquadFilter>, 2> antiImaging;   // left, right
    std::unique_ptr<BiquadFilter> drumFeedFilter;
    std::unique_ptr<BiquadFilter> cabinetFilter;
    std::array<std::unique_ptr<BiquadFilter>, 4> colourFilters; // left 1, left 2, right 1, right 2
    std::unique_ptr<std::array<BiquadFilter, 12>> hornVoicing;
    std::unique_ptr<std::array<BiquadFilter, 8>> reflectionVoicing;
    std::array<std::unique_ptr<HornRotor>, 2> hornPrimary;
    std::unique_ptr<HornRotor> hornSecondary;
    std::unique_ptr<DrumRotor> drumPrimary;
    std::unique_ptr<DrumRotor> drumSecondary;
    std::unique_ptr<EarlyReflections> reflections;
};

} // namespace kestro
