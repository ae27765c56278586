#include "editor/rotary_editor.h"

namespace kestro {

RotaryEditor::RotaryEditor(AudioEffect* owner) : CPresetSystemEditor(owner) {}

bool RotaryEditor::getRect(ERect** rect)
{
    if (rect == nullptr)
        return false;
    *rect = &rect_;
    return true;
}

bool RotaryEditor::open(void*)
{
    // No window can be made yet: say so, so the host does not show an empty frame.
    return false;
}

void RotaryEditor::close() {}

void RotaryEditor::idle() {}

} // namespace kestro
