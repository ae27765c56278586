// The product-independent base classes on their own: what they send to the host, what they
// answer without one, and how the dispatcher hands host arguments to the editor.

#include "host/aeffeditor.h"
#include "host/audio_effect_x.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

struct RecordedCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

// The host callback is a plain function; it reaches the test's state through this pointer.
struct FakeHost {
    std::vector<RecordedCall> calls;
    std::map<VstInt32, VstIntPtr> answers; // by opcode, 0 when absent
    std::vector<std::string>* log = nullptr;
};
FakeHost* gHost = nullptr;

VstIntPtr VSTCALLBACK fakeHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                       float opt)
{
    gHost->calls.push_back(RecordedCall{effect, opcode, index, value, opt});
    if (gHost->log != nullptr)
        gHost->log->push_back("host " + std::to_string(opcode));
    auto it = gHost->answers.find(opcode);
    return it != gHost->answers.end() ? it->second : 0;
}

class ProbeEffect : public kestro::AudioEffectX {
public:
    ProbeEffect(audioMasterCallback host, std::vector<std::string>* log = nullptr, bool* destroyed = nullptr)
        : AudioEffectX(host, 4, 8), log_(log), destroyed_(destroyed)
    {
    }
    ~ProbeEffect() override
    {
        if (destroyed_ != nullptr)
            *destroyed_ = true;
    }
    void processReplacing(float**, float**, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override
    {
        if (log_ != nullptr)
            log_->push_back("set " + std::to_string(index) + " " + std::to_string(value));
    }

private:
    std::vector<std::string>* log_;
    bool* destroyed_;
};

class ProbeEditor : public kestro::AEffEditor {
public:
    ProbeEditor(kestro::AudioEffect* owner, bool* destroyed = nullptr) : AEffEditor(owner), destroyed_(destroyed) {}
    ~ProbeEditor() override
    {
        if (destroyed_ != nullptr)
            *destroyed_ = true;
    }
    bool onKeyDown(VstKeyCode& key) override
    {
        keys.push_back(key);
        downs++;
        return answer;
    }
    bool onKeyUp(VstKeyCode& key) override
    {
        keys.push_back(key);
        return answer;
    }
    bool setKnobMode(int mode) override
    {
        knobMode = mode;
        return answer;
    }

    std::vector<VstKeyCode> keys;
    int downs = 0;
    int knobMode = -1;
    bool answer = false;

private:
    bool* destroyed_;
};

class HostWrappers : public ::testing::Test {
protected:
    void SetUp() override { gHost = &host; }
    void TearDown() override { gHost = nullptr; }
    FakeHost host;
};

} // namespace

TEST_F(HostWrappers, SetParameterAutomatedStoresBeforeTellingTheHost)
{
    std::vector<std::string> log;
    host.log = &log;
    ProbeEffect effect(&fakeHostCallback, &log);
    effect.setParameterAutomated(3, 0.5f);

    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "set 3 0.500000");
    EXPECT_EQ(log[1], "host " + std::to_string(audioMasterAutomate));
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].effect, effect.getAeffect());
    EXPECT_EQ(host.calls[0].index, 3);
    EXPECT_EQ(host.calls[0].opt, 0.5f);
}

TEST_F(HostWrappers, PassTheirArgumentsAndReadTheAnswers)
{
    ProbeEffect effect(&fakeHostCallback);

    host.answers[audioMasterVersion] = 2400;
    EXPECT_EQ(effect.getMasterVersion(), 2400);
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1) << "a host without the query is a VST 1 host";

    // The interface answers 0 for a connected pin.
    host.calls.clear();
    host.answers[audioMasterPinConnected] = 0;
    EXPECT_TRUE(effect.isInputConnected(1));
    EXPECT_TRUE(effect.isOutputConnected(0));
    host.answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect.isInputConnected(1));
    EXPECT_FALSE(effect.isOutputConnected(1));
    ASSERT_EQ(host.calls.size(), 4u);
    EXPECT_EQ(host.calls[0].index, 1);
    EXPECT_EQ(host.calls[0].value, 0) << "inputs are asked with value 0";
    EXPECT_EQ(host.calls[1].index, 0);
    EXPECT_EQ(host.calls[1].value, 1) << "outputs are asked with value 1";

    host.calls.clear();
    host.answers[audioMasterUpdateDisplay] = 1;
    host.answers[audioMasterBeginEdit] = 1;
    EXPECT_TRUE(effect.updateDisplay());
    EXPECT_TRUE(effect.beginEdit(7));
    EXPECT_FALSE(effect.endEdit(7)); // the host answered 0
    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(host.calls[1].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls[1].index, 7);
    EXPECT_EQ(host.calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.calls[2].index, 7);
    for (const RecordedCall& call : host.calls)
        EXPECT_EQ(call.effect, effect.getAeffect());
}

