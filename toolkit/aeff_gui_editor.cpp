#include "toolkit/aeff_gui_editor.h"

#include "host/audio_effect.h"
#include "toolkit/cframe.h"
#include "toolkit/cknob.h"

namespace kestro {

int AEffGUIEditor::knobMode = kLinearMode;

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner) {}

AEffGUIEditor::~AEffGUIEditor()
{
    if (frame != nullptr)
        AEffGUIEditor::close();
}

bool AEffGUIEditor::open(void* parentWindow)
{
    systemWindow = parentWindow;
    return true;
}

void AEffGUIEditor::close()
{
    if (frame != nullptr) {
        CFrame* closing = frame;
        frame = nullptr;
        closing->forget();
    }
    systemWindow = nullptr;
}

void AEffGUIEditor::idle()
{
    if (frame == nullptr || inIdle)
        return;
    inIdle = true;
    frame->idle();
    inIdle = false;
}

bool AEffGUIEditor::setKnobMode(int mode)
{
    knobMode = mode;
    return true;
}

CKeyCode AEffGUIEditor::toKeyCode(const VstKeyCode& keyCode)
{
    CKeyCode key;
    key.character = keyCode.character > 0 ? static_cast<std::uint32_t>(keyCode.character) : 0;
    key.virt = static_cast<VirtualKey>(keyCode.virt);
    key.modifiers = keyCode.modifier;
    return key;
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    return frame != nullptr && frame->keyDown(toKeyCode(keyCode));
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    return frame != nullptr && frame->keyUp(toKeyCode(keyCode));
}

bool AEffGUIEditor::onWheel(float distance)
{
    return frame != nullptr && frame->wheel(frame->getLastMousePosition(), distance, frame->getCurrentButtons());
}

void AEffGUIEditor::draw(ERect*)
{
    if (frame != nullptr)
        frame->invalidateAll();
}

// Only announced parameters reach the host: a pseudo-tag has no meaning there.
void AEffGUIEditor::beginEdit(VstInt32 index)
{
    if (effect == nullptr || effect->getAudioMaster() == nullptr)
        return;
    AEffect* descriptor = effect->getAeffect();
    if (index < 0 || index >= descriptor->numParams)
        return;
    effect->getAudioMaster()(descriptor, audioMasterBeginEdit, index, 0, nullptr, 0.0f);
}

void AEffGUIEditor::endEdit(VstInt32 index)
{
    if (effect == nullptr || effect->getAudioMaster() == nullptr)
        return;
    AEffect* descriptor = effect->getAeffect();
    if (index < 0 || index >= descriptor->numParams)
        return;
    effect->getAudioMaster()(descriptor, audioMasterEndEdit, index, 0, nullptr, 0.0f);
}

} // namespace kestro
