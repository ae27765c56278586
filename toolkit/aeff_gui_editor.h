#pragma once
// The toolkit's editor base: an AEffEditor with a frame. The effect tells it about every
// parameter change (setParameter, on whichever thread set the value); the host drives the
// window through open/close/idle and forwards keys, wheel and knob mode, which reach the
// frame from here. Controls' edit gestures reach the host through beginEdit/endEdit.

#include "host/aeffeditor.h"
#include "toolkit/events.h"

namespace kestro {

class CFrame;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* owner);
    ~AEffGUIEditor() override;

    // Called by the effect after it has applied a value, on whichever thread set it. An
    // implementation only stores values in controls: no drawing, no allocation.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}

    // Remembers the parent window; a derived editor creates its frame and returns true.
    bool open(void* parentWindow) override;
    // Releases the frame (and with it every control).
    void close() override;
    bool isOpen() override { return frame != nullptr; }
    // Runs the frame's idle unless an idle pass is already in progress.
    void idle() override;
    // The host's knob mode; every editor of the process shares it.
    bool setKnobMode(int mode) override;
    static int getKnobMode() { return knobMode; }
    // Keys and wheel from the host go to the frame (true when a view used them).
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    void draw(ERect* rect) override;

    // A control's gesture starts or ends: the host hears audioMasterBeginEdit/EndEdit for
    // parameter indices the effect announces (pseudo-tags stay inside the plug-in).
    virtual void beginEdit(VstInt32 index);
    virtual void endEdit(VstInt32 index);

    CFrame* getFrame() const { return frame; }

    // A host key code as the toolkit's views see it.
    static CKeyCode toKeyCode(const VstKeyCode& keyCode);

protected:
    CFrame* frame = nullptr;

private:
    static int knobMode;
    bool inIdle = false;
};

} // namespace kestro
