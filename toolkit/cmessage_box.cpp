#include "toolkit/cmessage_box.h"

#include "toolkit/cdraw_context.h"
#include "toolkit/cframe.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestro {

namespace {

constexpr CCoord kLineHeight = 14;
constexpr CCoord kCaptionHeight = 18;
constexpr CCoord kMargin = 12;
constexpr CCoord kButtonWidth = 64;
constexpr CCoord kButtonHeight = 20;
const CColor kShade{0, 0, 0, 96};
const CColor kBoxBack{246, 245, 242, 255};
const CColor kBoxFrame{60, 58, 54, 255};
const CColor kCaptionBack{62, 60, 56, 255};
const CColor kText{20, 20, 18, 255};
const CFontDesc kFont{"Arial", 11};

// Word-wrapped lines of the text that fit `width`; explicit line breaks are kept.
std::vector<std::string> wrapLines(const std::string& text, CCoord width)
{
    CDrawContext measure(PixelSurface{});
    measure.setFont(kFont);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        const std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        std::size_t pos = 0;
        while (pos < paragraph.size()) {
            std::size_t space = paragraph.find(' ', pos);
            const std::string word = paragraph.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && measure.getStringWidth(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            pos = space == std::string::npos ? paragraph.size() : space + 1;
        }
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

} // namespace

CMessageBoxView::CMessageBoxView(const CRect& windowArea, const char* text, const char* boxCaption)
    : CView(windowArea), message(text != nullptr ? text : ""), caption(boxCaption != nullptr ? boxCaption : "")
{
    const CCoord width = std::min<CCoord>(300, windowArea.width() - 2 * kMargin);
    const auto lines = wrapLines(message, width - 2 * kMargin);
    const CCoord captionHeight = caption.empty() ? 0 : kCaptionHeight;
    const CCoord height = captionHeight + kMargin + static_cast<CCoord>(lines.size()) * kLineHeight + kMargin +
                          kButtonHeight + kMargin;
    const CCoord left = std::floor(windowArea.left + (windowArea.width() - width) / 2);
    const CCoord top = std::floor(windowArea.top + (windowArea.height() - height) / 2);
    box = CRect(left, top, left + width, top + height);
    const CCoord buttonLeft = std::floor(left + (width - kButtonWidth) / 2);
    button = CRect(buttonLeft, box.bottom - kMargin - kButtonHeight, buttonLeft + kButtonWidth, box.bottom - kMargin);
}

void CMessageBoxView::draw(CDrawContext& context)
{
    context.setFillColor(kShade);
    context.fillRect(size);
    context.setFillColor(kBoxBack);
    context.fillRect(box);
    context.setFrameColor(kBoxFrame);
    context.frameRect(box);
    context.setFont(kFont);
    CCoord y = box.top + kMargin;
    if (!caption.empty()) {
        context.setFillColor(kCaptionBack);
        context.fillRect(CRect(box.left, box.top, box.right, box.top + kCaptionHeight));
        context.setFontColor(kWhiteCColor);
        context.drawString(caption, CRect(box.left + kMargin, box.top, box.right - kMargin, box.top + kCaptionHeight),
                           kLeftText);
        y += kCaptionHeight;
    }
    context.setFontColor(kText);
    for (const std::string& line : wrapLines(message, box.width() - 2 * kMargin)) {
        context.drawString(line, CRect(box.left + kMargin, y, box.right - kMargin, y + kLineHeight), kLeftText);
        y += kLineHeight;
    }
    context.setFillColor(pressed ? CColor{200, 196, 186, 255} : CColor{226, 223, 215, 255});
    context.fillRect(button);
    context.setFrameColor(kBoxFrame);
    context.frameRect(button);
    context.drawString("OK", button, kCenterText);
    setDirty(false);
}

MouseResult CMessageBoxView::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::HandledNoFurtherEvents;
    if (!box.pointInside(where)) {
        close();
        return MouseResult::HandledNoFurtherEvents;
    }
    if (!button.pointInside(where))
        return MouseResult::HandledNoFurtherEvents;
    pressed = true;
    invalidRect(button);
    return MouseResult::Handled;
}

MouseResult CMessageBoxView::onMouseUp(CPoint& where, const CButtonState&)
{
    const bool clicked = pressed && button.pointInside(where);
    pressed = false;
    invalidRect(button);
    if (clicked)
        close();
    return MouseResult::Handled;
}

bool CMessageBoxView::onKeyDown(const CKeyCode& key)
{
    if (key.virt == VirtualKey::Return || key.virt == VirtualKey::Enter || key.virt == VirtualKey::Escape ||
        key.virt == VirtualKey::Space)
        close();
    return true;
}

void CMessageBoxView::close()
{
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getModalView() == this)
        frame->setModalView(nullptr);
}

bool showMessageInActiveFrame(const char* text, const char* caption)
{
    CFrame* frame = CFrame::activeFrame();
    if (frame == nullptr || text == nullptr)
        return false;
    auto* view = new CMessageBoxView(frame->getViewSize(), text, caption);
    if (!frame->setModalView(view)) {
        view->forget();
        return false;
    }
    return true;
}

} // namespace kestro
