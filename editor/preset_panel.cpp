// The preset panel: bank and preset arrows, the program name field, menu and rocker, the
// memo buttons and the manual button in the window's bottom row.

#include "editor/cpreset_system_editor.h"

namespace kestro {

bool CPresetSystemEditor::openPresetPanel() { return false; }

void CPresetSystemEditor::closePresetPanel() {}

bool CPresetSystemEditor::presetPanelValueChanged(CControl* /*control*/) { return false; }

} // namespace kestro
