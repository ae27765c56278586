#pragma once
// The value text under a knob: white Arial 9 centred on the part of the window background
// under it, the text written by the parameter's editor display law. Display only.

#include "params/editor_display.h"
#include "toolkit/cparam_display.h"

namespace kestro {

class CKestroParamDisplay : public CParamDisplay {
public:
    CKestroParamDisplay(const CRect& size, CBitmap* windowBackground, EditorLaw law);

    EditorLaw getLaw() const { return law; }

private:
    EditorLaw law;
};

} // namespace kestro
