#pragma once
// Value displays and text labels: a background (bitmap part at the back offset, or the back
// colour), then one line of text in a font, colour and alignment.

#include "toolkit/ccontrol.h"
#include "toolkit/cdraw_context.h"

#include <string>

namespace kestro {

// Style bits; 0 draws background and text.
enum CParamDisplayStyle {
    kNoDrawStyle = 1 << 0,      // draws nothing at all
    kNoTextStyle = 1 << 1,      // background only
    kTransparentStyle = 1 << 2, // no back colour fill when there is no background bitmap
    kFrameStyle = 1 << 3,       // a one-pixel outline in the frame colour
};

// Writes the text for a value into `text` (256 bytes, UTF-8, zero-terminated); false to
// fall back to the plain number.
using CParamDisplayValueToString = bool (*)(float value, char text[256], void* userData);

class CParamDisplay : public CControl {
public:
    static constexpr int kTextSize = 256;

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int style = 0);

    void draw(CDrawContext& context) override;

    void setFont(const CFontDesc& desc) { font = desc; setDirty(); }
    const CFontDesc& getFont() const { return font; }
    void setFontColor(const CColor& color) { fontColor = color; setDirty(); }
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& color) { backColor = color; setDirty(); }
    const CColor& getBackColor() const { return backColor; }
    void setFrameColor(const CColor& color) { frameColor = color; setDirty(); }
    const CColor& getFrameColor() const { return frameColor; }
    void setHoriAlign(CHoriTxtAlign align) { horiAlign = align; setDirty(); }
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    void setStyle(int value) { style = value; setDirty(); }
    int getStyle() const { return style; }

    // The text callback, called with `userData` when the display draws.
    void setValueToStringFunction(CParamDisplayValueToString function, void* userData = nullptr)
    {
        valueToString = function;
        valueToStringData = userData;
        setDirty();
    }

protected:
    // Background (bitmap part or back colour) and the optional frame.
    void drawBack(CDrawContext& context);
    void drawText(CDrawContext& context, const char* text);

    CFontDesc font;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CHoriTxtAlign horiAlign = kCenterText;
    int style;
    CParamDisplayValueToString valueToString = nullptr;
    void* valueToStringData = nullptr;
};

// A display that shows a text of its own instead of its value.
class CTextLabel : public CParamDisplay {
public:
    CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr, int style = 0);

    // Copies the text (UTF-8) and redraws when it differs.
    virtual void setText(const char* text);
    const char* getText() const { return text.c_str(); }

    void draw(CDrawContext& context) override;

protected:
    std::string text;
};

} // namespace kestro
