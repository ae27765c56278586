#include "toolkit/csplash_screen.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"
#include "toolkit/cframe.h"

namespace kestro {

namespace {

// The picture over the display area; a left click takes it away.
class CSplashView : public CView {
public:
    CSplashView(CSplashScreen* owner, const CRect& area, const CPoint& pictureOffset)
        : CView(area), splash(owner), offset(pictureOffset)
    {
    }

    void draw(CDrawContext& context) override
    {
        if (splash->getPicture() != nullptr)
            context.drawBitmap(*splash->getPicture(), size, offset);
        setDirty(false);
    }

    MouseResult onMouseDown(CPoint&, const CButtonState& buttons) override
    {
        if (!buttons.isLeftButton())
            return MouseResult::NotHandled;
        splash->unSplash();
        return MouseResult::HandledNoFurtherEvents;
    }

private:
    CSplashScreen* splash;
    CPoint offset;
};

} // namespace

CSplashScreen::CSplashScreen(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* bitmap,
                             const CRect& area, const CPoint& pictureOffset)
    : CControl(rect, controlListener, controlTag, nullptr), displayArea(area), offset(pictureOffset), picture(bitmap)
{
    if (picture != nullptr)
        picture->remember();
    setDefaultValue(0.0f);
}

CSplashScreen::~CSplashScreen()
{
    if (splashView != nullptr) {
        if (CFrame* frame = getFrame(); frame != nullptr && frame->getModalView() == splashView)
            frame->setModalView(nullptr);
        splashView = nullptr;
    }
    if (picture != nullptr)
        picture->forget();
}

void CSplashScreen::draw(CDrawContext& context)
{
    drawBackground(context);
    setDirty(false);
}

MouseResult CSplashScreen::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    if (splashView == nullptr)
        splash();
    else
        unSplash();
    return MouseResult::HandledNoFurtherEvents;
}

CView* CSplashScreen::createSplashView() { return new CSplashView(this, displayArea, offset); }

bool CSplashScreen::splash()
{
    CFrame* frame = getFrame();
    if (frame == nullptr || splashView != nullptr)
        return false;
    CView* view = createSplashView();
    if (view == nullptr)
        return false;
    if (!frame->setModalView(view)) {
        view->forget();
        return false;
    }
    splashView = view;
    setValue(1.0f);
    invalid();
    return true;
}

void CSplashScreen::unSplash()
{
    setValue(0.0f);
    CFrame* frame = getFrame();
    if (splashView != nullptr && frame != nullptr && frame->getModalView() == splashView)
        frame->setModalView(nullptr);
    splashView = nullptr;
    if (frame != nullptr)
        frame->invalidateArea(displayArea);
    invalid();
}

} // namespace kestro
