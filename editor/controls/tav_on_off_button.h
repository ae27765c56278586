#pragma once
// A two-frame switch (off above on) whose click tells the listener the old value first and
// then the new one, so a host recording automation sees where the switch came from.

#include "toolkit/cbuttons.h"

namespace kestro {

class TAVOnOffButton : public COnOffButton {
public:
    TAVOnOffButton(const CRect& size, CControlListener* listener, int tag, CBitmap* bitmap);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

} // namespace kestro