TEST(HostWrappersWithoutHost, AnswerTheirDefaults)
{
    std::vector<std::string> log;
    ProbeEffect effect(nullptr, &log);
    effect.setParameterAutomated(2, 1.0f);
    EXPECT_EQ(log.size(), 1u) << "setParameter still runs";
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    EXPECT_TRUE(effect.isInputConnected(1));
    EXPECT_TRUE(effect.isOutputConnected(1));
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.endEdit(0));
    effect.masterIdle();
}

TEST(AudioEffectBase, EditorFlagFollowsTheEditorAndCloseDestroysBoth)
{
    bool effectGone = false, editorGone = false;
    auto* effect = new ProbeEffect(nullptr, nullptr, &effectGone);
    AEffect* descriptor = effect->getAeffect();
    EXPECT_EQ(descriptor->flags & effFlagsHasEditor, 0);

    auto* first = new ProbeEditor(effect);
    effect->setEditor(first);
    EXPECT_EQ(descriptor->flags & effFlagsHasEditor, effFlagsHasEditor);
    effect->setEditor(nullptr);
    EXPECT_EQ(descriptor->flags & effFlagsHasEditor, 0);
    delete first;

    effect->canProcessReplacing(true);
    effect->setEditor(new ProbeEditor(effect, &editorGone));
    EXPECT_EQ(descriptor->flags, effFlagsHasEditor | effFlagsCanReplacing) << "no other flag changes";

    EXPECT_EQ(descriptor->dispatcher(descriptor, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE(effectGone);
    EXPECT_TRUE(editorGone);
}

TEST(AudioEffectBase, KeyCodesAreBuiltFromTheDispatcherArguments)
{
    ProbeEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 0x34, nullptr, 1.0f), 0) << "no editor";
    EXPECT_EQ(e->dispatcher(e, effSetEditKnobMode, 0, 2, nullptr, 0.0f), 0);

    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 0x1234, nullptr, 3.0f), 0);
    editor->answer = true;
    EXPECT_EQ(e->dispatcher(e, effEditKeyUp, 'b', 0x02, nullptr, 259.0f), 1);
    e->dispatcher(e, effEditKeyDown, 0, 0x01, nullptr, std::nanf(""));
    e->dispatcher(e, effEditKeyDown, 0, 0x01, nullptr, 1e20f);
    e->dispatcher(e, effEditKeyDown, 0, 0x01, nullptr, -1.0f);

    ASSERT_EQ(editor->keys.size(), 5u);
    EXPECT_EQ(editor->downs, 4);
    EXPECT_EQ(editor->keys[0].character, 'a');
    EXPECT_EQ(editor->keys[0].virt, 0x34) << "low byte of value";
    EXPECT_EQ(editor->keys[0].modifier, 3);
    EXPECT_EQ(editor->keys[1].character, 'b');
    EXPECT_EQ(editor->keys[1].modifier, 3) << "low byte of the modifier";
    EXPECT_EQ(editor->keys[2].modifier, 0) << "NaN carries no modifiers";
    EXPECT_EQ(editor->keys[3].modifier, 0) << "out of int range carries no modifiers";
    EXPECT_EQ(editor->keys[4].modifier, 0xFF);

    EXPECT_EQ(e->dispatcher(e, effSetEditKnobMode, 0, 2, nullptr, 0.0f), 1);
    EXPECT_EQ(editor->knobMode, 2);
    // The base editor has no rectangle and no window to open.
    ERect* rect = nullptr;
    EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, nullptr);
}

TEST(AudioEffectBase, KeepsOnlyUsableRatesAndBlockSizes)
{
    ProbeEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);

    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);

    for (float bad : {0.0f, -44100.0f, std::nanf(""), INFINITY})
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, bad);
    for (VstIntPtr bad : {VstIntPtr(0), VstIntPtr(-1)})
        e->dispatcher(e, effSetBlockSize, 0, bad, nullptr, 0.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
}

TEST(AudioEffectBase, DescriptorForwardersSurviveAMissingObject)
{
    // A host that calls through a descriptor whose object is gone must not crash us here.
    AEffect stray{};
    ProbeEffect effect(nullptr);
    stray = *effect.getAeffect();
    stray.object = nullptr;
    EXPECT_EQ(stray.dispatcher(&stray, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(stray.getParameter(&stray, 0), 0.0f);
    stray.setParameter(&stray, 0, 1.0f);
    EXPECT_EQ(stray.dispatcher(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
}
