// The texts under the editor's knobs. Unlike the host displays these are computed straight
// from the control's normalized value and carry their unit inside the text ("1.2 s",
// "20 Hz"), because the editor has no separate label. They use the same curves as the
// engine, so a knob and the value the engine runs with never disagree.
#pragma once

#include "params/display_rules.h"

namespace kestro {

enum class EditorLaw {
    None,            // no text (the control has no value display)
    LevelDb,         // L(v) in dB, " dB"
    EqDb,            // 24v - 12, " dB"
    DriveDb,         // 40v - 20, " dB"
    SizeNumber,      // int(4v + 0.5) + 1
    ColorPercent,    // 100v, " %"
    SpeedHz,         // 10v, " Hz"
    Time,            // T(v), " s" or " ms"
    Distance,        // 1.3v + 0.35 beyond the 0.35 m minimum, " m" or " cm"
    HighPass,        // H(v) or "Off"
    LowPass,         // P(v) or "Off"
    SetupFirstWord,  // upper Setup display
    SetupSecondWord, // lower Setup display
    AmplifierType,   // "Thru", "Tube", "Solid"
};

// The law of the value display under the knob of a parameter index (the upper display for
// Setup; the lower one uses SetupSecondWord). None for indices without a knob display.
EditorLaw editorLawOf(int index);

// Writes the complete display text for v; `text` must hold kTextBufferSize bytes. The
// filter laws show the knob's own frequency: the editor is not told the model rate, so they
// are never limited to half of it.
void formatEditorDisplay(EditorLaw law, float v, char* text);

} // namespace kestro
