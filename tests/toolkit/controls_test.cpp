// Controls: value storage from any thread, edit gestures reaching the host, and the
// pointer behaviour of the toolkit's knob, buttons, rocker and splash screen.

#include "toolkit_fixture.h"

#include "host/audio_effect.h"
#include "support/alloc_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kestro::test {
namespace {

std::vector<std::string> hostCalls;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterBeginEdit)
        hostCalls.push_back("begin " + std::to_string(index));
    if (opcode == audioMasterEndEdit)
        hostCalls.push_back("end " + std::to_string(index));
    return opcode == audioMasterVersion ? 2400 : 0;
}

class SilentEffect : public AudioEffect {
public:
    SilentEffect() : AudioEffect(&recordingHost, 1, 36) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

class Listener : public CControlListener {
public:
    void valueChanged(CControl* control) override { log += "changed " + std::to_string(control->getValue()) + ";"; }
    void controlBeginEdit(CControl*) override { log += "begin;"; }
    void controlEndEdit(CControl*) override { log += "end;"; }
    std::string log;
};

constexpr CButtonState kLeft = CButtonState::kLButton;

TEST(Controls, ValueIsClampedStoredOnlyWhenItDiffersAndAllocatesNothing)
{
    HeadlessFrame f;
    auto* control = new CMovieBitmap(CRect(0, 0, 10, 10), nullptr, 1, 2, 5, nullptr);
    f.frame->addView(control);
    f.idle();
    ASSERT_FALSE(control->isDirty());
    control->setValue(0.0f);
    EXPECT_FALSE(control->isDirty()) << "the same value is no change";
    control->setValue(1.5f);
    EXPECT_EQ(control->getValue(), 1.0f);
    EXPECT_TRUE(control->isDirty());
    control->setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(control->getValue(), 0.0f);

    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    AllocationCounter counter;
    for (int i = 0; i < 100; ++i)
        control->setValue(static_cast<float>(i % 10) / 10.0f);
    EXPECT_EQ(counter.stop(), 0) << "setValue may run on the audio thread";
}

TEST(Controls, EditGesturesReachTheHostForAnnouncedParametersOnly)
{
    SilentEffect effect;
    AEffGUIEditor editor(&effect);
    HeadlessFrame f(100, 100, &editor);
    Listener listener;
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 5, nullptr);
    auto* pseudo = new COnOffButton(CRect(50, 0, 60, 10), &listener, 148, nullptr);
    f.frame->addView(knob);
    f.frame->addView(pseudo);
    hostCalls.clear();

    knob->setValue(0.5f);
    f.frame->mouseDown(CPoint(20, 20), kLeft, 0);
    f.frame->mouseMoved(CPoint(20, 0), kLeft); // 20 pixels up of a 200-pixel range
    f.frame->mouseUp(CPoint(20, 0), kLeft);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
    f.frame->mouseDown(CPoint(55, 5), kLeft, 5000);
    EXPECT_EQ(hostCalls, (std::vector<std::string>{"begin 5", "end 5"}));
    EXPECT_EQ(listener.log, "begin;changed 0.600000;end;begin;changed 1.000000;end;");
}

TEST(Controls, KnobDragsLinearlyFineWithShiftAndResetsOnControlClickOrDoubleClick)
{
    HeadlessFrame f(100, 100);
    Listener listener;
    auto* knob = new CKnob(CRect(0, 0, 100, 100), &listener, 1, nullptr);
    f.frame->addView(knob);
    knob->setValue(0.0f);
    knob->setDefaultValue(0.25f);

    f.frame->mouseDown(CPoint(10, 50), kLeft, 0);
    f.frame->mouseMoved(CPoint(60, 50), kLeft); // right counts like up
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    f.frame->mouseMoved(CPoint(60, 50), kLeft | CButtonState::kShift);
    f.frame->mouseMoved(CPoint(80, 50), kLeft | CButtonState::kShift); // ten times finer
    EXPECT_FLOAT_EQ(knob->getValue(), 0.26f);
    f.frame->mouseUp(CPoint(80, 50), kLeft);

    knob->setValue(0.9f);
    f.frame->mouseDown(CPoint(10, 10), kLeft | CButtonState::kControl, 5000);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);

    knob->setWheelInc(0.05f);
    EXPECT_TRUE(f.frame->wheel(CPoint(10, 10), 2.0f, {}));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.35f);
    EXPECT_TRUE(f.frame->keyDown(CKeyCode{0, VirtualKey::Down, 0}));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.30f);
}

