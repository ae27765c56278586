#pragma once
// A RotaryEffect built in-process with its window open on the headless back end, and a
// host callback that records what the plug-in tells the host.

#include "editor/rotary_editor.h"
#include "engine/rotary_effect.h"
#include "platform/headless/headless_window.h"
#include "toolkit/cframe.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kestro::test {

struct HostNotice {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    RotaryEditor& editor() { return *static_cast<RotaryEditor*>(effect->getEditor()); }
    CFrame& frame() { return *editor().getFrame(); }
    HeadlessWindow& window() { return *static_cast<HeadlessWindow*>(frame().getPlatformWindow()); }
    CControl& control(int tag) { return *editor().findControl(tag); }
    CPoint centre(int tag) const;

    // Pointer gestures straight into the frame; `time` advances so presses are not
    // double-clicks unless a test says so.
    void press(const CPoint& where, CButtonState buttons = CButtonState::kLButton);
    void release(const CPoint& where, CButtonState buttons = CButtonState::kLButton);
    void click(const CPoint& where, CButtonState buttons = CButtonState::kLButton);
    void move(const CPoint& where, CButtonState buttons = CButtonState::kLButton);

    std::vector<HostNotice> automations(VstInt32 index) const;
    int countNotices(VstInt32 opcode) const;

    std::unique_ptr<RotaryEffect> effect;
    std::uint64_t time = 10000;
    static inline std::vector<HostNotice> notices;

private:
    static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt);
    PlatformWindowFactory previousFactory = nullptr;
};

inline VstIntPtr VSTCALLBACK EditorFixture::callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        notices.push_back({opcode, index, opt});
    return 0;
}

inline void EditorFixture::SetUp()
{
    previousFactory = setPlatformWindowFactory(createHeadlessWindow);
    effect = std::make_unique<RotaryEffect>(callback);
    ERect* rect = nullptr;
    ASSERT_TRUE(effect->getEditor()->getRect(&rect));
    // Any non-null handle: the headless back end has no parent to check.
    static int parent = 0;
    ASSERT_TRUE(effect->getEditor()->open(&parent));
    editor().idle();
    notices.clear();
}

inline void EditorFixture::TearDown()
{
    effect.reset();
    setPlatformWindowFactory(previousFactory);
    notices.clear();
}

inline CPoint EditorFixture::centre(int tag) const
{
    const CRect& r = const_cast<EditorFixture*>(this)->control(tag).getViewSize();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline void EditorFixture::press(const CPoint& where, CButtonState buttons)
{
    time += 1000;
    frame().mouseDown(where, buttons, time);
}

inline void EditorFixture::release(const CPoint& where, CButtonState buttons) { frame().mouseUp(where, buttons); }

inline void EditorFixture::click(const CPoint& where, CButtonState buttons)
{
    press(where, buttons);
    release(where, buttons);
}

inline void EditorFixture::move(const CPoint& where, CButtonState buttons) { frame().mouseMoved(where, buttons); }

inline std::vector<HostNotice> EditorFixture::automations(VstInt32 index) const
{
    std::vector<HostNotice> found;
    for (const HostNotice& n : notices)
        if (n.opcode == audioMasterAutomate && n.index == index)
            found.push_back(n);
    return found;
}

inline int EditorFixture::countNotices(VstInt32 opcode) const
{
    int count = 0;
    for (const HostNotice& n : notices)
        count += n.opcode == opcode ? 1 : 0;
    return count;
}

} // namespace kestro::test
