#include "editor/controls/ckestro_param_display.h"

namespace kestro {

namespace {

constexpr int kDisplayFontSize = 9;

bool writeLawText(float value, char text[CParamDisplay::kTextSize], void* userData)
{
    static_assert(kTextBufferSize <= CParamDisplay::kTextSize);
    formatEditorDisplay(*static_cast<const EditorLaw*>(userData), value, text);
    return true;
}

} // namespace

CKestroParamDisplay::CKestroParamDisplay(const CRect& rect, CBitmap* windowBackground, EditorLaw displayLaw)
    : CParamDisplay(rect, windowBackground, 0), law(displayLaw)
{
    setHoriAlign(kCenterText);
    setFont(CFontDesc("Arial", kDisplayFontSize));
    setFontColor(kWhiteCColor);
    // Repaints exactly the window background under itself before the text.
    setBackOffset(rect.topLeft());
    setValueToStringFunction(writeLawText, &law);
}

} // namespace kestro
