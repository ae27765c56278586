// The window's controls under the pointer, wheel and keys, as placed in the real window.

#include "editor/controls/canim_knob3.h"
#include "editor/controls/cps_rocker_switch.h"
#include "editor/controls/tav_marker.h"
#include "editor/controls/tav_vertical_switch.h"
#include "editor/editor_layout.h"
#include "editor_fixture.h"

namespace kestro::test {
namespace {

using namespace layout;

constexpr auto kLeft = CButtonState::kLButton;
constexpr auto kShift = CButtonState::kShift;
constexpr auto kControl = CButtonState::kControl;

using KnobGestures = EditorFixture;

TEST_F(KnobGestures, DragSpeedFineModeAndDiagonal)
{
    // Horn slow speed: drag factor 0.4, so 400 pixels sweep the range, 2000 with Shift.
    effect->setParameter(kHornSlowSpeed, 0.0f);
    CPoint start = centre(kHornSlowSpeed);
    press(start);
    move({start.x, start.y - 200});
    EXPECT_NEAR(control(kHornSlowSpeed).getValue(), 0.5f, 1e-5f);
    // Shift from here on: no jump, then five times finer.
    move({start.x, start.y - 200}, kLeft | kShift);
    EXPECT_NEAR(control(kHornSlowSpeed).getValue(), 0.5f, 1e-5f);
    move({start.x, start.y - 700}, kLeft | kShift);
    EXPECT_NEAR(control(kHornSlowSpeed).getValue(), 0.75f, 1e-5f);
    // And back to normal speed without a jump either.
    move({start.x, start.y - 700});
    EXPECT_NEAR(control(kHornSlowSpeed).getValue(), 0.75f, 1e-5f);
    move({start.x, start.y - 1000});
    EXPECT_FLOAT_EQ(control(kHornSlowSpeed).getValue(), 1.0f) << "clamped at the top";
    release({start.x, start.y - 1000});
    EXPECT_FLOAT_EQ(effect->getParameter(kHornSlowSpeed), 1.0f);
    ASSERT_GE(notices.size(), 2u);
    EXPECT_EQ(notices.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(notices.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(notices.back().index, kHornSlowSpeed);

    // Diagonally up and right by (10, 10): twenty pixels' worth.
    effect->setParameter(kHornSlowSpeed, 0.0f);
    press(start);
    move({start.x + 10, start.y - 10});
    release({start.x + 10, start.y - 10});
    EXPECT_NEAR(effect->getParameter(kHornSlowSpeed), 20.0f / 400.0f, 1e-5f);
}

TEST_F(KnobGestures, ControlClickAndDoubleClickRestoreTheDefault)
{
    effect->setParameter(kHornAccel, 0.9f);
    click(centre(kHornAccel), kLeft | kControl);
    EXPECT_FLOAT_EQ(effect->getParameter(kHornAccel), 0.349485f);
    EXPECT_EQ(automations(kHornAccel).size(), 1u);

    // Already at the default (and drawn so): nobody is told.
    editor().idle();
    notices.clear();
    click(centre(kHornAccel), kLeft | kControl);
    EXPECT_TRUE(automations(kHornAccel).empty());

    effect->setParameter(kHornAccel, 0.2f);
    editor().idle();
    const CPoint c = centre(kHornAccel);
    frame().mouseDown(c, kLeft, 50000);
    frame().mouseUp(c, kLeft);
    frame().mouseDown(c, kLeft, 50300);
    frame().mouseUp(c, kLeft);
    EXPECT_FLOAT_EQ(effect->getParameter(kHornAccel), 0.349485f) << "double-click within 400 ms";
}

TEST_F(KnobGestures, WheelDeadBandAndFineStep)
{
    effect->setParameter(kHornAccel, 0.5f);
    const CPoint c = centre(kHornAccel);
    frame().wheel(c, 0.05f, {});
    EXPECT_NEAR(effect->getParameter(kHornAccel), 0.5f + 0.05f * 0.05f, 1e-6f) << "small distances pass through";
    frame().wheel(c, 3.0f, {});
    EXPECT_NEAR(effect->getParameter(kHornAccel), 0.5025f + 0.05f, 1e-6f) << "large ones are one notch";
    frame().wheel(c, -1.0f, kShift);
    EXPECT_NEAR(effect->getParameter(kHornAccel), 0.5525f - 0.01f, 1e-6f);
    EXPECT_EQ(countNotices(audioMasterBeginEdit), 3);
    EXPECT_EQ(countNotices(audioMasterEndEdit), 3);
}

TEST_F(KnobGestures, TypeKnobShowsThreePositions)
{
    auto& type = dynamic_cast<CAnimKnob3&>(control(kType));
    EXPECT_EQ(type.frameForKnobValue(0.0f), 40);
    EXPECT_EQ(type.frameForKnobValue(0.24f), 40);
    EXPECT_EQ(type.frameForKnobValue(0.25f), 50);
    EXPECT_EQ(type.frameForKnobValue(0.74f), 50);
    EXPECT_EQ(type.frameForKnobValue(0.75f), 60);
    EXPECT_EQ(type.frameForKnobValue(1.0f), 60);
    auto& other = dynamic_cast<CAnimKnob3&>(control(kDrive));
    EXPECT_EQ(other.frameForKnobValue(0.0f), 0);
    EXPECT_EQ(other.frameForKnobValue(0.5f), 50);
    EXPECT_EQ(other.frameForKnobValue(1.0f), 100);
}

using LeverGestures = EditorFixture;

TEST_F(LeverGestures, TracksThePointerAlongItsArc)
{
    auto& lever = dynamic_cast<TAVVerticalSwitch&>(control(kLever));
    const CRect r = lever.getViewSize();
    const CCoord x = (r.left + r.right) / 2;
    press({x, r.top + kLeverUpperLimit});
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 1.0f);
    EXPECT_EQ(lever.currentFrame(), 0);
    move({x, r.top + kLeverLowerLimit + 30});
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 0.0f);
    EXPECT_EQ(lever.currentFrame(), 64);
    // Half way down the travel the handle is level: the middle frame.
    move({x, r.top + (kLeverUpperLimit + kLeverLowerLimit) / 2});
    EXPECT_NEAR(effect->getParameter(kLever), 0.5f, 1.0f / 64.0f);
    release({x, r.top + 95});
    EXPECT_EQ(countNotices(audioMasterBeginEdit), 1);
    EXPECT_EQ(countNotices(audioMasterEndEdit), 1);

    // Control-click returns to the default (0); Control with Shift drags instead.
    press({x, r.top + kLeverUpperLimit}, kLeft | kControl | kShift);
    release({x, r.top + kLeverUpperLimit});
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 1.0f);
    click({x, r.top + kLeverUpperLimit}, kLeft | kControl);
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 0.0f);
}

