// The preset panel on the headless back end: gestures on its controls reach the preset
// operations, the name field's in-place entry, and the file dialogs' asynchronous path.

#include "presets/preset_probe.h"

#include "editor/controls/cps_kick_button.h"
#include "editor/controls/ctav_text_edit.h"
#include "editor/preset_panel.h"
#include "params/parameter_indices.h"
#include "platform/headless/headless_window.h"
#include "platform/settings_store.h"
#include "toolkit/cframe.h"
#include "toolkit/cmessage_box.h"
#include "toolkit/coption_menu.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace kestro;
using kestro::test::FreshSettings;
using kestro::test::PresetProbe;

namespace {

// The preset system's editor with only the panel in its window, on a headless window.
class PanelEditor : public CPresetSystemEditor, public CControlListener {
public:
    using CPresetSystemEditor::CPresetSystemEditor;
    ~PanelEditor() override { PanelEditor::close(); }

    bool open(void* parent) override
    {
        AEffGUIEditor::open(parent);
        auto headless = std::make_unique<HeadlessWindow>(401, 570);
        window = headless.get();
        frame = new CFrame(CRect(0, 0, 401, 570), std::move(headless), this);
        return openPresetPanel();
    }
    void close() override
    {
        closePresetPanel();
        AEffGUIEditor::close();
        window = nullptr;
    }
    void valueChanged(CControl* control) override { presetPanelValueChanged(control); }

    bool chooseFile(const FileDialogRequest& request, FileChosen chosen) override
    {
        dialogTitles.emplace_back(request.title);
        return realDialogs && CPresetSystemEditor::chooseFile(request, std::move(chosen));
    }

    using CPresetSystemEditor::panelControls;
    HeadlessWindow* window = nullptr;
    std::vector<std::string> dialogTitles;
    bool realDialogs = false;
};

CPoint centreOf(const CRect& r) { return {std::floor((r.left + r.right) / 2), std::floor((r.top + r.bottom) / 2)}; }

class PresetPanel : public testing::Test {
protected:
    void SetUp() override
    {
        AEffEditor* own = probe.getEditor();
        editor = new PanelEditor(&probe);
        probe.setEditor(editor);
        delete own;
        ASSERT_TRUE(editor->open(reinterpret_cast<void*>(1)));
        idle();
    }

    void idle() { editor->idle(); }
    void click(const CRect& where, CButtonState buttons = CButtonState::kLButton)
    {
        clock += 1000; // far apart: never a double-click
        editor->window->injectClick(centreOf(where), buttons, clock);
        idle();
    }
    void doubleClick(const CRect& where, CButtonState buttons = CButtonState::kLButton)
    {
        clock += 1000;
        editor->window->injectClick(centreOf(where), buttons, clock);
        editor->window->injectClick(centreOf(where), buttons, clock + 100);
        idle();
    }
    void key(VirtualKey virt)
    {
        CKeyCode code;
        code.virt = virt;
        editor->window->injectKeyDown(code);
        editor->window->injectKeyUp(code);
        idle();
    }
    std::string programName(int slot) { return probe.programAt(slot).name; }
    const CTAVTextEdit& field() { return *editor->panelControls().nameField; }
    const COptionMenu& menu() { return *editor->panelControls().programMenu; }

