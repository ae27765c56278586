#pragma once
// A message box drawn inside the plug-in window: caption, text and an OK button, as a
// modal view. OK, Enter, Escape or a click outside the box closes it.

#include "toolkit/cview.h"

#include <string>

namespace kestro {

class CMessageBoxView : public CView {
public:
    CMessageBoxView(const CRect& windowArea, const char* text, const char* caption);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyCode& key) override;

    const CRect& getBoxRect() const { return box; }
    const CRect& getButtonRect() const { return button; }
    const std::string& getText() const { return message; }

private:
    void close();

    std::string message;
    std::string caption;
    CRect box;
    CRect button;
    bool pressed = false;
};

// Puts a message box up in the active frame; false when no frame is open (or a modal view
// is already up there), so the caller can report the message another way.
bool showMessageInActiveFrame(const char* text, const char* caption);

} // namespace kestro
