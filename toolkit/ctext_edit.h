#pragma once
// A single-line text entry drawn inside the window. A click starts editing with all text
// selected, so typing replaces it; the cursor keys, Home, End, Backspace and Delete edit,
// at most 255 characters of UTF-8 are kept. Enter, Tab or a click elsewhere commits (the
// listener is told, inside an edit bracket), Escape cancels and restores the old text.
// While editing, the view holds the frame's keyboard focus.

#include "toolkit/cparam_display.h"

#include <cstddef>
#include <string>

namespace kestro {

class CTextEdit : public CTextLabel {
public:
    static constexpr std::size_t kDefaultMaxCharacters = 255;

    CTextEdit(const CRect& size, CControlListener* listener, int tag, const char* text = nullptr,
              CBitmap* background = nullptr, int style = 0);
    ~CTextEdit() override;

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyCode& key) override;
    void looseFocus() override;
    void removed() override;

    // Editing from code: start (all text selected) and finish.
    virtual void beginEditing();
    virtual void commitEditing();
    virtual void cancelEditing();
    bool isEditing() const { return editing; }
    // The text being typed (equal to getText() when not editing).
    const std::string& getEditText() const { return editText; }

    void setMaxCharacters(std::size_t count) { maxCharacters = count; }
    std::size_t getMaxCharacters() const { return maxCharacters; }
    void setSelectionColor(const CColor& color) { selectionColor = color; }

protected:
    // Hooks around an edit for derived fields. Defaults: the committed text becomes the
    // label's text and the listener is told; a cancel restores the old text.
    virtual void editTextChanged(const std::string& /*text*/) {}
    virtual void editCommitted(const std::string& text);
    virtual void editCancelled() {}
    // Ends editing without a hook (after a commit or cancel).
    void finishEditing();

    // Byte offsets into editText, always on character boundaries.
    std::size_t caret = 0;
    std::size_t anchor = 0;
    std::string editText;
    std::string restoreText;
    std::size_t maxCharacters = kDefaultMaxCharacters;
    CColor selectionColor{90, 120, 170, 255};
    bool editing = false;

private:
    void insertText(const std::string& utf8);
    void eraseSelection();
    bool hasSelection() const { return caret != anchor; }
    void moveCaret(std::size_t to, bool extend);
};

} // namespace kestro
