#pragma once
// Two-frame and three-position buttons drawn from vertical filmstrips.

#include "toolkit/ccontrol.h"

namespace kestro {

// A momentary button: the value is the maximum while pressed with the pointer inside, the
// minimum otherwise (tracked while the button is held). Releasing inside notifies with the
// maximum, then the value returns to the minimum and notifies again. Frame 1 (lower half)
// shows while the value is the maximum.
class CKickButton : public CControl, public CMultiFrame {
public:
    CKickButton(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* background,
                const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    // While the left button is held: maximum inside, minimum outside; no notification.
    MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;

protected:
    CPoint offset;
};

// A toggle: a left click flips between minimum and maximum and notifies. The bitmap holds
// two frames of half its height, off above on.
class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, int tag, CBitmap* background);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

// A rocker with value -1 (left half pressed), 0 (rest) and +1 (right half pressed). The
// press notifies with -1 or +1, the release returns to 0 and notifies again. Frames: 0 at
// rest, 1 left pressed, 2 right pressed.
class CRockerSwitch : public CControl, public CMultiFrame {
public:
    CRockerSwitch(const CRect& size, CControlListener* listener, int tag, CCoord frameHeight, CBitmap* background,
                  const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

protected:
    CPoint offset;
};

// Shows frame int(normalized value * (frames - 1) + 0.5) of a filmstrip; no input.
class CMovieBitmap : public CControl, public CMultiFrame {
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, int tag, int frames, CCoord frameHeight,
                 CBitmap* background, const CPoint& offset = {});

    void draw(CDrawContext& context) override;

protected:
    CPoint offset;
};

} // namespace kestro
