// The preset panel: bank and preset arrows, the program name field, menu and rocker, the
// memo buttons and the manual button in the window's bottom row.

#include "editor/cpreset_system_editor.h"
#include "editor/controls/cps_kick_button.h"
#include "editor/controls/cps_rocker_switch.h"
#include "editor/controls/csave_load_button.h"
#include "editor/controls/ctav_text_edit.h"
#include "editor/preset_panel.h"
#include "presets/cpreset_system_effect.h"
#include "resources/bitmap_ids.h"
#include "toolkit/cbitmap.h"
#include "toolkit/cframe.h"
#include "toolkit/cnew_file_selector.h"
#include "toolkit/coption_menu.h"

#include <algorithm>
#include <string>
#include <type_traits>

namespace kestro {

namespace {

const CColor kNameColour{36, 36, 32, 255};
const CColor kNameBackColour{255, 255, 255, 255};

CCoord frameHeightOf(int bitmapId)
{
    const BitmapLayout* layout = findBitmapLayout(bitmapId);
    return layout != nullptr ? layout->frameHeight() : 0;
}

// Adds a control to the frame and gives it back typed, or null when it could not be added.
template <typename Control>
Control* addTo(CFrame& frame, Control* control)
{
    return frame.addView(control) ? control : nullptr;
}

template <typename Button>
Button* addButton(CFrame& frame, int bitmapId, const CRect& area, CControlListener* listener, int tag,
                  bool doubleClickOnly = false)
{
    auto* bitmap = new CBitmap(bitmapId);
    Button* button = nullptr;
    if constexpr (std::is_same_v<Button, CPSKickButton>)
        button = addTo(frame, new CPSKickButton(area, listener, tag, frameHeightOf(bitmapId), bitmap, doubleClickOnly));
    else
        button = addTo(frame, new Button(area, listener, tag, frameHeightOf(bitmapId), bitmap));
    bitmap->forget(); // the button holds its own reference
    return button;
}

} // namespace

CControlListener* CPresetSystemEditor::panelListener()
{
    if (auto* listener = dynamic_cast<CControlListener*>(static_cast<AEffGUIEditor*>(this)))
        return listener;
    return &fallbackListener;
}

bool CPresetSystemEditor::openPresetPanel()
{
    if (frame == nullptr || presets == nullptr)
        return false;
    CControlListener* listener = panelListener();
    CFrame& window = *frame;

    char name[kProgramNameSize];
    copyProgramName(name, presets->programTable()[static_cast<std::size_t>(presets->getCurrentProgramIndex())].name);

    auto* background = new CBitmap(kBitmapBackground);
    panel.nameField = addTo(window, new CTAVTextEdit(panel::kNameField, listener, panel::kNameFieldTag, name, background));
    if (panel.nameField != nullptr) {
        panel.nameField->setBackOffset(panel::kNameField.topLeft());
        panel.nameField->setBackColor(kNameBackColour);
        panel.nameField->setFont(CFontDesc("Arial", panel::kNameFontSize));
        panel.nameField->setFontColor(kNameColour);
        panel.nameField->setFrameColor(kNameColour);
        panel.nameField->setHoriAlign(kCenterText);
    }

    // The menu symbol is part of the background art: the control itself draws nothing.
    panel.programMenu = addTo(window, new COptionMenu(panel::kProgramMenu, listener, panel::kProgramMenuTag,
                                                      background, kNoDrawStyle));
    if (panel.programMenu != nullptr) {
        panel.programMenu->setBackOffset(panel::kProgramMenu.topLeft());
        for (const ProgramRecord& program : presets->programTable()) {
            char title[kProgramNameSize];
            copyProgramName(title, program.name);
            panel.programMenu->addEntry(title);
        }
        panel.programMenu->setCurrent(presets->getCurrentProgramIndex());
    }
    background->forget();

    auto* rocker = new CBitmap(kBitmapRocker);
    panel.programRocker = addTo(window, new CPSRockerSwitch(panel::kProgramRocker, listener, panel::kProgramRockerTag,
                                                            frameHeightOf(kBitmapRocker), rocker));
    rocker->forget();

    panel.loadBank = addButton<CSaveLoadButton>(window, kBitmapLoadBank, panel::kLoadBank, listener, panel::kLoadBankTag);
    panel.saveBank = addButton<CSaveLoadButton>(window, kBitmapSaveBank, panel::kSaveBank, listener, panel::kSaveBankTag);
    panel.bankLabel =
        addButton<CPSKickButton>(window, kBitmapBankLabel, panel::kBankLabel, listener, panel::kBankLabelTag, true);
    panel.loadPreset =
        addButton<CSaveLoadButton>(window, kBitmapLoadPreset, panel::kLoadPreset, listener, panel::kLoadPresetTag);
    panel.savePreset =
        addButton<CSaveLoadButton>(window, kBitmapSavePreset, panel::kSavePreset, listener, panel::kSavePresetTag);
    panel.presetLabel =
        addButton<CPSKickButton>(window, kBitmapPresetLabel, panel::kPresetLabel, listener, panel::kPresetLabelTag, true);
    panel.recallMemoA =
        addButton<CPSKickButton>(window, kBitmapRecallMemoA, panel::kRecallMemoA, listener, panel::kRecallMemoATag);
    panel.storeMemoA =
        addButton<CPSKickButton>(window, kBitmapStoreMemoA, panel::kStoreMemoA, listener, panel::kStoreMemoATag);
    panel.recallMemoB =
        addButton<CPSKickButton>(window, kBitmapRecallMemoB, panel::kRecallMemoB, listener, panel::kRecallMemoBTag);
    panel.storeMemoB =
        addButton<CPSKickButton>(window, kBitmapStoreMemoB, panel::kStoreMemoB, listener, panel::kStoreMemoBTag);
    panel.manual = addButton<CPSKickButton>(window, kBitmapManual, panel::kManual, listener, panel::kManualTag);
    return true;
}

void CPresetSystemEditor::closePresetPanel()
{
    // The frame destroys the controls.
    panel = PanelControls{};
}

void CPresetSystemEditor::selectFromPanel(VstInt32 index, const char* name)
{
    if (panel.programMenu != nullptr)
        panel.programMenu->setCurrent(index);
    if (panel.nameField != nullptr)
        panel.nameField->setText(name);
    presets->selectProgram(index);
    presets->renameCurrentProgram(name);
}

bool CPresetSystemEditor::presetPanelValueChanged(CControl* control)
{
    if (control == nullptr || !panel::isPanelTag(control->getTag()))
        return false;
    if (presets == nullptr)
        return true;
    const float value = control->getValue();
    switch (control->getTag()) {
    case panel::kNameFieldTag:
        if (panel.nameField != nullptr && control == panel.nameField) {
            char typed[CTAVTextEdit::kMaxTextBytes + 1];
            panel.nameField->getText(typed, sizeof typed);
            showProgramName(typed);
        }
        break;
    case panel::kProgramRockerTag: {
        if (value == 0.0f)
            break;
        const VstInt32 current = presets->getCurrentProgramIndex();
        const VstInt32 index = value > 0.0f ? std::min(current + 1, kProgramCount - 1) : std::max(current - 1, 0);
        char name[kProgramNameSize];
        copyProgramName(name, presets->programTable()[static_cast<std::size_t>(index)].name);
        selectFromPanel(index, name);
        break;
    }
    case panel::kLoadBankTag:
        loadBankFile(value == CSaveLoadButton::kReversedValue);
        break;
    case panel::kSaveBankTag:
        saveBankFile();
        break;
    case panel::kLoadPresetTag:
        loadPresetFile(value == CSaveLoadButton::kReversedValue);
        break;
    case panel::kSavePresetTag:
        savePresetFile();
        break;
    case panel::kProgramMenuTag: {
        if (panel.programMenu == nullptr || control != panel.programMenu)
            break;
        const int index = static_cast<int>(value + 0.5f);
        const char* title = panel.programMenu->getEntryTitle(index);
        if (title == nullptr || index >= kProgramCount)
            break;
        const std::string name = title; // the menu entry is renamed on the way
        selectFromPanel(index, name.c_str());
        break;
    }
    case panel::kBankLabelTag:
        defaultBankButton(value);
        break;
    case panel::kPresetLabelTag:
        defaultPresetButton(value);
        break;
    case panel::kStoreMemoATag:
        storeMemoA();
        break;
    case panel::kStoreMemoBTag:
        storeMemoB();
        break;
    case panel::kRecallMemoATag:
        recallMemoA();
        break;
    case panel::kRecallMemoBTag:
        recallMemoB();
        break;
    case panel::kManualTag:
        openUserManual();
        break;
    default:
        break; // reserved tags
    }
    return true;
}

void CPresetSystemEditor::showProgramNameOnly(const char* text)
{
    if (panel.nameField != nullptr)
        panel.nameField->setText(text);
    if (panel.programMenu != nullptr && presets != nullptr) {
        // The menu marks whatever program the effect now has selected.
        const int current = presets->getCurrentProgramIndex();
        if (current != panel.programMenu->getCurrentIndex())
            panel.programMenu->setCurrent(current);
        panel.programMenu->setEntryTitle(current, text);
    }
}

void CPresetSystemEditor::programNamesChanged(std::uint32_t renamedSlots)
{
    if (panel.programMenu == nullptr || presets == nullptr)
        return;
    for (int slot = 0; slot < kProgramCount; ++slot) {
        if ((renamedSlots & (1u << slot)) == 0)
            continue;
        char title[kProgramNameSize];
        copyProgramName(title, presets->programTable()[static_cast<std::size_t>(slot)].name);
        panel.programMenu->setEntryTitle(slot, title);
    }
}

bool CPresetSystemEditor::chooseFile(const FileDialogRequest& request, FileChosen chosen)
{
    if (frame == nullptr)
        return false;
    auto* selector = new CNewFileSelector(frame, request.save ? CNewFileSelector::kSelectSaveFile
                                                              : CNewFileSelector::kSelectFile);
    selector->setTitle(request.title);
    selector->setFileExtension({request.filterDescription, request.extension});
    selector->setInitialDirectory(request.directory.c_str());
    selector->setDefaultSaveName(request.fileName.c_str());
    const bool started = selector->run([done = std::move(chosen)](CNewFileSelector*, const char* path) {
        if (path != nullptr && path[0] != '\0')
            done(path);
    });
    if (!started)
        delete selector; // another dialog of this window is still open
    return started;
}

void CPresetSystemEditor::releaseManualButton()
{
    if (panel.manual != nullptr)
        panel.manual->release();
}

void CPresetSystemEditor::redrawFrame()
{
    if (frame != nullptr)
        frame->invalidateAll();
}

} // namespace kestro
