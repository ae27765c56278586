// Pop-ups inside the window: the option menu's list, the single-line text entry, the
// message box, and file selectors run through a stand-in dialog program.

#include "toolkit_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace kestro::test {
namespace {

constexpr CButtonState kLeft = CButtonState::kLButton;

class Listener : public CControlListener {
public:
    void valueChanged(CControl* control) override
    {
        ++changes;
        lastValue = control->getValue();
    }
    void controlBeginEdit(CControl*) override { ++begins; }
    int changes = 0;
    int begins = 0;
    float lastValue = -1;
};

CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

struct MenuFixture {
    MenuFixture() : f(300, 200)
    {
        menu = new COptionMenu(CRect(10, 150, 30, 164), &listener, 161);
        f.frame->addView(menu);
        for (int i = 0; i < 20; ++i)
            menu->addEntry(("Program " + std::to_string(i)).c_str());
        menu->setCurrent(3);
        f.idle();
    }
    HeadlessFrame f;
    Listener listener;
    COptionMenu* menu = nullptr;
};

TEST(OptionMenu, ListShowsEntriesInColumnsOfEightWithTheCurrentOneMarked)
{
    MenuFixture m;
    m.f.frame->mouseDown(CPoint(15, 155), kLeft, 0);
    m.f.frame->mouseUp(CPoint(15, 155), kLeft);
    ASSERT_TRUE(m.menu->isPoppedUp());
    EXPECT_EQ(m.f.frame->getModalView() != nullptr, true);
    const CRect first = m.menu->popupEntryRect(0);
    const CRect eighth = m.menu->popupEntryRect(7);
    const CRect ninth = m.menu->popupEntryRect(8);
    EXPECT_EQ(eighth.left, first.left);
    EXPECT_EQ(ninth.top, first.top);
    EXPECT_GT(ninth.left, first.left);
    EXPECT_LE(first.bottom + 7 * first.height(), 200) << "the list stays inside the window";
    EXPECT_LT(eighth.bottom, 151) << "no room below the control: it opens above";

    m.f.idle();
    const CRect current = m.menu->popupEntryRect(3);
    const CRect plain = m.menu->popupEntryRect(4);
    const int cx = static_cast<int>(current.right) - 2;
    EXPECT_NE(m.f.at(cx, static_cast<int>(current.top) + 1), m.f.at(cx, static_cast<int>(plain.top) + 1));

    m.f.frame->mouseDown(centre(m.menu->popupEntryRect(9)), kLeft, 1000);
    EXPECT_FALSE(m.menu->isPoppedUp());
    EXPECT_EQ(m.menu->getCurrentIndex(), 9);
    EXPECT_EQ(m.listener.changes, 1);
    EXPECT_EQ(m.listener.begins, 1);
    EXPECT_EQ(m.listener.lastValue, 9.0f);
}

TEST(OptionMenu, ClickOutsideOrEscapeDismissesWithoutAChange)
{
    MenuFixture m;
    ASSERT_TRUE(m.menu->popup());
    m.f.frame->mouseDown(CPoint(290, 5), kLeft, 0);
    EXPECT_FALSE(m.menu->isPoppedUp());
    ASSERT_TRUE(m.menu->popup());
    m.f.frame->keyDown(CKeyCode{0, VirtualKey::Escape, 0});
    EXPECT_FALSE(m.menu->isPoppedUp());
    EXPECT_EQ(m.listener.changes, 0);
    EXPECT_EQ(m.menu->getCurrentIndex(), 3);

    // Keys move through the list; Enter chooses.
    ASSERT_TRUE(m.menu->popup());
    m.f.frame->keyDown(CKeyCode{0, VirtualKey::Right, 0});
    m.f.frame->keyDown(CKeyCode{0, VirtualKey::Down, 0});
    m.f.frame->keyDown(CKeyCode{0, VirtualKey::Enter, 0});
    EXPECT_EQ(m.menu->getCurrentIndex(), 12);
}

struct EditFixture {
    EditFixture() : f(200, 40)
    {
        edit = new CTextEdit(CRect(10, 10, 150, 25), &listener, 149, "Init");
        other = new CKickButton(CRect(160, 10, 180, 25), nullptr, 1, 15, nullptr);
        f.frame->addView(edit);
        f.frame->addView(other);
        f.frame->mouseDown(CPoint(50, 15), kLeft, 0);
        f.frame->mouseUp(CPoint(50, 15), kLeft);
    }
    void type(const char* text)
    {
        f.window->injectText(text);
        f.idle();
    }
    void key(VirtualKey virt, std::uint8_t modifiers = 0) { f.frame->keyDown(CKeyCode{0, virt, modifiers}); }
    HeadlessFrame f;
    Listener listener;
    CTextEdit* edit = nullptr;
    CKickButton* other = nullptr;
};

TEST(TextEdit, TypingReplacesTheSelectionAndTheEditingKeysWork)
{
    EditFixture e;
    ASSERT_TRUE(e.edit->isEditing());
    EXPECT_TRUE(e.f.window->hasKeyboardFocus());
    e.type("ab");
    EXPECT_EQ(e.edit->getEditText(), "ab");
    e.key(VirtualKey::Home);
    e.type("X");
    e.key(VirtualKey::End);
    e.key(VirtualKey::Left);
    e.key(VirtualKey::Back);
    EXPECT_EQ(e.edit->getEditText(), "Xb");
    e.key(VirtualKey::Home);
    e.key(VirtualKey::Delete);
    e.key(VirtualKey::End);
    e.key(VirtualKey::Left, kKeyShift);
    e.type("\xC3\xA9\xE2\x82\xAC"); // e acute and the euro sign replace the selected "b"
    EXPECT_EQ(e.edit->getEditText(), "\xC3\xA9\xE2\x82\xAC");
    e.key(VirtualKey::Back); // one character, three bytes
    EXPECT_EQ(e.edit->getEditText(), "\xC3\xA9");
    EXPECT_EQ(e.listener.changes, 0) << "nothing is committed while typing";

    e.key(VirtualKey::Return);
    EXPECT_FALSE(e.edit->isEditing());
    EXPECT_STREQ(e.edit->getText(), "\xC3\xA9");
    EXPECT_EQ(e.listener.changes, 1);
    EXPECT_FALSE(e.f.window->hasKeyboardFocus());
}

TEST(TextEdit, EscapeRestoresAndAClickElsewhereCommits)
{
    EditFixture e;
    e.type("Other");
    e.key(VirtualKey::Escape);
    EXPECT_STREQ(e.edit->getText(), "Init");
    EXPECT_EQ(e.listener.changes, 0);

    e.f.frame->mouseDown(CPoint(50, 15), kLeft, 5000);
    e.type("Lead");
    e.f.frame->mouseDown(CPoint(170, 15), kLeft, 9000);
    EXPECT_FALSE(e.edit->isEditing());
    EXPECT_STREQ(e.edit->getText(), "Lead");
    EXPECT_EQ(e.listener.changes, 1);
    EXPECT_EQ(e.other->getValue(), 1.0f) << "the click still reaches the view under it";
}

TEST(TextEdit, KeepsAtMost255Characters)
{
    EditFixture e;
    e.type(std::string(300, 'x').c_str());
    e.type("\xC3\xA9");
    EXPECT_EQ(e.edit->getEditText(), std::string(255, 'x'));
}

TEST(MessageBox, ShowsInTheActiveFrameAndClosesWithOk)
{
    HeadlessFrame f(300, 200);
    ASSERT_TRUE(showMessageInActiveFrame("Could not open user manual", ""));
    auto* box = dynamic_cast<CMessageBoxView*>(f.frame->getModalView());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(showMessageInActiveFrame("second", "")) << "one modal view at a time";
    f.idle();
    const CPoint ok = centre(box->getButtonRect());
    f.frame->mouseDown(ok, kLeft, 0);
    f.frame->mouseUp(ok, kLeft);
    EXPECT_EQ(f.frame->getModalView(), nullptr);
}

// A stand-in for zenity: records its arguments and answers as told.
class FakeDialog {
public:
    FakeDialog(const std::string& answer, int exitCode)
    {
        dir = ::testing::TempDir() + "/fake_dialog_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              std::to_string(counter++);
        ::mkdir(dir.c_str(), 0700);
        std::ofstream script(dir + "/zenity");
        script << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << dir << "/args'\n";
        if (!answer.empty())
            script << "echo '" << answer << "'\n";
        script << "exit " << exitCode << "\n";
        script.close();
        ::chmod((dir + "/zenity").c_str(), 0700);
        const char* old = std::getenv("PATH");
        savedPath = old != nullptr ? old : "";
        ::setenv("PATH", dir.c_str(), 1);
    }
    ~FakeDialog() { ::setenv("PATH", savedPath.c_str(), 1); }
    std::string arguments() const
    {
        std::ifstream in(dir + "/args");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string dir;
    std::string savedPath;
    static inline int counter = 0;
};

// Runs the frame's idle until the selector reports, as the host's idle would.
bool runSelector(HeadlessFrame& f, CNewFileSelector::Style style, std::string& result, bool& cancelled)
{
    auto* selector = new CNewFileSelector(f.frame, style);
    selector->setTitle("Save preset");
    selector->setFileExtension({"TAV Preset", "tvp"});
    selector->setInitialDirectory("/home/someone/presets");
    selector->setDefaultSaveName("Lead");
    bool finished = false;
    if (!selector->run([&](CNewFileSelector*, const char* path) {
            finished = true;
            cancelled = path == nullptr;
            result = path != nullptr ? path : "";
        })) {
        delete selector;
        return false;
    }
    for (int i = 0; i < 500 && !finished; ++i) {
        f.idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return finished;
}

TEST(FileSelector, RunsTheDialogProgramWithoutBlockingAndDeliversThePath)
{
    HeadlessFrame f(300, 200);
    FakeDialog dialog("/home/someone/presets/Bright", 0);
    std::string path;
    bool cancelled = true;
    ASSERT_TRUE(runSelector(f, CNewFileSelector::kSelectSaveFile, path, cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(path, "/home/someone/presets/Bright.tvp") << "a bare name gets the type's extension";
    const std::string args = dialog.arguments();
    EXPECT_NE(args.find("--title=Save preset\n"), std::string::npos) << args;
    EXPECT_NE(args.find("--save\n"), std::string::npos);
    EXPECT_NE(args.find("--filename=/home/someone/presets/Lead\n"), std::string::npos);
    EXPECT_NE(args.find("--file-filter=TAV Preset (*.tvp) | *.tvp\n"), std::string::npos);
}

TEST(FileSelector, CancelGivesNoPathAndAMissingProgramSaysSoInAMessageBox)
{
    HeadlessFrame f(300, 200);
    {
        FakeDialog dialog("", 1);
        std::string path;
        bool cancelled = false;
        ASSERT_TRUE(runSelector(f, CNewFileSelector::kSelectFile, path, cancelled));
        EXPECT_TRUE(cancelled);
        EXPECT_EQ(dialog.arguments().find("--save"), std::string::npos);
    }
    const char* old = std::getenv("PATH");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("PATH", (::testing::TempDir() + "/no_such_dir").c_str(), 1);
    std::string path;
    bool cancelled = false;
    const bool finished = runSelector(f, CNewFileSelector::kSelectFile, path, cancelled);
    ::setenv("PATH", saved.c_str(), 1);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(cancelled);
    auto* box = dynamic_cast<CMessageBoxView*>(f.frame->getModalView());
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->getText().find("zenity or kdialog"), std::string::npos);
}

} // namespace
} // namespace kestro::test
