#pragma once
// The bank and preset arrows: one notification per click, 1.0 normally and 0.5 for the
// right button with nothing else held, which the panel takes as "load a file written with
// the other byte order". Three frames: idle, under the mouse, pressed.

#include "toolkit/cbuttons.h"

namespace kestro {

class CSaveLoadButton : public CKickButton {
public:
    static constexpr int kFrames = 3;
    static constexpr float kReversedValue = 0.5f;

    CSaveLoadButton(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* background);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

    bool isHovered() const { return hovered; }

private:
    bool hovered = false;
};

} // namespace kestro
