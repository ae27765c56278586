#pragma once
// What the preset base asks of its editor. The effect owns this interface so that presets/
// never depends on the window side: an editor that keeps the program panel in step
// implements it, any other editor (or none) simply receives nothing.

#include <cstdint>

namespace kestro {

class PresetEditorLink {
public:
    // Shows a name in the panel without renaming anything.
    virtual void showProgramNameOnly(const char* text) = 0;
    // The panel's program menu follows renamed slots (bit i for slot i).
    virtual void programNamesChanged(std::uint32_t renamedSlots) = 0;
    // Restores the user's stored defaults once the effect has taken its template program.
    virtual void startupRestore() = 0;

protected:
    ~PresetEditorLink() = default;
};

} // namespace kestro