TEST_F(LeverGestures, KeysBothWaysAndWheel)
{
    auto& lever = control(kLever);
    const CRect r = lever.getViewSize();
    // A click gives it the keyboard focus (pointer then moves away).
    click({(r.left + r.right) / 2, r.top + kLeverUpperLimit});
    ASSERT_EQ(frame().getFocusView(), &lever);
    move({5, 5}, {});
    EXPECT_TRUE(window().hasKeyboardFocus());

    // From the host: effEditKeyDown with the Up arrow moves the handle one frame down.
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 0, static_cast<VstIntPtr>(VirtualKey::Up), nullptr, 0.0f), 1);
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 63.0f / 64.0f);
    // From the window itself: Down moves it back up.
    window().injectKeyDown({0, VirtualKey::Down, 0});
    editor().idle();
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 1.0f);
    // At the top Down has nowhere to go; with a modifier the key is not ours.
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 0, static_cast<VstIntPtr>(VirtualKey::Down), nullptr, 0.0f), 0);
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 0, static_cast<VstIntPtr>(VirtualKey::Up), nullptr, 1.0f), 0);
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 1.0f);

    frame().wheel({r.left + 5, r.top + 5}, -1.0f, {});
    EXPECT_NEAR(effect->getParameter(kLever), 0.85f, 1e-6f);
    frame().wheel({r.left + 5, r.top + 5}, 1.0f, kShift);
    EXPECT_NEAR(effect->getParameter(kLever), 0.865f, 1e-6f);
}

using ButtonGestures = EditorFixture;