TEST(Controls, KickButtonFollowsThePointerWhileHeldAndNotifiesOnRelease)
{
    HeadlessFrame f(40, 20);
    Listener listener;
    auto* kick = new CKickButton(CRect(0, 0, 10, 10), &listener, 3, 10, nullptr);
    f.frame->addView(kick);
    f.frame->mouseDown(CPoint(5, 5), kLeft, 0);
    EXPECT_EQ(kick->getValue(), 1.0f);
    f.frame->mouseMoved(CPoint(20, 5), kLeft);
    EXPECT_EQ(kick->getValue(), 0.0f);
    f.frame->mouseMoved(CPoint(6, 5), kLeft);
    EXPECT_EQ(kick->getValue(), 1.0f);
    f.frame->mouseUp(CPoint(6, 5), kLeft);
    EXPECT_EQ(listener.log, "begin;changed 1.000000;changed 0.000000;end;");

    listener.log.clear();
    f.frame->mouseDown(CPoint(5, 5), kLeft, 5000);
    f.frame->mouseMoved(CPoint(20, 5), kLeft);
    f.frame->mouseUp(CPoint(20, 5), kLeft);
    EXPECT_EQ(listener.log, "begin;changed 0.000000;end;") << "released outside: no press";
}

TEST(Controls, OnOffButtonTogglesOnLeftClicksAndRockerReportsItsHalf)
{
    HeadlessFrame f(60, 20);
    Listener listener;
    auto* toggle = new COnOffButton(CRect(0, 0, 10, 10), &listener, 0, nullptr);
    auto* rocker = new CRockerSwitch(CRect(20, 0, 30, 10), &listener, 148, 10, nullptr);
    f.frame->addView(toggle);
    f.frame->addView(rocker);
    f.frame->mouseDown(CPoint(5, 5), CButtonState::kRButton, 0);
    EXPECT_EQ(toggle->getValue(), 0.0f);
    f.frame->mouseDown(CPoint(5, 5), kLeft, 1000);
    EXPECT_EQ(toggle->getValue(), 1.0f);
    f.frame->mouseDown(CPoint(5, 5), kLeft, 3000);
    EXPECT_EQ(toggle->getValue(), 0.0f);

    listener.log.clear();
    f.frame->mouseDown(CPoint(25, 5), kLeft, 5000); // the middle counts as the right half
    f.frame->mouseUp(CPoint(25, 5), kLeft);
    f.frame->mouseDown(CPoint(24, 5), kLeft, 7000);
    EXPECT_EQ(rocker->getValue(), -1.0f);
    f.frame->mouseUp(CPoint(24, 5), kLeft);
    EXPECT_EQ(listener.log, "begin;changed 1.000000;changed 0.000000;end;begin;changed -1.000000;changed "
                            "0.000000;end;");
}

TEST(Controls, SplashScreenShowsItsPictureAsAModalViewUntilClicked)
{
    HeadlessFrame f(10, 10);
    CBitmap* picture = makeBitmap(2, 2, {{0, 200, 0, 255}, {0, 200, 0, 255}, {0, 200, 0, 255}, {0, 200, 0, 255}});
    auto* splash = new CSplashScreen(CRect(0, 0, 2, 2), nullptr, 147, picture, CRect(4, 4, 6, 6));
    f.frame->addView(splash);
    picture->forget();
    f.frame->mouseDown(CPoint(1, 1), kLeft, 0);
    f.idle();
    EXPECT_EQ(splash->getValue(), 1.0f);
    ASSERT_NE(f.frame->getModalView(), nullptr);
    EXPECT_EQ(f.at(5, 5), (Pixel{0, 200, 0, 255}));
    f.frame->mouseDown(CPoint(1, 1), kLeft, 2000); // outside the picture, still the picture's
    f.idle();
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(f.frame->getModalView(), nullptr);
    EXPECT_EQ(f.at(5, 5), (Pixel{0, 0, 0, 255}));
}

} // namespace
} // namespace kestro::test
