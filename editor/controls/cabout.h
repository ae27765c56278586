#pragma once
// The title area: a click shows the about screen over the window with the version drawn on
// it; a click on the screen takes it away.

#include "toolkit/csplash_screen.h"

namespace kestro {

class CAbout : public CSplashScreen {
public:
    // `screenArea` is where the about screen shows (the whole window); `versionAnchor` the
    // version text's top-left corner relative to it.
    CAbout(const CRect& size, CControlListener* listener, int tag, CBitmap* picture, const CRect& screenArea,
           const CPoint& versionAnchor);

    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    const CPoint& getVersionAnchor() const { return versionAnchor; }

protected:
    CView* createSplashView() override;

private:
    CPoint versionAnchor;
};

// The about screen itself: the picture and the version text.
class CSplashScreenMyView : public CControl {
public:
    static constexpr const char* kVersionText = "v.1.0.0";

    CSplashScreenMyView(const CRect& size, CAbout* about, const CPoint& versionAnchor);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

private:
    CAbout* about;
    CPoint anchor;
};

} // namespace kestro
