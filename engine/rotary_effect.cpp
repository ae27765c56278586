// Construction and destruction of the effect: every component and buffer is made here, once,
// so that nothing on the audio thread ever allocates.

#include "engine/rotary_effect.h"

#include "params/factory_programs.h"
#include "params/parameter_table.h"

#include <cmath>

namespace kestro {

namespace {

constexpr double kFilterBias = 0.03125;

struct FixedSetting {
    int type;
    double frequency;
    double q;
    double gainDb;
    bool enabled;
};

// In series on the horn feed ahead of the primary horn voices: the horn driver's own
// colouration, which the rotor voices do not model.
constexpr FixedSetting kHornVoicing[12] = {
    {BiquadFilter::Peaking, 5500, 5.0, -18, true},  {BiquadFilter::Peaking, 4550, 5.0, -17, true},
    {BiquadFilter::Peaking, 5000, 0.88, 12, true},  {BiquadFilter::Peaking, 6500, 1.6, 10, true},
    {BiquadFilter::Peaking, 782, 5.0, -4.5, true},  {BiquadFilter::Peaking, 1050, 5.0, -3.8, true},
    {BiquadFilter::Peaking, 7330, 20, -12, true},   {BiquadFilter::Peaking, 6670, 20, -10, true},
    {BiquadFilter::Peaking, 8580, 20, -15, true},   {BiquadFilter::Peaking, 2400, 1.3, -3, true},
    {BiquadFilter::LowPass, 2000, 1.0, 0, true},    {BiquadFilter::HighPass, 2000, 0.7, 0, true},
};

// The reflected horn sound; the second half is configured but passes the signal unchanged.
constexpr FixedSetting kReflectionVoicing[8] = {
    {BiquadFilter::Peaking, 2940, 11, -10, true},  {BiquadFilter::Peaking, 3360, 10, -9, true},
    {BiquadFilter::HighPass, 180, 0.35, 0, true},  {BiquadFilter::Peaking, 1150, 11, -9, true},
    {BiquadFilter::Peaking, 2940, 11, -10, false}, {BiquadFilter::Peaking, 3360, 10, -9, false},
    {BiquadFilter::HighPass, 100, 0.35, 0, false}, {BiquadFilter::Peaking, 1150, 11, -9, false},
};

void configure(BiquadFilter& f, int type, double frequency, double q, double gainDb, bool enabled = true)
{
    f.setType(type);
    f.setAll(frequency, q, gainDb);
    f.setBias(kFilterBias);
    f.setEnabled(enabled);
}

void configure(BiquadFilter& f, const FixedSetting& s)
{
    configure(f, s.type, s.frequency, s.q, s.gainDb, s.enabled);
}

} // namespace

RotaryEffect::RotaryEffect(audioMasterCallback hostCallback)
    : CPresetSystemEffect(hostCallback, kHostProgramCount, kHostParameterCount)
{
    for (std::atomic<double>& t : smoothTarget)
        t.store(0.0, std::memory_order_relaxed);
    createComponents();
    applyFixedFilterSettings();
    setUpHostInterface();

    const double rate = static_cast<double>(getSampleRate());
    hostRate = rate < 22050.0 ? 22050.0 : rate;
    hostRateReciprocal = 1.0 / hostRate;
    hostNyquist = 0.5 * hostRate;
    cpuMode.store(0, std::memory_order_relaxed);
    modelRateValue = hostRate;
    modelRateReciprocal = hostRateReciprocal;
    modelRateSeen.store(modelRateValue, std::memory_order_relaxed);
    factor = 1;
    factorMask = 0;
    factorGain = 1.0;
    resampler.kernel = nullptr;
    lines.write &= FeedbackLines::kMask;

    for (int i = 0; i < 4; ++i)
        parameters[static_cast<std::size_t>(kFirstSpare + i)].store(kSpareInitialValues[static_cast<std::size_t>(i)],
                                                                    std::memory_order_relaxed);
    applyDefaults();
    initFactoryPrograms();
    captureTemplateProgram();
    selectProgram(0);

    runConstructionTasks();
    suspend();
    resume();
    suspend();
}

RotaryEffect::~RotaryEffect()
{
    releaseEditor();
}

void RotaryEffect::createComponents()
{
    auto makeFilter = [] {
        auto f = std::make_unique<BiquadFilter>();
        f->init(44100.0, BiquadFilter::Peaking, 1000.0, 1.0, 0.0);
        return f;
    };
    for (auto& f : toneFilters)
        f = makeFilter();
    for (auto& f : hornPostFilters)
        f = makeFilter();
    for (auto& f : antiImaging)
        f = makeFilter();
    drumFeedFilter = makeFilter();
    cabinetFilter = makeFilter();
    for (auto& f : colourFilters)
        f = makeFilter();
    hornVoicing = std::make_unique<std::array<BiquadFilter, 12>>();
    for (BiquadFilter& f : *hornVoicing)
        f.init(44100.0, BiquadFilter::Peaking, 1000.0, 1.0, 0.0);
    reflectionVoicing = std::make_unique<std::array<BiquadFilter, 8>>();
    for (BiquadFilter& f : *reflectionVoicing)
        f.init(44100.0, BiquadFilter::Peaking, 1000.0, 1.0, 0.0);

    hornPrimary[0] = std::make_unique<HornRotor>(1, 0);
    hornPrimary[1] = std::make_unique<HornRotor>(1, 1);
    hornSecondary = std::make_unique<HornRotor>(0);
    drumPrimary = std::make_unique<DrumRotor>(true);
    drumSecondary = std::make_unique<DrumRotor>(false);

    lines.allocate();
    reflections = std::make_unique<EarlyReflections>();
}

void RotaryEffect::applyFixedFilterSettings()
{
    configure(*toneFilters[0], BiquadFilter::Peaking, 2000.0, 1.0, 0.0);
    configure(*toneFilters[1], BiquadFilter::Peaking, 500.0, 1.0, 0.0);
    configure(*toneFilters[2], BiquadFilter::Peaking, 4500.0, 0.35, 0.0);
    configure(*toneFilters[3], BiquadFilter::Peaking, 80.0, 1.0, 0.0);
    for (auto& f : hornPostFilters)
        configure(*f, BiquadFilter::HighPass, 20.0, 0.5, 0.0);
    for (auto& f : antiImaging)
        configure(*f, BiquadFilter::LowPass, 20000.0, 0.707, 0.0);
    configure(*drumFeedFilter, BiquadFilter::LowShelf, 250.0, 0.5, 6.0);
    configure(*cabinetFilter, BiquadFilter::BandPass, 70.0, 9.0, 0.0);
    configure(*colourFilters[0], BiquadFilter::Peaking, 1500.0, 0.5, 0.0);
    configure(*colourFilters[1], BiquadFilter::LowShelf, 350.0, 0.6, 0.0);
    configure(*colourFilters[2], BiquadFilter::Peaking, 1500.0, 0.5, 0.0);
    configure(*colourFilters[3], BiquadFilter::LowShelf, 350.0, 0.6, 0.0);
    for (std::size_t i = 0; i < hornVoicing->size(); ++i)
        configure((*hornVoicing)[i], kHornVoicing[i]);
    for (std::size_t i = 0; i < reflectionVoicing->size(); ++i)
        configure((*reflectionVoicing)[i], kReflectionVoicing[i]);
}

void RotaryEffect::initFactoryPrograms()
{
    for (VstInt32 slot = 0; slot < kProgramCount; ++slot) {
        ProgramRecord& program = programAt(slot);
        const ProgramData& factory = factoryPrograms()[static_cast<std::size_t>(slot)];
        applyProgramName(program.name, factory.name);
        for (int i = 0; i < kProgramParameterCount; ++i)
            std::atomic_ref<float>(program.values[i]).store(factory.values[i], std::memory_order_relaxed);
    }
}

void RotaryEffect::applyDefaults()
{
    for (const ParameterDefault& d : kConstructionDefaults)
        setParameter(d.index, d.value);
}

} // namespace kestro
