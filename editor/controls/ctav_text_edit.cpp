#include "editor/controls/ctav_text_edit.h"

#include "toolkit/cframe.h"

#include <cstring>

namespace kestro {

namespace {

// Only one name can be typed at a time in the process.
CTAVTextEdit* fieldBeingEdited = nullptr;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

CTAVTextEdit::CTAVTextEdit(const CRect& rect, CControlListener* controlListener, int controlTag, const char* initial,
                           CBitmap* bitmap)
    : CTextLabel(rect, nullptr, bitmap)
{
    setListener(controlListener);
    setTag(controlTag);
    setMouseEnabled(true);
    CTAVTextEdit::setText(initial);
}

CTAVTextEdit::~CTAVTextEdit()
{
    if (fieldBeingEdited == this)
        fieldBeingEdited = nullptr;
}

std::string CTAVTextEdit::cutToBytes(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && isContinuationByte(text[end]))
        --end;
    return text.substr(0, end);
}

void CTAVTextEdit::setText(const char* newText)
{
    CTextLabel::setText(cutToBytes(newText != nullptr ? newText : "", kMaxTextBytes).c_str());
}

void CTAVTextEdit::getText(char* buffer, std::size_t bufferSize) const
{
    if (buffer == nullptr || bufferSize == 0)
        return;
    const std::size_t count = text.size() < bufferSize - 1 ? text.size() : bufferSize - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

void CTAVTextEdit::draw(CDrawContext& context)
{
    drawBack(context);
    if (!editing)
        drawText(context, text.c_str());
    setDirty(false);
}

MouseResult CTAVTextEdit::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (buttons.buttons() == 0)
        return MouseResult::NotHandled;
    beginNameEdit();
    return MouseResult::HandledNoFurtherEvents;
}

bool CTAVTextEdit::beginNameEdit()
{
    CFrame* frame = getFrame();
    if (editing || frame == nullptr || fieldBeingEdited != nullptr)
        return false;
    box.reset(); // the box of an earlier edit, closed by now
    editing = true;
    fieldBeingEdited = this;
    restoreText = cutToBytes(text, kMaxTextBytes);
    text.clear();
    setDirty();

    NameEditRequest request;
    request.area = size;
    request.text = restoreText;
    request.font = font;
    request.fontColor = fontColor;
    request.align = horiAlign;
    request.background = background;
    request.backOffset = backOffset;
    request.maxCharacters = kBoxMaxCharacters;
    box = openNameEditBox(*frame, request, *this);
    if (box == nullptr) {
        // No box: nothing can be typed, so the name stays as it was.
        nameEditCancelled();
        return false;
    }
    return true;
}

void CTAVTextEdit::nameEditChanged(const std::string& typed)
{
    text = cutToBytes(typed, kMaxTextBytes);
}

void CTAVTextEdit::nameEditCommitted(const std::string& typed)
{
    if (!editing)
        return;
    text = cutToBytes(typed, kMaxTextBytes);
    editing = false;
    fieldBeingEdited = nullptr;
    beginEdit();
    valueChanged();
    endEdit();
    invalid();
}

void CTAVTextEdit::nameEditCancelled()
{
    if (!editing)
        return;
    text = restoreText;
    editing = false;
    fieldBeingEdited = nullptr;
    invalid();
}

void CTAVTextEdit::removed()
{
    // Closing the window drops a name being typed; nothing is renamed.
    if (editing)
        nameEditCancelled();
    box.reset();
    CTextLabel::removed();
}

} // namespace kestro
