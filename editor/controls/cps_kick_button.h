#pragma once
// The preset panel's store, recall, label and manual buttons: three frames (idle, under the
// mouse, pressed). A press notifies once; the release only resets. A label button reacts to
// double-clicks alone and reports 0.5 instead of 1.0 when Control is held, which the panel
// takes as "clear the stored default" rather than "store it".

#include "toolkit/cbuttons.h"

namespace kestro {

class CPSKickButton : public CKickButton {
public:
    static constexpr int kFrames = 3;

    CPSKickButton(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* background,
                  bool doubleClickOnly = false);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

    // The manual button goes back to its released look once the manual was asked for.
    void release();
    bool isPressed() const { return pressed; }
    bool isHovered() const { return hovered; }

private:
    bool hovered = false;
    bool pressed = false;
    bool doubleClickOnly;
};

} // namespace kestro
