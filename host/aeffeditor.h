#pragma once
// The editor interface the dispatcher drives: the host opens, idles, sizes and closes the
// plug-in window only through these operations, so any editor (the real window, a headless
// one in tests) plugs in behind it.

#include "host/vst_abi.h"

namespace kestro {

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* owner) : effect(owner) {}
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // Hands the host a rectangle the editor keeps alive; false when there is none to give.
    virtual bool getRect(ERect** rect)
    {
        if (rect != nullptr)
            *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow)
    {
        systemWindow = parentWindow;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool setKnobMode(int /*mode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual void draw(ERect* /*rect*/) {}

    AudioEffect* getEffect() const { return effect; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr; // the host's parent window while open
};

} // namespace kestro
