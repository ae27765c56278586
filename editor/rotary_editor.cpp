#include "editor/rotary_editor.h"

#include "editor/controls/cabout.h"
#include "editor/controls/canim_knob3.h"
#include "editor/controls/cclick_kick_button.h"
#include "editor/controls/ckestro_param_display.h"
#include "editor/controls/cps_rocker_switch.h"
#include "editor/controls/tav_marker.h"
#include "editor/controls/tav_on_off_button.h"
#include "editor/controls/tav_vertical_switch.h"
#include "editor/editor_layout.h"
#include "editor/my_frame.h"
#include "engine/rotary_effect.h"
#include "resources/bitmap_ids.h"
#include "toolkit/cbitmap.h"
#include "toolkit/cbuttons.h"
#include "toolkit/cknob.h"

#include <new>

namespace kestro {

using namespace layout;

namespace {

// A bitmap for the controls made next; they take their own references, this one is dropped
// when they all exist.
class BitmapUse {
public:
    explicit BitmapUse(int id) : bitmap(new (std::nothrow) CBitmap(id)) {}
    ~BitmapUse()
    {
        if (bitmap != nullptr)
            bitmap->forget();
    }
    BitmapUse(const BitmapUse&) = delete;
    BitmapUse& operator=(const BitmapUse&) = delete;
    CBitmap* get() const { return bitmap; }

private:
    CBitmap* bitmap;
};

bool isHostParameter(int index) { return index >= 0 && index < kNumHostParameters; }

} // namespace

RotaryEditor::RotaryEditor(AudioEffect* owner)
    : CPresetSystemEditor(owner), rotary(dynamic_cast<RotaryEffect*>(owner)),
      background(new (std::nothrow) CBitmap(kBitmapBackground))
{
    if (background != nullptr && background->isLoaded()) {
        rect_.bottom = static_cast<VstInt16>(background->height());
        rect_.right = static_cast<VstInt16>(background->width());
    }
}

RotaryEditor::~RotaryEditor()
{
    // A host may close the effect with the window still open: the window goes first.
    if (frame != nullptr)
        close();
    if (background != nullptr)
        background->forget();
}

bool RotaryEditor::getRect(ERect** rect)
{
    if (rect == nullptr)
        return false;
    *rect = &rect_;
    return true;
}

template <typename Control>
Control* RotaryEditor::add(Control* control)
{
    if (control == nullptr)
        return nullptr;
    return frame->addView(control) ? control : nullptr;
}

void RotaryEditor::bind(int index, CControl* control)
{
    if (control == nullptr || !isHostParameter(index))
        return;
    if (rotary != nullptr)
        control->setValue(rotary->getParameter(index));
    for (CControl*& slot : bound[static_cast<std::size_t>(index)]) {
        if (slot == nullptr) {
            slot = control;
            return;
        }
    }
}

bool RotaryEditor::open(void* parentWindow)
{
    if (background == nullptr || !background->isLoaded() || parentWindow == nullptr || frame != nullptr)
        return false;
    AEffGUIEditor::open(parentWindow);

    ERect* area = nullptr;
    getRect(&area);
    const CRect frameRect(area->left, area->top, area->left + background->width(), area->top + background->height());
    frame = new (std::nothrow) MyFrame(frameRect, parentWindow, this);
    if (frame == nullptr || !static_cast<MyFrame*>(frame)->isOpen()) {
        AEffGUIEditor::close();
        return false;
    }
    frame->setBackground(background);
    setKnobMode(kLinearMode);

    {
        BitmapUse knobBitmap(kBitmapKnob);
        for (std::size_t i = 0; i < kHornKnobCount; ++i)
            createKnob(i, knobBitmap.get());
        createButtonsAndLever();
        for (std::size_t i = kHornKnobCount; i < kKnobs.size(); ++i)
            createKnob(i, knobBitmap.get());
    }
    createBottomRow();

    openPresetPanel();
    return true;
}

void RotaryEditor::createKnob(std::size_t place, CBitmap* knobBitmap)
{
    const KnobPlace& p = kKnobs[place];
    const bool quantized = p.tag == kType;
    auto* knob = add(new (std::nothrow) CAnimKnob3(p.knob, this, p.tag, kKnobFrames, kKnobSize, kKnobSize, knobBitmap,
                                                   CPoint(), quantized ? kTypeSteps : 0, kTypeStepMinimum,
                                                   kTypeStepMaximum));
    if (knob != nullptr) {
        knob->setDefaultValue(p.defaultValue);
        knob->setWheelStep(p.wheelStep);
        knob->setWheelFineFactor(kKnobWheelFineFactor);
        knob->setDragFactor(p.dragFactor);
        knob->setFineDragFactor(kKnobFineDragFactor);
    }
    knobs[static_cast<std::size_t>(p.tag)] = knob;
    bind(p.tag, knob);

    const EditorLaw law = editorLawOf(p.tag);
    auto* display = add(new (std::nothrow) CKestroParamDisplay(p.display, background, law));
    displays[static_cast<std::size_t>(p.tag)] = display;
    bind(p.tag, display);
    if (p.tag == kSetup) {
        setupWordDisplay =
            add(new (std::nothrow) CKestroParamDisplay(kSetupSecondDisplay, background, EditorLaw::SetupSecondWord));
        bind(p.tag, setupWordDisplay);
    }
}

void RotaryEditor::createButtonsAndLever()
{
    {
        BitmapUse bitmap(kBitmapStopButton);
        stopButton = add(new (std::nothrow) TAVOnOffButton(kStopButton, this, kStop, bitmap.get()));
        bind(kStop, stopButton);
    }
    {
        BitmapUse bitmap(kBitmapSpeedButton);
        speedButton = add(new (std::nothrow)
                              CClickKickButton(kSpeedButton, this, kSpeed, kButtonFrameHeight, bitmap.get()));
        // The button shows its press only: the host's Speed value does not move it.
        if (speedButton != nullptr && rotary != nullptr)
            speedButton->setValue(rotary->getParameter(kSpeed));
    }
    {
        BitmapUse bitmap(kBitmapSpeedLever);
        lever = add(new (std::nothrow) TAVVerticalSwitch(kLeverArea, this, kLever, bitmap.get()));
        if (lever != nullptr) {
            lever->setHandleLimits(kLeverUpperLimit, kLeverLowerLimit);
            lever->setWheelStep(kLeverWheelStep);
            lever->setWheelFineFactor(kLeverWheelFineFactor);
        }
        bind(kLever, lever);
    }
}

void RotaryEditor::createBottomRow()
{
    {
        BitmapUse strip(kBitmapHornStrip);
        BitmapUse marker(kBitmapHornMarker);
        hornStrip = add(new (std::nothrow) TAVMarker(kHornStrip, this, kTagHornStrip, strip.get(), marker.get(),
                                                     kStripMarkerOrigin, kStripPhaseOffset, kStripWidth));
    }
    {
        BitmapUse strip(kBitmapDrumStrip);
        BitmapUse marker(kBitmapDrumMarker);
        drumStrip = add(new (std::nothrow) TAVMarker(kDrumStrip, this, kTagDrumStrip, strip.get(), marker.get(),
                                                     kStripMarkerOrigin, kStripPhaseOffset, kStripWidth));
    }
    {
        BitmapUse picture(kBitmapAbout);
        about = add(new (std::nothrow)
                        CAbout(kAboutArea, this, kTagAbout, picture.get(), kAboutScreen, kVersionAnchor));
    }
    {
        BitmapUse bitmap(kBitmapRocker);
        midiRocker = add(new (std::nothrow)
                             CPSRockerSwitch(kMidiRocker, this, kTagMidiRocker, kRowFrameHeight, bitmap.get()));
    }
    {
        BitmapUse bitmap(kBitmapMidiChannel);
        midiDisplay = add(new (std::nothrow) CMovieBitmap(kMidiDisplay, this, kMidiChannel, kMidiDisplayFrames,
                                                          kRowFrameHeight, bitmap.get()));
        bind(kMidiChannel, midiDisplay);
    }
    {
        BitmapUse bitmap(kBitmapBypass);
        bypassSwitch = add(new (std::nothrow) TAVOnOffButton(kBypassSwitch, this, kBypass, bitmap.get()));
        bind(kBypass, bypassSwitch);
    }
    {
        BitmapUse bitmap(kBitmapCpuMode);
        cpuModeSwitch = add(new (std::nothrow) TAVOnOffButton(kCpuModeSwitch, this, kCpuMode, bitmap.get()));
        bind(kCpuMode, cpuModeSwitch);
    }
    {
        BitmapUse bitmap(kBitmapModulationLamp);
        modulationLamp = add(new (std::nothrow) CMovieBitmap(kModulationLamp, this, kTagModulationLamp, kLampFrames,
                                                             kRowFrameHeight, bitmap.get()));
    }
    {
        BitmapUse bitmap(kBitmapSustainLamp);
        sustainLamp = add(new (std::nothrow)
                              CMovieBitmap(kSustainLamp, this, kTagSustainLamp, kLampFrames, kRowFrameHeight, bitmap.get()));
    }
}

void RotaryEditor::clearControls()
{
    for (auto& slots : bound)
        slots.fill(nullptr);
    knobs.fill(nullptr);
    displays.fill(nullptr);
    setupWordDisplay = nullptr;
    stopButton = nullptr;
    speedButton = nullptr;
    lever = nullptr;
    hornStrip = nullptr;
    drumStrip = nullptr;
    about = nullptr;
    midiRocker = nullptr;
    midiDisplay = nullptr;
    bypassSwitch = nullptr;
    cpuModeSwitch = nullptr;
    modulationLamp = nullptr;
    sustainLamp = nullptr;
}

void RotaryEditor::close()
{
    if (frame != nullptr)
        closePresetPanel();
    clearControls();
    // Releasing the frame destroys every control and the native window.
    AEffGUIEditor::close();
}

void RotaryEditor::idle()
{
    if (frame == nullptr)
        return;
    AEffGUIEditor::idle();
    if (frame != nullptr)
        updateDisplays();
}

void RotaryEditor::updateDisplays()
{
    if (rotary == nullptr || (about != nullptr && about->getValue() != 0.0f))
        return;
    const bool resting = rotary->speakersBypassed();
    if (hornStrip != nullptr)
        hornStrip->setValue(resting ? 0.5f : rotorStripValue(rotary->hornVoice(0).rotationPhase()));
    if (drumStrip != nullptr)
        drumStrip->setValue(resting ? 0.5f : rotorStripValue(rotary->drumVoice().rotationPhase()));
    if (modulationLamp != nullptr)
        modulationLamp->setValue(rotary->midiActivity());
    if (sustainLamp != nullptr)
        sustainLamp->setValue(static_cast<float>(rotary->sustainState()));
}

void RotaryEditor::setParameter(VstInt32 index, float value)
{
    if (frame == nullptr)
        return;
    if (index == kTagMidiRocker) {
        stepMidiChannel();
        return;
    }
    if (!isHostParameter(index))
        return;
    for (CControl* control : bound[static_cast<std::size_t>(index)]) {
        if (control != nullptr)
            control->setValue(value);
    }
}

void RotaryEditor::stepMidiChannel()
{
    if (midiRocker == nullptr || rotary == nullptr)
        return;
    // r = (rocker + 0.0001) - 0.0001 in single precision
    const volatile float nudged = midiRocker->getValue() + 0.0001f;
    const float r = nudged - 0.0001f;
    if (r == 0.0f)
        return;
    float channel = rotary->getParameter(kMidiChannel);
    if (r > 0.0f)
        channel = channel + kMidiChannelStep > 1.0f ? 1.0f : channel + kMidiChannelStep;
    else
        channel = channel - kMidiChannelStep < 0.0f ? 0.0f : channel - kMidiChannelStep;
    rotary->setParameterAutomated(kMidiChannel, channel);
}

void RotaryEditor::valueChanged(CControl* control)
{
    if (control == nullptr || presetPanelValueChanged(control))
        return;
    if (effect == nullptr)
        return;
    if (control->getTag() == kSpeed) {
        // Each press throws the lever to the other end, wherever it stands now.
        if (control->getValue() >= 0.5f) {
            effect->setParameterAutomated(kLever, effect->getParameter(kLever) >= 0.5f ? 0.0f : 1.0f);
            control->setDirty();
        }
        return;
    }
    effect->setParameterAutomated(control->getTag(), control->getValue());
    control->setDirty();
}

CControl* RotaryEditor::findControl(int tag) const
{
    switch (tag) {
    case kBypass:
        return bypassSwitch;
    case kCpuMode:
        return cpuModeSwitch;
    case kLever:
        return lever;
    case kSpeed:
        return speedButton;
    case kStop:
        return stopButton;
    case kMidiChannel:
        return midiDisplay;
    case kTagHornStrip:
        return hornStrip;
    case kTagDrumStrip:
        return drumStrip;
    case kTagSustainLamp:
        return sustainLamp;
    case kTagModulationLamp:
        return modulationLamp;
    case kTagAbout:
        return about;
    case kTagMidiRocker:
        return midiRocker;
    default:
        return isHostParameter(tag) ? knobs[static_cast<std::size_t>(tag)] : nullptr;
    }
}

CControl* RotaryEditor::findDisplay(int tag, bool second) const
{
    if (!isHostParameter(tag))
        return nullptr;
    if (second)
        return tag == kSetup ? setupWordDisplay : nullptr;
    return displays[static_cast<std::size_t>(tag)];
}

} // namespace kestro
