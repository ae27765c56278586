#pragma once
// Controls: views with a tag, a float value between a minimum and a maximum, a default
// value, and a listener told of every change the user makes. A gesture is bracketed by
// beginEdit/endEdit, which reach the host as audioMasterBeginEdit/EndEdit through the
// frame's editor.
//
// Threads: setValue may be called from the audio thread (a host automating a parameter):
// it only stores the value and marks the control dirty, with no drawing and no allocation;
// the frame redraws at its next idle. Everything else is user-interface thread only.

#include "toolkit/cview.h"

#include <atomic>

namespace kestro {

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // The edit bracket of a gesture; the frame's editor tells the host on its own.
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int tag = -1, CBitmap* background = nullptr);

    // Clamps into minimum .. maximum and stores when it differs (then the control is
    // dirty). Safe from any thread; NaN is taken as the minimum.
    virtual void setValue(float value);
    float getValue() const { return currentValue.load(std::memory_order_relaxed); }
    // Normalized to 0 .. 1 over minimum .. maximum.
    float getValueNormalized() const;

    void setMin(float value) { minimum = value; }
    float getMin() const { return minimum; }
    void setMax(float value) { maximum = value; }
    float getMax() const { return maximum; }
    void setDefaultValue(float value) { defaultValue = value; }
    float getDefaultValue() const { return defaultValue; }
    // Brings the value back into minimum .. maximum (marking the control dirty if it moved).
    virtual void bounceValue();

    void setTag(int value) { tag = value; }
    int getTag() const { return tag; }
    void setListener(CControlListener* value) { listener = value; }
    CControlListener* getListener() const { return listener; }

    // Tells the listener of the current value.
    virtual void valueChanged();
    // The gesture bracket: listener and host hear of the outermost begin and end only.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editDepth > 0; }

    // Where the control's part of its background bitmap starts.
    void setBackOffset(const CPoint& offset) { backOffset = offset; }
    const CPoint& getBackOffset() const { return backOffset; }

    // Step per wheel notch for the toolkit's own controls.
    void setWheelInc(float value) { wheelInc = value; }
    float getWheelInc() const { return wheelInc; }

    // The value when the control was last drawn (draw implementations call setDirty(false)).
    float getDrawnValue() const { return drawnValue; }
    void setDirty(bool state = true) override;

protected:
    // Draws the background bitmap part under the control (at the back offset), if any.
    void drawBackground(CDrawContext& context);
    // Clamp into minimum .. maximum; NaN becomes the minimum.
    float bounded(float value) const;

    CControlListener* listener;
    int tag;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    float drawnValue = 0.0f;
    CPoint backOffset;

private:
    std::atomic<float> currentValue{0.0f};
    int editDepth = 0;
};

// The frame layout of a filmstrip: `count` frames of `height` pixels stacked vertically,
// frame 0 on top.
class CMultiFrame {
public:
    CMultiFrame() = default;
    CMultiFrame(int count, CCoord height) : frameCount(count), frameHeight(height) {}

    void setFrameCount(int count) { frameCount = count; }
    int getFrameCount() const { return frameCount; }
    void setFrameHeight(CCoord height) { frameHeight = height; }
    CCoord getFrameHeight() const { return frameHeight; }
    // Frame count from the bitmap height when only the frame height is known.
    void computeFrameCount(const CBitmap* bitmap);
    // Frame int(normalized * (count - 1) + 0.5), clamped to the strip.
    int frameForValue(float normalized) const;

protected:
    // Draws frame `index` of `bitmap` into `dest`, starting `offset` into each frame.
    void drawFrame(CDrawContext& context, const CBitmap& bitmap, int index, const CRect& dest,
                   const CPoint& offset = {}, float alpha = 1.0f) const;

    int frameCount = 1;
    CCoord frameHeight = 0;
};

} // namespace kestro
