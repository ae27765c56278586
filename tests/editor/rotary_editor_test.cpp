// The window as the effect drives it: following parameters from every source, the MIDI
// channel rocker, the rotor strips and lamps at idle, the about screen, open and close.

#include "editor/editor_layout.h"
#include "editor_fixture.h"
#include "support/alloc_counter.h"

namespace kestro::test {
namespace {

using namespace layout;
using RotaryEditorWindow = EditorFixture;

TEST_F(RotaryEditorWindow, FollowsEverySourceAndIgnoresClosedState)
{
    // Host automation: the knob and its text follow; Setup's two texts both.
    effect->setParameter(kDrive, 0.8f);
    EXPECT_FLOAT_EQ(control(kDrive).getValue(), 0.8f);
    EXPECT_FLOAT_EQ(editor().findDisplay(kDrive)->getValue(), 0.8f);
    effect->setParameter(kSetup, 1.0f);
    EXPECT_FLOAT_EQ(editor().findDisplay(kSetup)->getValue(), 1.0f);
    EXPECT_FLOAT_EQ(editor().findDisplay(kSetup, true)->getValue(), 1.0f);
    effect->setParameter(kMidiChannel, 0.5f);
    EXPECT_FLOAT_EQ(control(kMidiChannel).getValue(), 0.5f);
    // A program change pushes its values through the same path.
    effect->setProgram(3);
    for (int index : {kHornSlowSpeed, kDrive, kLever, kStop, kBypass})
        EXPECT_FLOAT_EQ(control(index).getValue(), effect->getParameter(index)) << index;

    // Closed: no controls, setParameter and idle do nothing.
    effect->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor().getFrame(), nullptr);
    EXPECT_EQ(editor().findControl(kDrive), nullptr);
    effect->setParameter(kDrive, 0.1f);
    editor().idle();
    editor().setParameter(kTagMidiRocker, 1.0f);
    // Reopened, it shows the values of now.
    static int parent = 0;
    ASSERT_TRUE(editor().open(&parent));
    EXPECT_FLOAT_EQ(control(kDrive).getValue(), 0.1f);
    EXPECT_FALSE(editor().open(&parent)) << "already open";
    EXPECT_FALSE(effect->getEditor()->open(nullptr));
}

TEST_F(RotaryEditorWindow, SetParameterOnTheAudioThreadAllocatesNothing)
{
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    AllocationCounter counter;
    for (int i = 0; i < 36; ++i)
        editor().setParameter(i, 0.25f);
    EXPECT_EQ(counter.stop(), 0);
}

TEST_F(RotaryEditorWindow, MidiRockerStepsTheChannelByEighteenths)
{
    effect->setParameter(kMidiChannel, 0.0f);
    const CRect r = control(kTagMidiRocker).getViewSize();
    const CPoint left{r.left + 2, r.top + 5};
    const CPoint right{r.right - 2, r.top + 5};
    click(left);
    EXPECT_FLOAT_EQ(effect->getParameter(kMidiChannel), 0.0f);
    for (int i = 0; i < 17; ++i)
        click(right);
    EXPECT_LT(effect->getParameter(kMidiChannel), 1.0f);
    click(right);
    EXPECT_FLOAT_EQ(effect->getParameter(kMidiChannel), 1.0f) << "eighteen presses run the range";
    click(right);
    EXPECT_FLOAT_EQ(effect->getParameter(kMidiChannel), 1.0f);
    EXPECT_FLOAT_EQ(control(kMidiChannel).getValue(), 1.0f);
    EXPECT_FALSE(automations(kMidiChannel).empty());
    click(left);
    EXPECT_NEAR(effect->getParameter(kMidiChannel), 1.0f - kMidiChannelStep, 1e-6f);
}

// Runs a few blocks so rotors turn and MIDI is applied.
void runBlocks(RotaryEffect& fx, int blocks)
{
    static float in[2][256] = {};
    static float out[2][256];
    float* ins[2] = {in[0], in[1]};
    float* outs[2] = {out[0], out[1]};
    for (int b = 0; b < blocks; ++b)
        fx.processReplacing(ins, outs, 256);
}

VstIntPtr sendController(RotaryEffect& fx, int controller, int value)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.midiData[0] = static_cast<char>(0xB0);
    event.midiData[1] = static_cast<char>(controller);
    event.midiData[2] = static_cast<char>(value);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    return fx.processEvents(&list);
}

TEST_F(RotaryEditorWindow, IdleMovesStripsAndLampsUnlessTheAboutScreenShows)
{
    effect->setSampleRate(44100.0f);
    effect->setBlockSize(256);
    effect->resume();
    effect->setParameter(kMidiChannel, 1.0f); // omni
    effect->setParameter(kLever, 1.0f);
    runBlocks(*effect, 200);
    sendController(*effect, 1, 100);
    sendController(*effect, 64, 127);
    runBlocks(*effect, 1);
    editor().idle();
    EXPECT_NE(control(kTagHornStrip).getValue(), 0.0f) << "the horn has turned";
    EXPECT_FLOAT_EQ(control(kTagHornStrip).getValue(), rotorStripValue(effect->hornVoice(0).rotationPhase()));
    EXPECT_FLOAT_EQ(control(kTagDrumStrip).getValue(), rotorStripValue(effect->drumVoice().rotationPhase()));
    EXPECT_GT(control(kTagModulationLamp).getValue(), 0.5f);
    EXPECT_FLOAT_EQ(control(kTagSustainLamp).getValue(), 1.0f);

    // Amplifier only: both strips rest in the middle whatever the rotors do.
    effect->setParameter(kAmpOnlyParameter, 1.0f);
    runBlocks(*effect, 10);
    editor().idle();
    EXPECT_FLOAT_EQ(control(kTagHornStrip).getValue(), 0.5f);
    EXPECT_FLOAT_EQ(control(kTagDrumStrip).getValue(), 0.5f);

    // The about screen covers the window: strips and lamps stay, knobs still follow.
    click(centre(kTagAbout));
    ASSERT_NE(frame().getModalView(), nullptr);
    EXPECT_FLOAT_EQ(control(kTagAbout).getValue(), 1.0f);
    effect->setParameter(kAmpOnlyParameter, 0.0f);
    sendController(*effect, 64, 0);
    runBlocks(*effect, 10);
    effect->setParameter(kDrive, 0.3f);
    editor().idle();
    EXPECT_FLOAT_EQ(control(kTagHornStrip).getValue(), 0.5f);
    EXPECT_FLOAT_EQ(control(kTagSustainLamp).getValue(), 1.0f);
    EXPECT_FLOAT_EQ(control(kDrive).getValue(), 0.3f);
    // Any click on it takes it away; a knob under it was not touched.
    click(centre(kDrive));
    editor().idle();
    EXPECT_EQ(frame().getModalView(), nullptr);
    EXPECT_FLOAT_EQ(control(kTagAbout).getValue(), 0.0f);
    EXPECT_FLOAT_EQ(control(kDrive).getValue(), 0.3f);
    EXPECT_FLOAT_EQ(control(kTagSustainLamp).getValue(), 0.0f);
}

TEST_F(RotaryEditorWindow, EffectClosedWithTheWindowOpen)
{
    // The effect goes with its window still open: the window is closed first, nothing leaks.
    ASSERT_NE(editor().getFrame(), nullptr);
    effect.reset();
}

} // namespace
} // namespace kestro::test
