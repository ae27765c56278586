#pragma once
// A pop-up menu: a click opens the list of entries as a modal view inside the window, in
// columns of 8, with the current entry marked. Choosing an entry with the mouse makes it
// current, sets the value to its index and tells the listener (inside an edit bracket);
// a click outside or Escape closes the list and changes nothing. The control shows the
// current entry's title unless its style says otherwise (kNoDrawStyle, kNoTextStyle).

#include "toolkit/cparam_display.h"

#include <string>
#include <vector>

namespace kestro {

class CMenuItem {
public:
    explicit CMenuItem(const char* title) : text(title != nullptr ? title : "") {}
    const char* getTitle() const { return text.c_str(); }
    void setTitle(const char* title) { text = title != nullptr ? title : ""; }

private:
    std::string text;
};

class COptionMenu : public CParamDisplay {
public:
    static constexpr int kEntriesPerColumn = 8;

    COptionMenu(const CRect& size, CControlListener* listener, int tag, CBitmap* background = nullptr,
                int style = 0);
    ~COptionMenu() override;

    // Appends (index -1) or inserts an entry; false for a bad index.
    bool addEntry(const char* title, int index = -1);
    bool removeEntry(int index);
    void removeAllEntry();
    int getNbEntries() const { return static_cast<int>(entries.size()); }
    CMenuItem* getEntry(int index);
    const char* getEntryTitle(int index) const;
    bool setEntryTitle(int index, const char* title);

    // The marked entry; the value follows it. False for an index out of range.
    bool setCurrent(int index);
    int getCurrentIndex() const { return current; }
    CMenuItem* getCurrent() { return getEntry(current); }

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    // Opens the list (as a click does); false when no frame or another modal view is up.
    bool popup();
    bool isPoppedUp() const { return popupView != nullptr; }
    // Where entry `index` shows in the open list (window pixels); empty when closed.
    CRect popupEntryRect(int index) const;

    // Pop-up appearance.
    void setMenuFont(const CFontDesc& desc) { menuFont = desc; }
    const CFontDesc& getMenuFont() const { return menuFont; }

    // Called by the pop-up: `index` chosen, or -1 when dismissed.
    void popupClosed(int index);

private:
    std::vector<CMenuItem> entries;
    int current = -1;
    CFontDesc menuFont{"Arial", 10};
    CView* popupView = nullptr;
};

} // namespace kestro
