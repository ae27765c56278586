#pragma once
// The wheel as the window's knobs and lever take it: a notch beyond the dead band counts as
// one whole step, smaller distances (smooth scrolling) pass through unchanged; Shift makes
// the step finer. A change is one gesture for the host.

#include "toolkit/ccontrol.h"

namespace kestro {

inline constexpr float kWheelDeadBand = 0.1f;

inline bool stepByWheel(CControl& control, float distance, float step, float fineFactor, const CButtonState& buttons)
{
    float notches = distance;
    if (distance > kWheelDeadBand)
        notches = 1.0f;
    else if (distance < -kWheelDeadBand)
        notches = -1.0f;
    control.setValue(control.getValue() + notches * step * (buttons.hasShift() ? fineFactor : 1.0f));
    if (control.isDirty() && control.getListener() != nullptr) {
        control.invalid();
        control.beginEdit();
        control.valueChanged();
        control.endEdit();
    }
    return true;
}

} // namespace kestro
