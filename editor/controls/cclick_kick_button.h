#pragma once
// A momentary button that acts on the press: the listener hears 1 when it goes down (not
// on release, as the toolkit's kick button would) and 0 when it comes up.

#include "toolkit/cbuttons.h"

namespace kestro {

class CClickKickButton : public CKickButton {
public:
    CClickKickButton(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* bitmap,
                     const CPoint& offset = {});

    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

    // The value when the press began.
    float getEntryValue() const { return entryValue; }

private:
    float entryValue = 0.0f;
};

} // namespace kestro
