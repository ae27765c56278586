#pragma once
// A click area that shows a picture over (part of) the window as a modal view; a click on
// the picture takes it away again. The value is 1 while the picture shows.

#include "toolkit/ccontrol.h"

namespace kestro {

class CSplashScreen : public CControl {
public:
    // `displayArea` is where the picture shows, `offset` where in the bitmap it starts.
    CSplashScreen(const CRect& size, CControlListener* listener, int tag, CBitmap* picture,
                  const CRect& displayArea, const CPoint& offset = {});
    ~CSplashScreen() override;

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    // Shows the picture (as a click does); false without a frame or when another modal
    // view is up.
    virtual bool splash();
    // Takes the picture away: value 0, the modal view removed and released (once the
    // current event is over). The splash view must not release itself as well.
    virtual void unSplash();
    bool isSplashing() const { return splashView != nullptr; }

    const CRect& getDisplayArea() const { return displayArea; }
    CBitmap* getPicture() const { return picture; }

protected:
    // The view put up by splash(); the default draws the picture and closes on a click.
    virtual CView* createSplashView();
    // Derived controls that put up a view of their own register it here.
    void setSplashView(CView* view) { splashView = view; }

    CRect displayArea;
    CPoint offset;
    CBitmap* picture;
    CView* splashView = nullptr;
};

} // namespace kestro
