#pragma once
// A two-sided rocker that lights the half under the pointer before it is pressed. The
// press notifies with -1 (left half) or +1 (right half); the release only returns it to 0,
// so a listener acts once per press.

#include "toolkit/cbuttons.h"

namespace kestro {

class CPSRockerSwitch : public CRockerSwitch {
public:
    // Frames of the bitmap: idle, left under the pointer, right under the pointer, left
    // pressed, right pressed.
    enum Frame { kIdle = 0, kLeftHover, kRightHover, kLeftPressed, kRightPressed, kFrameCount };

    CPSRockerSwitch(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* bitmap,
                    const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

    // -1 left half, 0 none, +1 right half.
    int getHoverSide() const { return hoverSide; }
    // The frame draw() shows now.
    int currentFrame() const;

private:
    CCoord middle() const { return (size.left + size.right) / 2; }

    int hoverSide = 0;
};

} // namespace kestro