TEST_F(ButtonGestures, OnOffSwitchTellsOldThenNewValue)
{
    effect->setParameter(kBypass, 0.0f);
    click(centre(kBypass));
    const auto seen = automations(kBypass);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FLOAT_EQ(seen[0].value, 0.0f);
    EXPECT_FLOAT_EQ(seen[1].value, 1.0f);
    EXPECT_FLOAT_EQ(effect->getParameter(kBypass), 1.0f);
    EXPECT_EQ(countNotices(audioMasterBeginEdit), 1);
    EXPECT_EQ(countNotices(audioMasterEndEdit), 1);
    click(centre(kBypass), CButtonState::kRButton);
    EXPECT_FLOAT_EQ(effect->getParameter(kBypass), 1.0f) << "only the left button switches";
}

TEST_F(ButtonGestures, SpeedButtonThrowsTheLeverOnPress)
{
    effect->setParameter(kLever, 0.7f);
    press(centre(kSpeed));
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 0.0f) << "acts on the press";
    EXPECT_FLOAT_EQ(control(kSpeed).getValue(), 1.0f);
    // Dragged out while held: the button looks released, nothing more happens.
    move({1, 1});
    EXPECT_FLOAT_EQ(control(kSpeed).getValue(), 0.0f);
    release({1, 1});
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 0.0f);
    click(centre(kSpeed));
    EXPECT_FLOAT_EQ(effect->getParameter(kLever), 1.0f);
    EXPECT_EQ(automations(kLever).size(), 2u);
    // The host's Speed value never moves the button.
    editor().setParameter(kSpeed, 1.0f);
    EXPECT_FLOAT_EQ(control(kSpeed).getValue(), 0.0f);
}

using RockerGestures = EditorFixture;

TEST_F(RockerGestures, HoverAndPressedFrames)
{
    auto& rocker = dynamic_cast<CPSRockerSwitch&>(control(kTagMidiRocker));
    const CRect r = rocker.getViewSize();
    const CCoord middle = (r.left + r.right) / 2;
    const CCoord y = r.top + 5;
    move({r.left + 2, y}, {});
    EXPECT_EQ(rocker.currentFrame(), CPSRockerSwitch::kLeftHover);
    move({r.right - 2, y}, {});
    EXPECT_EQ(rocker.currentFrame(), CPSRockerSwitch::kRightHover);
    press({middle, y});
    EXPECT_EQ(rocker.currentFrame(), CPSRockerSwitch::kRightPressed) << "the middle counts as the right half";
    release({middle, y});
    EXPECT_EQ(rocker.currentFrame(), CPSRockerSwitch::kRightHover);
    press({middle - 1, y});
    EXPECT_EQ(rocker.currentFrame(), CPSRockerSwitch::kLeftPressed);
    release({middle - 1, y});
    move({200, 200}, {});
    EXPECT_EQ(rocker.currentFrame(), CPSRockerSwitch::kIdle);
}

TEST(RotorStrip, MarkerTravelsLeftAndWraps)
{
    CBitmap* strip = new CBitmap(298, 12);
    CBitmap* marker = new CBitmap(120, 14);
    auto* view = new TAVMarker(kHornStrip, nullptr, kTagHornStrip, strip, marker, kStripMarkerOrigin,
                               kStripPhaseOffset, kStripWidth);
    strip->forget();
    marker->forget();
    EXPECT_EQ(view->markerLeft(0.0f), 89);
    EXPECT_EQ(view->markerLeft(0.5f), 298) << "out of sight";
    EXPECT_LT(view->markerLeft(0.1f), 89) << "a rising phase moves the marker left";
    EXPECT_EQ(view->markerLeft(0.75f), 193);
    EXPECT_EQ(view->markerLeft(0.25f), -16) << "partly outside, entering from the left edge";
    EXPECT_EQ(view->markerRight(0.5f), 418);
    view->forget();
}

TEST(RotorStrip, PhaseIsCorrectedOnceEachWay)
{
    EXPECT_FLOAT_EQ(rotorStripValue(1.25), 0.25f);
    EXPECT_FLOAT_EQ(rotorStripValue(-0.25), 0.75f);
    EXPECT_FLOAT_EQ(rotorStripValue(2.5), 1.5f);
    EXPECT_FLOAT_EQ(rotorStripValue(0.4), 0.4f);
}

} // namespace
} // namespace kestro::test