    FreshSettings settings;
    PresetProbe probe;
    PanelEditor* editor = nullptr;
    std::uint64_t clock = 0;
};

TEST_F(PresetPanel, RockerStepsWithinTheBankAndReselectsAtTheEnds)
{
    click(panel::kProgramRocker); // left half at program 0
    EXPECT_EQ(probe.getCurrentProgramIndex(), 0);

    probe.selectProgram(30);
    CRect rightHalf = panel::kProgramRocker;
    rightHalf.left = (rightHalf.left + rightHalf.right) / 2;
    click(rightHalf);
    EXPECT_EQ(probe.getCurrentProgramIndex(), 31);
    EXPECT_EQ(menu().getCurrentIndex(), 31);
    EXPECT_STREQ(field().getText(), "Program 31");

    const int callsBefore = probe.setCalls;
    click(rightHalf);
    EXPECT_EQ(probe.getCurrentProgramIndex(), 31);
    EXPECT_GT(probe.setCalls, callsBefore) << "program 31 is pushed again";
}

TEST_F(PresetPanel, MenuChoiceSelectsTheProgramAndNamesItAfterTheEntry)
{
    editor->panelControls().programMenu->setEntryTitle(2, "Leslie-ish");
    click(panel::kProgramMenu);
    ASSERT_TRUE(menu().isPoppedUp());
    key(VirtualKey::Down);
    key(VirtualKey::Down);
    key(VirtualKey::Return);
    EXPECT_EQ(probe.getCurrentProgramIndex(), 2);
    EXPECT_EQ(programName(2), "Leslie-ish");
    EXPECT_STREQ(field().getText(), "Leslie-ish");
    EXPECT_EQ(probe.values[kMech], kestro::test::knownValue(2, kMech));
}

TEST_F(PresetPanel, ArrowsOpenTheirDialogsAndOnlyTheRightButtonAloneReverses)
{
    click(panel::kLoadPreset);
    click(panel::kLoadPreset, CButtonState::kRButton);
    click(panel::kLoadPreset, CButtonState::kRButton | CButtonState::kShift);
    click(panel::kLoadBank, CButtonState::kRButton);
    click(panel::kSaveBank);
    click(panel::kSavePreset, CButtonState::kRButton);
    EXPECT_EQ(editor->dialogTitles, (std::vector<std::string>{"Load preset", "Load preset (endian-reversed)",
                                                              "Load preset", "Load bank (endian-reversed)",
                                                              "Save bank", "Save preset"}));
}

TEST_F(PresetPanel, LabelsStoreOnDoubleClickAndClearWithControl)
{
    const fs::path bank = settings.valueFile(platform::kDefaultBankValue);
    const fs::path preset = settings.valueFile(platform::kDefaultPresetValue);
    click(panel::kBankLabel);
    EXPECT_FALSE(fs::exists(bank)) << "a single click does nothing";
    doubleClick(panel::kBankLabel);
    EXPECT_TRUE(fs::exists(bank));
    doubleClick(panel::kPresetLabel);
    EXPECT_TRUE(fs::exists(preset));

    doubleClick(panel::kPresetLabel, CButtonState::kLButton | CButtonState::kControl);
    EXPECT_FALSE(fs::exists(preset));
    EXPECT_TRUE(fs::exists(bank)) << "clearing the preset leaves the bank";
    EXPECT_FALSE(editor->panelControls().presetLabel->isPressed());
}

TEST_F(PresetPanel, MemosStoreAndRecallIntoTheCurrentProgram)
{
    probe.selectProgram(3);
    click(panel::kStoreMemoB);
    const ProgramRecord stored = probe.programAt(3);

    probe.selectProgram(9);
    click(panel::kRecallMemoB);
    EXPECT_EQ(std::memcmp(&probe.programAt(9), &stored, sizeof stored), 0);
    EXPECT_STREQ(field().getText(), "Program 3");
    EXPECT_STREQ(menu().getEntryTitle(9), "Program 3");

    click(panel::kRecallMemoA); // nothing stored: nothing changes
    EXPECT_EQ(std::memcmp(&probe.programAt(9), &stored, sizeof stored), 0);
}

TEST_F(PresetPanel, NameEntryEscapeRestoresAndCommitKeeps29BytesAnd23InTheProgram)
{
    click(panel::kNameField);
    ASSERT_TRUE(field().isNameEditing());
    editor->window->injectText("Scratch");
    idle();
    key(VirtualKey::Escape);
    EXPECT_FALSE(field().isNameEditing());
    EXPECT_STREQ(field().getText(), "Program 0");
    EXPECT_EQ(programName(0), "Program 0");

    click(panel::kNameField);
    editor->window->injectText("abcdefghijklmnopqrstuvwxyz0123"); // 30 characters replace the selection
    idle();
    key(VirtualKey::Return);
    EXPECT_STREQ(field().getText(), "abcdefghijklmnopqrstuvwxyz012");
    EXPECT_EQ(programName(0), "abcdefghijklmnopqrstuvw");
    EXPECT_STREQ(menu().getEntryTitle(0), "abcdefghijklmnopqrstuvwxyz012");
    EXPECT_EQ(editor->getFrame()->getNbViews(), 14) << "the entry left the window";
}

TEST_F(PresetPanel, ClosingWhileTypingRenamesNothing)
{
    click(panel::kNameField);
    editor->window->injectText("Half");
    idle();
    editor->close();
    EXPECT_EQ(programName(0), "Program 0");
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(1)));
    EXPECT_STREQ(field().getText(), "Program 0");
}

// A stand-in dialog program: prints the path the user "chose".
void writeFakeDialog(const fs::path& dir, const std::string& answer)
{
    fs::create_directories(dir);
    const fs::path program = dir / "zenity";
    std::ofstream(program) << "#!/bin/sh\necho '" << answer << "'\n";
    fs::permissions(program, fs::perms::owner_all);
}

class ScopedPath {
public:
    explicit ScopedPath(const std::string& value) : old(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        ::setenv("PATH", value.c_str(), 1);
    }
    ~ScopedPath() { ::setenv("PATH", old.c_str(), 1); }

private:
    std::string old;
};

TEST_F(PresetPanel, ChosenFileIsTransferredWhenTheDialogAnswersAtIdle)
{
    editor->realDialogs = true;
    const fs::path dir = fs::path(settings.dir) / "dialog";
    const fs::path file = fs::path(settings.dir) / "saved.tvp";
    writeFakeDialog(dir, (fs::path(settings.dir) / "saved").string()); // the extension is added
    ScopedPath path(dir.string());

    probe.selectProgram(4);
    click(panel::kSavePreset);
    for (int i = 0; i < 500 && !fs::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        idle();
    }
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 1361u);
    EXPECT_STREQ(editor->rememberedPresetFile(), "saved.tvp");

    writeFakeDialog(dir, file.string());
    probe.selectProgram(6);
    click(panel::kLoadPreset);
    for (int i = 0; i < 500 && programName(6) != "Program 4"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        idle();
    }
    EXPECT_EQ(programName(6), "Program 4");
    EXPECT_EQ(probe.programAt(6).values[kLoMid], kestro::test::knownValue(4, kLoMid));
}

TEST_F(PresetPanel, MissingDialogProgramAndMissingManualShowMessageBoxes)
{
    editor->realDialogs = true;
    ScopedPath path((fs::path(settings.dir) / "nothing-here").string());
    click(panel::kLoadBank);
    idle();
    auto* box = dynamic_cast<CMessageBoxView*>(editor->getFrame()->getModalView());
    ASSERT_NE(box, nullptr);
    key(VirtualKey::Return);
    EXPECT_EQ(editor->getFrame()->getModalView(), nullptr);

    click(panel::kManual);
    box = dynamic_cast<CMessageBoxView*>(editor->getFrame()->getModalView());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->getText(), "Could not open user manual");
    EXPECT_FALSE(editor->panelControls().manual->isPressed());
}

} // namespace
