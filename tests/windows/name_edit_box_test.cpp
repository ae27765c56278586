// The program name box on Windows: a native EDIT control over the field with the field's
// font, colours, alignment, margins and limit, all text selected and the focus; Enter, Tab
// or focus loss commit, Escape cancels, and closing gives the plug-in window its procedure
// and the focus back.

#include "windows_test_support.h"

#include "editor/controls/name_edit_box.h"
#include "toolkit/cframe.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kestro;
using namespace kestro::test;

namespace {

struct BoxClient : NameEditBoxClient {
    void nameEditChanged(const std::string& text) override { changed = text; }
    void nameEditCommitted(const std::string& text) override { committed = text; }
    void nameEditCancelled() override { ++cancelled; }
    std::string changed;
    std::optional<std::string> committed;
    int cancelled = 0;
};

class NameBox : public testing::Test {
protected:
    void SetUp() override
    {
        frame = new CFrame(CRect(0, 0, 401, 570), host.handle, nullptr);
        ASSERT_TRUE(frame->isOpen());
        window = static_cast<HWND>(frame->getPlatformWindow()->nativeHandle());
        procedure = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
        request.area = CRect(146, 553.5, 262, 568.5);
        request.text = "Old \xC3\x84";
        request.font = CFontDesc("Arial", 11);
        request.fontColor = CColor{36, 36, 32, 255};
        request.align = kCenterText;
        request.maxCharacters = 255;
    }
    void TearDown() override { frame->forget(); }

    HWND editBox() const { return ::FindWindowExW(window, nullptr, L"Edit", nullptr); }
    void closed(NameEditBox& box)
    {
        EXPECT_FALSE(box.isOpen());
        EXPECT_EQ(editBox(), nullptr);
        EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), procedure) << "the window has its procedure back";
    }

    HostWindow host{401, 570};
    CFrame* frame = nullptr;
    HWND window = nullptr;
    LONG_PTR procedure = 0;
    NameEditRequest request;
    BoxClient client;
};

} // namespace

TEST_F(NameBox, NativeBoxAsTheFieldAsksThenTypingAndEnterCommit)
{
    auto box = openNameEditBox(*frame, request, client);
    ASSERT_TRUE(box && box->isOpen());
    HWND edit = editBox();
    ASSERT_NE(edit, nullptr);

    RECT area{};
    ::GetWindowRect(edit, &area);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_EQ(area.left, 146);
    EXPECT_EQ(area.right, 262);
    EXPECT_EQ(area.top, 554) << "the font's height around the field's middle";
    EXPECT_EQ(area.bottom, 568);
    const LONG_PTR style = ::GetWindowLongPtrW(edit, GWL_STYLE);
    EXPECT_EQ(style & (ES_CENTER | ES_AUTOHSCROLL), ES_CENTER | ES_AUTOHSCROLL);
    EXPECT_EQ(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 255);
    EXPECT_EQ(::SendMessageW(edit, EM_GETMARGINS, 0, 0), 0);
    EXPECT_EQ(windowText(edit), L"Old \u00C4");
    DWORD start = 1;
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u) << "all text selected";
    EXPECT_EQ(::GetFocus(), edit);

    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_STREQ(font.lfFaceName, L"Arial");

    // The colours the plug-in window gives the box: the field's text colour over the
    // field's own background.
    HDC device = ::CreateCompatibleDC(nullptr);
    EXPECT_NE(::SendMessageW(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(device), reinterpret_cast<LPARAM>(edit)),
              0);
    EXPECT_EQ(::GetTextColor(device), RGB(36, 36, 32));
    EXPECT_EQ(::GetBkMode(device), TRANSPARENT);
    ::DeleteDC(device);

    typeKey('N');
    typeKey('E');
    typeKey('W');
    EXPECT_TRUE(waitUntil([&] { return client.changed == "new"; })) << client.changed;
    EXPECT_FALSE(client.committed);
    typeKey(VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return client.committed.has_value(); }));
    EXPECT_EQ(client.committed.value_or(""), "new");
    closed(*box);
    EXPECT_EQ(::GetFocus(), window) << "the focus goes back to the plug-in window";
}

TEST_F(NameBox, EscapeCancelsTabAndFocusLossCommit)
{
    auto box = openNameEditBox(*frame, request, client);
    ASSERT_TRUE(box);
    typeKey('X');
    typeKey(VK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return client.cancelled == 1; }));
    EXPECT_FALSE(client.committed);
    closed(*box);

    box = openNameEditBox(*frame, request, client);
    ASSERT_TRUE(box);
    typeKey(VK_TAB);
    EXPECT_TRUE(waitUntil([&] { return client.committed.has_value(); }));
    EXPECT_EQ(client.committed.value_or(""), "Old \xC3\x84");
    closed(*box);

    client.committed.reset();
    box = openNameEditBox(*frame, request, client);
    ASSERT_TRUE(box);
    ::SetFocus(host.handle);
    EXPECT_TRUE(waitUntil([&] { return client.committed.has_value(); })) << "a click elsewhere ends the edit";
    closed(*box);
}
