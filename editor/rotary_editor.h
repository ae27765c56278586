#pragma once
// The plug-in window: knobs with their value texts, the speed lever and buttons, the rotor
// strips, the bottom row of switches and lamps, the about screen and the preset panel.
// Everything reaches the controls through setParameter (host automation, MIDI, program
// changes, the window's own gestures); idle moves the rotor strips and lamps.
//
// setParameter may run on the audio thread: it only stores values in controls. Everything
// else runs on the host's user-interface thread.

#include "editor/cpreset_system_editor.h"
#include "params/parameter_table.h"
#include "toolkit/ccontrol.h"

#include <array>

namespace kestro {

class CAbout;
class CAnimKnob3;
class CBitmap;
class CClickKickButton;
class CKestroParamDisplay;
class CMovieBitmap;
class CPSRockerSwitch;
class RotaryEffect;
class TAVMarker;
class TAVOnOffButton;
class TAVVerticalSwitch;

class RotaryEditor : public CPresetSystemEditor, public CControlListener {
public:
    static constexpr VstInt16 kWidth = 401;
    static constexpr VstInt16 kHeight = 570;

    explicit RotaryEditor(AudioEffect* owner);
    ~RotaryEditor() override;

    bool getRect(ERect** rect) override;
    // False (and still closed) without a parent window, artwork or a native window.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(CControl* control) override;

    // The control that shows and changes a tag (a knob for its parameter, the lever for 2,
    // the strips, lamps and rocker for their tags), null when closed or unknown.
    CControl* findControl(int tag) const;
    // The value text of a knob (`second` for Setup's lower word), null when closed.
    CControl* findDisplay(int tag, bool second = false) const;

private:
    // The rotor strips and lamps follow the engine (skipped while the about screen shows).
    void updateDisplays();
    // One press of the MIDI channel rocker: the channel setting moves by a step.
    void stepMidiChannel();
    void createKnob(std::size_t place, CBitmap* knobBitmap);
    void createButtonsAndLever();
    void createBottomRow();
    void clearControls();
    // Adds to the frame; the control is null when it could not be made.
    template <typename Control>
    Control* add(Control* control);
    void bind(int index, CControl* control);

    RotaryEffect* rotary;
    CBitmap* background;
    ERect rect_{0, 0, kHeight, kWidth};

    // Every control bound to a parameter index (knob, displays, switch), for setParameter.
    std::array<std::array<CControl*, 3>, kNumHostParameters> bound{};
    std::array<CAnimKnob3*, kNumHostParameters> knobs{};
    std::array<CKestroParamDisplay*, kNumHostParameters> displays{};
    CKestroParamDisplay* setupWordDisplay = nullptr;
    TAVOnOffButton* stopButton = nullptr;
    CClickKickButton* speedButton = nullptr;
    TAVVerticalSwitch* lever = nullptr;
    TAVMarker* hornStrip = nullptr;
    TAVMarker* drumStrip = nullptr;
    CAbout* about = nullptr;
    CPSRockerSwitch* midiRocker = nullptr;
    CMovieBitmap* midiDisplay = nullptr;
    TAVOnOffButton* bypassSwitch = nullptr;
    TAVOnOffButton* cpuModeSwitch = nullptr;
    CMovieBitmap* modulationLamp = nullptr;
    CMovieBitmap* sustainLamp = nullptr;
};

} // namespace kestro
