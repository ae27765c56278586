#pragma once
// The editor side of the preset system: builds and reads preset and bank images on the
// effect's program table, moves them through files and the per-user settings store
// (stored defaults, memos, remembered file locations) and opens the user manual. The
// window's preset panel only starts these operations; everything here also works with no
// window open, as the effect needs it at start-up.
//
// User-interface thread only.

#include "presets/preset_editor_link.h"
#include "presets/preset_images.h"
#include "toolkit/aeff_gui_editor.h"
#include "toolkit/ccontrol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestro {

class CPresetSystemEffect;
class CTAVTextEdit;
class COptionMenu;
class CSaveLoadButton;
class CPSKickButton;

class CPresetSystemEditor : public AEffGUIEditor, public PresetEditorLink {
public:
    static constexpr std::size_t kPathTextSize = 257; // 256 characters and the terminating zero

    // The programs managed are those of `owner` when it is a preset-system effect; any
    // other owner (or none) makes every operation a no-op.
    explicit CPresetSystemEditor(AudioEffect* owner);
    // Remembers the file locations for the next instance.
    ~CPresetSystemEditor() override;

    // Shows a name in the panel (field and menu entry) without renaming anything.
    void showProgramNameOnly(const char* text) override;
    // The stored default bank, program 0, the stored default preset over it, and the
    // remembered file locations.
    void startupRestore() override;

    // Image readers and builders on the effect's table. Loaders return true when the image
    // was taken; false leaves the programs as they were.
    virtual bool loadLegacyBank(const std::uint8_t* data, std::size_t size, bool reversed, int programCount,
                                int valueCount);
    virtual bool loadBankRecords(const std::uint8_t* records, std::size_t size, const images::ImageHeader& header,
                                 bool reversed);
    // Empty when there is no effect or no memory.
    virtual std::vector<std::uint8_t> buildBankImage();
    virtual bool loadLegacyPreset(const std::uint8_t* data, std::size_t size, bool reversed, int valueCount);
    virtual bool loadPresetRecords(const std::uint8_t* records, std::size_t size, const images::ImageHeader& header,
                                   bool reversed);
    virtual std::vector<std::uint8_t> buildPresetImage();

    // File commands: a dialog chooses the path, then the transfer below does the work. The
    // dialog runs while the host goes on; true when it was started.
    virtual bool loadBankFile(bool reversed);
    virtual bool saveBankFile();
    virtual bool storeDefaultBank();
    virtual bool clearDefaultBank();
    virtual bool loadDefaultBank();
    virtual bool loadPresetFile(bool reversed);
    virtual bool savePresetFile();
    virtual bool storeDefaultPreset();
    virtual bool clearDefaultPreset();
    virtual bool loadDefaultPreset();
    virtual bool storeMemoA();
    virtual bool storeMemoB();
    virtual bool recallMemoA();
    virtual bool recallMemoB();
    virtual bool storeFileLocations();
    virtual void restoreFileLocations();

    // Transfers by full path (a bare file name is taken from the remembered directory).
    // Loading a bank always ends on program 0 once the file could be read.
    bool loadBankFromPath(const std::string& path, bool reversed);
    bool saveBankToPath(const std::string& path);
    bool loadPresetFromPath(const std::string& path, bool reversed);
    bool savePresetToPath(const std::string& path);

    // The label buttons: a value of 0.75 or more stores the default, anything less clears it.
    void defaultBankButton(float value);
    void defaultPresetButton(float value);

    void openUserManual();

    // Shows the name in the panel and renames the current program with it.
    void showProgramName(const char* text);

    // The preset panel in the window's bottom row. RotaryEditor opens it after its own
    // controls exist, closes it first, and lets it see every control's change first: it
    // returns true when the change was one of the panel's own tags.
    virtual bool openPresetPanel();
    virtual void closePresetPanel();
    virtual bool presetPanelValueChanged(CControl* control);

    // The panel's program menu follows renamed slots (bit i for slot i).
    void programNamesChanged(std::uint32_t renamedSlots) override;

    const char* rememberedDirectory() const { return directory.data(); }
    const char* rememberedBankFile() const { return bankFile.data(); }
    const char* rememberedPresetFile() const { return presetFile.data(); }

protected:
    struct FileDialogRequest {
        const char* title;
        const char* filterDescription;
        const char* extension;
        std::string directory;
        std::string fileName;
        bool save;
    };
    using FileChosen = std::function<void(const std::string& path)>;
    // Starts the toolkit's file dialog in the open window; `chosen` runs later, from the
    // frame's idle, with the path the user chose (not at all when the dialog was cancelled
    // or the window closed first). False when no dialog could be started.
    virtual bool chooseFile(const FileDialogRequest& request, FileChosen chosen);
    // The manual button goes back to its released look once the manual was asked for.
    virtual void releaseManualButton();
    virtual void redrawFrame();

    CPresetSystemEffect* presetEffect() const { return presets; }

    // The panel's controls while the window is open (null otherwise).
    struct PanelControls {
        CTAVTextEdit* nameField = nullptr;
        COptionMenu* programMenu = nullptr;
        CControl* programRocker = nullptr;
        CSaveLoadButton* loadBank = nullptr;
        CSaveLoadButton* saveBank = nullptr;
        CPSKickButton* bankLabel = nullptr;
        CSaveLoadButton* loadPreset = nullptr;
        CSaveLoadButton* savePreset = nullptr;
        CPSKickButton* presetLabel = nullptr;
        CPSKickButton* recallMemoA = nullptr;
        CPSKickButton* storeMemoA = nullptr;
        CPSKickButton* recallMemoB = nullptr;
        CPSKickButton* storeMemoB = nullptr;
        CPSKickButton* manual = nullptr;
    };
    const PanelControls& panelControls() const { return panel; }

private:
    // Hands the panel's changes to presetPanelValueChanged when the editor is not itself a
    // control listener (a derived editor that is one sees them first in its valueChanged).
    class PanelListener : public CControlListener {
    public:
        explicit PanelListener(CPresetSystemEditor& owner) : editor(owner) {}
        void valueChanged(CControl* control) override { editor.presetPanelValueChanged(control); }

    private:
        CPresetSystemEditor& editor;
    };
    CControlListener* panelListener();
    // Program i becomes current from the rocker or the menu: menu, field, selection, name.
    void selectFromPanel(VstInt32 index, const char* name);

    using PathText = std::array<char, kPathTextSize>;

    // Applies a whole image (file or stored value); `endOnProgramZero` for bank files.
    images::ImageLoad applyImage(const std::vector<std::uint8_t>& bytes, bool invertOrder, unsigned kinds);
    // Names, menu and program selection after a load.
    void finishLoad(const images::LoadResult& result, bool presetKind);
    void selectWithName(VstInt32 slot);
    bool storeImage(const char* valueName, const std::vector<std::uint8_t>& image);
    bool loadStoredImage(const char* valueName);
    // Remembers directory and file name and gives the path to open.
    std::string rememberPath(const std::string& path, PathText& fileName);

    CPresetSystemEffect* presets;
    PanelControls panel;
    PanelListener fallbackListener{*this};
    PathText directory{};
    PathText bankFile{};
    PathText presetFile{};
};

} // namespace kestro
