#pragma once
// The program name field: a text label that, when clicked, opens the platform's name box
// over itself (see name_edit_box.h). While the box is open the field draws only its
// background and follows the typed text silently; a commit sets the text (at most 29 bytes)
// and notifies the listener inside an edit bracket, a cancel puts the old text back and
// notifies nobody.

#include "editor/controls/name_edit_box.h"
#include "toolkit/cparam_display.h"

#include <cstddef>
#include <memory>
#include <string>

namespace kestro {

class CTAVTextEdit : public CTextLabel, private NameEditBoxClient {
public:
    static constexpr std::size_t kMaxTextBytes = 29;
    static constexpr std::size_t kBoxMaxCharacters = 255;

    CTAVTextEdit(const CRect& size, CControlListener* listener, int tag, const char* text, CBitmap* background);
    ~CTAVTextEdit() override;

    // Copies the text when it differs from the current one (UTF-8, cut to 29 bytes).
    void setText(const char* text) override;
    // Copies the text into the caller's buffer of `size` bytes, always terminated.
    void getText(char* buffer, std::size_t size) const;
    using CTextLabel::getText;

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void removed() override;

    // In-place editing from code (a click does the same).
    bool beginNameEdit();
    bool isNameEditing() const { return editing; }

    // The longest prefix of `text` of at most `bytes` bytes that ends on a character boundary.
    static std::string cutToBytes(const std::string& text, std::size_t bytes);

private:
    void nameEditChanged(const std::string& typed) override;
    void nameEditCommitted(const std::string& typed) override;
    void nameEditCancelled() override;

    std::unique_ptr<NameEditBox> box;
    std::string restoreText;
    bool editing = false;
};

} // namespace kestro
