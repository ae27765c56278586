#pragma once
// The base of the preset panel's buttons: a kick button of three frames (idle, under the
// mouse, pressed) that lights while the pointer is over it.

#include "toolkit/cbuttons.h"

namespace kestro {

class CPSHoverButton : public CKickButton {
public:
    static constexpr int kFrames = 3;
    enum Frame { kIdleFrame = 0, kHoverFrame = 1, kPressedFrame = 2 };

    CPSHoverButton(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* background);

    MouseResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool isHovered() const { return hovered; }

protected:
    // Draws the pressed frame when `pressed`, else the hover or idle frame.
    void drawState(CDrawContext& context, bool pressed);

private:
    bool hovered = false;
};

} // namespace kestro
