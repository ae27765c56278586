#pragma once
// The toolkit's editor base: an AEffEditor that the effect tells about every parameter
// change, so the window can follow automation, MIDI and program changes. The window,
// frame and controls join it when the toolkit lands.

#include "host/aeffeditor.h"

namespace kestro {

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner) {}

    // Called by the effect after it has applied a value, on whichever thread set it.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
};

} // namespace kestro
