// Input routing through the frame: hit testing, pointer capture, hover, modal views,
// double-clicks, wheel and keys, and the redraw of only what changed.

#include "toolkit_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro::test {
namespace {

// Records what reaches it; answers presses with a chosen result.
class Probe : public CView {
public:
    Probe(const CRect& r, MouseResult answer = MouseResult::Handled) : CView(r), result(answer) {}
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override
    {
        log += "down(" + std::to_string(int(where.x)) + (buttons.isDoubleClick() ? ",double" : "") + ")";
        return result;
    }
    MouseResult onMouseUp(CPoint& where, const CButtonState&) override
    {
        log += "up(" + std::to_string(int(where.x)) + ")";
        return MouseResult::Handled;
    }
    MouseResult onMouseMoved(CPoint& where, const CButtonState&) override
    {
        log += "move(" + std::to_string(int(where.x)) + ")";
        return MouseResult::Handled;
    }
    MouseResult onMouseEntered(CPoint&, const CButtonState&) override
    {
        log += "enter";
        return MouseResult::Handled;
    }
    MouseResult onMouseExited(CPoint&, const CButtonState&) override
    {
        log += "exit";
        return MouseResult::Handled;
    }
    bool onWheel(const CPoint&, float distance, const CButtonState&) override
    {
        log += "wheel(" + std::to_string(int(distance)) + ")";
        return true;
    }
    bool onKeyDown(const CKeyCode& key) override
    {
        log += "key(" + std::to_string(int(key.virt)) + ")";
        return true;
    }
    std::string log;
    MouseResult result;
};

constexpr CButtonState kLeft = CButtonState::kLButton;

TEST(Events, PressGoesToTheTopmostViewAndAHandledPressCapturesUntilRelease)
{
    HeadlessFrame f(40, 20);
    auto* under = new Probe(CRect(0, 0, 20, 20));
    auto* over = new Probe(CRect(10, 0, 30, 20));
    auto* other = new Probe(CRect(30, 0, 40, 20));
    f.frame->addView(under);
    f.frame->addView(over);
    f.frame->addView(other);

    f.frame->mouseDown(CPoint(15, 5), kLeft, 1000);
    f.frame->mouseMoved(CPoint(35, 5), kLeft); // outside: still the captured view
    f.frame->mouseUp(CPoint(36, 5), kLeft);
    EXPECT_EQ(under->log, "");
    EXPECT_EQ(over->log, "enterdown(15)move(35)up(36)exit");
    EXPECT_EQ(other->log, "enter");

    // A press answered "no further events" captures nothing.
    other->log.clear();
    other->result = MouseResult::HandledNoFurtherEvents;
    f.frame->mouseDown(CPoint(35, 5), kLeft, 5000);
    f.frame->mouseMoved(CPoint(5, 5), kLeft);
    f.frame->mouseUp(CPoint(5, 5), kLeft);
    EXPECT_EQ(other->log, "down(35)exit");
    EXPECT_EQ(under->log, "entermove(5)");
}

TEST(Events, HiddenAndMouseDisabledViewsAreNotHit)
{
    HeadlessFrame f(20, 20);
    auto* under = new Probe(CRect(0, 0, 20, 20));
    auto* hidden = new Probe(CRect(0, 0, 20, 20));
    f.frame->addView(under);
    f.frame->addView(hidden);
    hidden->setVisible(false);
    f.frame->mouseDown(CPoint(5, 5), kLeft, 0);
    hidden->setVisible(true);
    hidden->setMouseEnabled(false);
    f.frame->mouseUp(CPoint(5, 5), kLeft);
    f.frame->mouseDown(CPoint(6, 5), kLeft, 2000);
    EXPECT_EQ(hidden->log, "");
    EXPECT_EQ(under->log, "enterdown(5)up(5)down(6)");
}

TEST(Events, DoubleClickNeedsTheSameButtonSoonAndNear)
{
    HeadlessFrame f(100, 20);
    auto* probe = new Probe(CRect(0, 0, 100, 20), MouseResult::HandledNoFurtherEvents);
    f.frame->addView(probe);
    auto click = [&](double x, std::uint64_t t, CButtonState b = kLeft) {
        f.frame->mouseDown(CPoint(x, 5), b, t);
        f.frame->mouseUp(CPoint(x, 5), b);
    };
    click(10, 1000);
    click(12, 1300); // within 400 ms and 4 pixels
    click(12, 1400); // a third press starts over
    click(12, 2000); // too late
    click(30, 2100); // too far
    click(30, 2200, CButtonState::kRButton); // another button
    EXPECT_EQ(probe->log, "enterdown(10)down(12,double)down(12)down(12)down(30)down(30)");
}

TEST(Events, ModalViewTakesAllInputUntilItIsRemoved)
{
    HeadlessFrame f(40, 20);
    auto* control = new Probe(CRect(0, 0, 40, 20));
    f.frame->addView(control);
    auto* modal = new Probe(CRect(10, 5, 20, 15), MouseResult::HandledNoFurtherEvents);
    ASSERT_TRUE(f.frame->setModalView(modal));
    auto* second = new Probe(CRect(0, 0, 1, 1));
    EXPECT_FALSE(f.frame->setModalView(second)) << "one modal view at a time";
    second->forget();

    f.frame->mouseDown(CPoint(30, 2), kLeft, 0); // outside the modal view, still its
    f.frame->wheel(CPoint(30, 2), 1.0f, {});
    f.frame->keyDown(CKeyCode{0, VirtualKey::Escape, 0});
    EXPECT_EQ(control->log, "");
    EXPECT_EQ(modal->log, "enterdown(30)wheel(1)key(6)");

    EXPECT_TRUE(f.frame->setModalView(nullptr));
    EXPECT_EQ(f.frame->getModalView(), nullptr);
    f.frame->mouseDown(CPoint(30, 2), kLeft, 5000);
    EXPECT_EQ(control->log, "enterdown(30)");
}

// A modal view that closes itself from its own press: released only after the event.
class SelfClosing : public CView {
public:
    explicit SelfClosing(const CRect& r, bool* gone) : CView(r), destroyed(gone) {}
    ~SelfClosing() override { *destroyed = true; }
    MouseResult onMouseDown(CPoint&, const CButtonState&) override
    {
        getFrame()->setModalView(nullptr);
        EXPECT_FALSE(*destroyed);
        touched = true; // still alive here
        return MouseResult::Handled;
    }
    bool* destroyed;
    bool touched = false;
};

TEST(Events, AViewRemovedDuringItsOwnHandlerLivesUntilTheEventIsOver)
{
    HeadlessFrame f(20, 20);
    bool destroyed = false;
    auto* modal = new SelfClosing(CRect(0, 0, 20, 20), &destroyed);
    f.frame->setModalView(modal);
    f.frame->mouseDown(CPoint(5, 5), kLeft, 0);
    EXPECT_TRUE(destroyed);
    f.frame->mouseMoved(CPoint(6, 6), kLeft); // no capture of the released view
    f.frame->mouseUp(CPoint(6, 6), kLeft);
}

TEST(Events, WheelAndKeysReachTheViewUnderThePointerUnlessAViewHasFocus)
{
    HeadlessFrame f(40, 20);
    auto* a = new Probe(CRect(0, 0, 20, 20));
    auto* b = new Probe(CRect(20, 0, 40, 20));
    f.frame->addView(a);
    f.frame->addView(b);
    f.frame->mouseMoved(CPoint(25, 5), {});
    EXPECT_TRUE(f.frame->wheel(CPoint(5, 5), -1.0f, {}));
    EXPECT_TRUE(f.frame->keyDown(CKeyCode{0, VirtualKey::Up, 0}));
    f.frame->setFocusView(a);
    f.frame->keyDown(CKeyCode{0, VirtualKey::Down, 0});
    EXPECT_EQ(a->log, "wheel(-1)key(14)");
    EXPECT_EQ(b->log, "entermove(25)key(12)");
}

TEST(Events, IdleRedrawsAndPresentsOnlyWhatChanged)
{
    HeadlessFrame f(40, 20);
    auto* left = new CMovieBitmap(CRect(0, 0, 10, 10), nullptr, 1, 1, 10, nullptr);
    auto* right = new CMovieBitmap(CRect(30, 10, 40, 20), nullptr, 2, 1, 10, nullptr);
    f.frame->addView(left);
    f.frame->addView(right);
    f.idle();
    EXPECT_EQ(f.window->presentCount(), 1);
    f.idle();
    EXPECT_EQ(f.window->presentCount(), 1) << "nothing changed, nothing presented";

    right->setValue(0.5f); // as the audio thread may: only stores and marks dirty
    right->setValue(0.5f);
    f.idle();
    ASSERT_EQ(f.window->presentCount(), 2);
    ASSERT_EQ(f.window->lastPresentedAreas().size(), 1u);
    const PixelRect area = f.window->lastPresentedAreas()[0];
    EXPECT_EQ(area.x0, 30);
    EXPECT_EQ(area.y0, 10);
    EXPECT_EQ(area.x1, 40);
    EXPECT_EQ(area.y1, 20);
}

TEST(Events, ActiveFrameIsTheLastOneUsed)
{
    HeadlessFrame first(10, 10);
    HeadlessFrame second(10, 10);
    EXPECT_EQ(CFrame::activeFrame(), second.frame);
    first.frame->mouseDown(CPoint(1, 1), kLeft, 0);
    EXPECT_EQ(CFrame::activeFrame(), first.frame);
}

} // namespace
} // namespace kestro::test
