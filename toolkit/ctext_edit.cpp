#include "toolkit/ctext_edit.h"

#include "toolkit/cframe.h"
#include "toolkit/utf8.h"

#include <algorithm>
#include <cmath>

namespace kestro {

CTextEdit::CTextEdit(const CRect& rect, CControlListener* controlListener, int controlTag, const char* initial,
                     CBitmap* bitmap, int displayStyle)
    : CTextLabel(rect, initial, bitmap, displayStyle)
{
    setListener(controlListener);
    setTag(controlTag);
    setMouseEnabled(true);
    editText = text;
}

CTextEdit::~CTextEdit() = default;

void CTextEdit::beginEditing()
{
    if (editing)
        return;
    CFrame* frame = getFrame();
    editing = true;
    restoreText = text;
    editText = text;
    anchor = 0;
    caret = editText.size();
    if (frame != nullptr) {
        frame->setFocusView(this);
        if (frame->getPlatformWindow() != nullptr)
            frame->getPlatformWindow()->takeKeyboardFocus();
    }
    setDirty();
}

void CTextEdit::finishEditing()
{
    if (!editing)
        return;
    editing = false;
    if (CFrame* frame = getFrame()) {
        if (frame->getFocusView() == this)
            frame->setFocusView(nullptr);
        if (frame->getPlatformWindow() != nullptr)
            frame->getPlatformWindow()->releaseKeyboardFocus();
    }
    setDirty();
}

void CTextEdit::commitEditing()
{
    if (!editing)
        return;
    const std::string committed = editText;
    finishEditing();
    editCommitted(committed);
}

void CTextEdit::cancelEditing()
{
    if (!editing)
        return;
    finishEditing();
    editText = restoreText;
    editCancelled();
}

void CTextEdit::editCommitted(const std::string& committed)
{
    setText(committed.c_str());
    beginEdit();
    valueChanged();
    endEdit();
    invalid();
}

void CTextEdit::looseFocus() { commitEditing(); }

void CTextEdit::removed()
{
    // Leaving the frame (closing the window) drops an entry in progress silently.
    if (editing) {
        editing = false;
        editText = text;
        if (CFrame* frame = getFrame(); frame != nullptr && frame->getPlatformWindow() != nullptr)
            frame->getPlatformWindow()->releaseKeyboardFocus();
    }
    CTextLabel::removed();
}

MouseResult CTextEdit::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (buttons.buttons() == 0)
        return MouseResult::NotHandled;
    if (!editing) {
        beginEditing();
        return MouseResult::HandledNoFurtherEvents;
    }
    // A click inside the entry puts the caret at the nearest character boundary.
    CDrawContext measure(PixelSurface{});
    measure.setFont(font);
    const CCoord textWidth = measure.getStringWidth(editText);
    CCoord x = size.left;
    if (horiAlign == kCenterText)
        x = size.left + std::floor((size.width() - textWidth) / 2);
    else if (horiAlign == kRightText)
        x = size.right - textWidth;
    std::size_t best = 0;
    CCoord bestDistance = std::abs(where.x - x);
    for (std::size_t pos = 0; pos < editText.size();) {
        pos = utf8::next(editText, pos);
        const CCoord cx = x + measure.getStringWidth(std::string_view(editText).substr(0, pos));
        if (std::abs(where.x - cx) < bestDistance) {
            bestDistance = std::abs(where.x - cx);
            best = pos;
        }
    }
    moveCaret(best, buttons.hasShift());
    return MouseResult::HandledNoFurtherEvents;
}

void CTextEdit::moveCaret(std::size_t to, bool extend)
{
    caret = std::min(to, editText.size());
    if (!extend)
        anchor = caret;
    setDirty();
}

void CTextEdit::eraseSelection()
{
    const std::size_t from = std::min(caret, anchor);
    const std::size_t to = std::max(caret, anchor);
    editText.erase(from, to - from);
    caret = anchor = from;
}

void CTextEdit::insertText(const std::string& added)
{
    if (hasSelection())
        eraseSelection();
    if (utf8::countCharacters(editText) + utf8::countCharacters(added) > maxCharacters)
        return;
    editText.insert(caret, added);
    caret += added.size();
    anchor = caret;
}

bool CTextEdit::onKeyDown(const CKeyCode& key)
{
    if (!editing)
        return false;
    const bool shift = (key.modifiers & kKeyShift) != 0;
    const std::string before = editText;
    switch (key.virt) {
    case VirtualKey::Escape:
        cancelEditing();
        return true;
    case VirtualKey::Return:
    case VirtualKey::Enter:
    case VirtualKey::Tab:
        commitEditing();
        return true;
    case VirtualKey::Left:
        moveCaret(hasSelection() && !shift ? std::min(caret, anchor) : utf8::previous(editText, caret), shift);
        return true;
    case VirtualKey::Right:
        moveCaret(hasSelection() && !shift ? std::max(caret, anchor) : utf8::next(editText, caret), shift);
        return true;
    case VirtualKey::Home:
        moveCaret(0, shift);
        return true;
    case VirtualKey::End:
        moveCaret(editText.size(), shift);
        return true;
    case VirtualKey::Back:
        if (!hasSelection())
            anchor = utf8::previous(editText, caret);
        eraseSelection();
        break;
    case VirtualKey::Delete:
        if (!hasSelection())
            anchor = utf8::next(editText, caret);
        eraseSelection();
        break;
    default:
        if ((key.modifiers & kKeyControl) != 0) {
            if (key.character == 'a' || key.character == 'A') {
                anchor = 0;
                moveCaret(editText.size(), true);
            }
            return true;
        }
        if (key.character >= 0x20 && key.character != 0x7F && key.virt == VirtualKey::None) {
            std::string added;
            utf8::append(added, key.character);
            insertText(added);
        } else if (key.virt == VirtualKey::Space) {
            insertText(" ");
        } else {
            return true; // every other key stays with the entry while it is open
        }
        break;
    }
    setDirty();
    if (editText != before)
        editTextChanged(editText);
    return true;
}

void CTextEdit::draw(CDrawContext& context)
{
    if (!editing) {
        CTextLabel::draw(context);
        return;
    }
    drawBack(context);
    context.setFont(font);
    const CCoord textWidth = context.getStringWidth(editText);
    const std::string_view view(editText);
    const CCoord caretOffset = context.getStringWidth(view.substr(0, caret));
    CCoord x = size.left;
    if (textWidth + 2 > size.width()) {
        // Too long for the box: scroll so the caret stays visible.
        x = std::min(size.left + 1, size.right - 2 - caretOffset);
    } else if (horiAlign == kCenterText) {
        x = size.left + std::floor((size.width() - textWidth) / 2);
    } else if (horiAlign == kRightText) {
        x = size.right - 1 - textWidth;
    }
    const CRect saved = context.getClipRect();
    CRect inner = size;
    inner.bound(saved);
    context.setClipRect(inner);
    if (hasSelection()) {
        const CCoord a = context.getStringWidth(view.substr(0, std::min(caret, anchor)));
        const CCoord b = context.getStringWidth(view.substr(0, std::max(caret, anchor)));
        context.setFillColor(selectionColor);
        context.fillRect(CRect(x + a, size.top + 1, x + b, size.bottom - 1));
    }
    context.setFontColor(fontColor);
    context.drawString(editText, CRect(x, size.top, x + textWidth + 1, size.bottom), kLeftText);
    context.setFillColor(fontColor);
    context.fillRect(CRect(x + caretOffset, size.top + 2, x + caretOffset + 1, size.bottom - 2));
    context.setClipRect(saved);
    setDirty(false);
}

} // namespace kestro
