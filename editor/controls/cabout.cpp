#include "editor/controls/cabout.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"
#include "toolkit/cframe.h"

namespace kestro {

namespace {

constexpr CColor kVersionColor{160, 159, 157, 255};
constexpr int kVersionFontSize = 10;
constexpr CCoord kVersionWidth = 80;
constexpr CCoord kVersionHeight = 15;

} // namespace

CAbout::CAbout(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* aboutPicture,
               const CRect& screenArea, const CPoint& anchor)
    : CSplashScreen(rect, controlListener, controlTag, aboutPicture, screenArea), versionAnchor(anchor)
{
}

MouseResult CAbout::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    if (getValue() == 0.0f)
        splash();
    else
        unSplash();
    invalid();
    return MouseResult::HandledNoFurtherEvents;
}

CView* CAbout::createSplashView() { return new CSplashScreenMyView(displayArea, this, versionAnchor); }

CSplashScreenMyView::CSplashScreenMyView(const CRect& rect, CAbout* owner, const CPoint& versionAnchor)
    : CControl(rect), about(owner), anchor(versionAnchor)
{
}

void CSplashScreenMyView::draw(CDrawContext& context)
{
    if (about->getPicture() != nullptr)
        context.drawBitmap(*about->getPicture(), size);
    context.setFont(CFontDesc("Arial", kVersionFontSize));
    context.setFontColor(kVersionColor);
    const CPoint origin(anchor.x + size.left, anchor.y + size.top);
    context.drawString(kVersionText, CRect(origin, kVersionWidth, kVersionHeight), kCenterText);
    setDirty(false);
}

MouseResult CSplashScreenMyView::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    // The about area takes the screen down and releases this view once the click is over.
    CFrame* frame = getFrame();
    about->unSplash();
    if (frame != nullptr)
        frame->invalidateAll();
    return MouseResult::HandledNoFurtherEvents;
}

} // namespace kestro
