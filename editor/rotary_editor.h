#pragma once
// The plug-in window. It always has its fixed size, so hosts can size their frame before
// opening; the window itself is built by the editor proper.

#include "editor/cpreset_system_editor.h"

namespace kestro {

class RotaryEditor : public CPresetSystemEditor {
public:
    static constexpr VstInt16 kWidth = 401;
    static constexpr VstInt16 kHeight = 570;

    explicit RotaryEditor(AudioEffect* owner);

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;

private:
    ERect rect_{0, 0, kHeight, kWidth};
};

} // namespace kestro
