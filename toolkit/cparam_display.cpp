#include "toolkit/cparam_display.h"

#include <cstdio>

namespace kestro {

CParamDisplay::CParamDisplay(const CRect& rect, CBitmap* bitmap, int displayStyle)
    : CControl(rect, nullptr, -1, bitmap), style(displayStyle)
{
    setMouseEnabled(false);
}

void CParamDisplay::drawBack(CDrawContext& context)
{
    if (background != nullptr) {
        drawBackground(context);
    } else if ((style & kTransparentStyle) == 0) {
        context.setFillColor(backColor);
        context.fillRect(size);
    }
    if ((style & kFrameStyle) != 0) {
        context.setFrameColor(frameColor);
        context.frameRect(size);
    }
}

void CParamDisplay::drawText(CDrawContext& context, const char* text)
{
    if ((style & kNoTextStyle) != 0 || text == nullptr)
        return;
    context.setFont(font);
    context.setFontColor(fontColor);
    context.drawString(text, size, horiAlign);
}

void CParamDisplay::draw(CDrawContext& context)
{
    if ((style & kNoDrawStyle) == 0) {
        char text[kTextSize] = {};
        const float value = getValue();
        if (valueToString == nullptr || !valueToString(value, text, valueToStringData))
            std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
        text[kTextSize - 1] = '\0';
        drawBack(context);
        drawText(context, text);
    }
    setDirty(false);
}

CTextLabel::CTextLabel(const CRect& rect, const char* initial, CBitmap* bitmap, int displayStyle)
    : CParamDisplay(rect, bitmap, displayStyle), text(initial != nullptr ? initial : "")
{
}

void CTextLabel::setText(const char* newText)
{
    const char* value = newText != nullptr ? newText : "";
    if (text == value)
        return;
    text = value;
    setDirty();
}

void CTextLabel::draw(CDrawContext& context)
{
    if ((style & kNoDrawStyle) == 0) {
        drawBack(context);
        drawText(context, text.c_str());
    }
    setDirty(false);
}

} // namespace kestro
