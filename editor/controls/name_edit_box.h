#pragma once
// The box in which the program name is typed. The name field opens one over itself for
// each edit; which kind of box it is belongs to the platform: the toolkit's own in-window
// entry (Linux), or a native single-line edit control of the window system. Either way the
// box starts with all text selected and the keyboard focus, reports every change of its
// text, commits on Enter, Tab or loss of focus, and cancels on Escape.

#include "toolkit/cdraw_context.h"
#include "toolkit/geometry.h"

#include <cstddef>
#include <memory>
#include <string>

namespace kestro {

class CFrame;

// What the box tells the field. The box is closed when these run; the field may destroy it
// afterwards, but not from inside these calls.
class NameEditBoxClient {
public:
    virtual ~NameEditBoxClient() = default;
    virtual void nameEditChanged(const std::string& text) = 0;
    virtual void nameEditCommitted(const std::string& text) = 0;
    virtual void nameEditCancelled() = 0;
};

struct NameEditRequest {
    CRect area;              // window pixels, where the box goes
    std::string text;        // initial text (UTF-8), all selected
    CFontDesc font;
    CColor fontColor;
    CHoriTxtAlign align = kCenterText;
    CBitmap* background = nullptr; // drawn under the text at backOffset, so the box looks like the field
    CPoint backOffset;
    std::size_t maxCharacters = 255;
};

class NameEditBox {
public:
    // Closes a box still open without telling the client.
    virtual ~NameEditBox() = default;
    virtual bool isOpen() const = 0;
};

// The platform's box, open over the request's area in the frame's window; null when none
// can be opened.
std::unique_ptr<NameEditBox> openNameEditBox(CFrame& frame, const NameEditRequest& request,
                                             NameEditBoxClient& client);
// The toolkit's text entry drawn inside the window (every platform has it).
std::unique_ptr<NameEditBox> openInWindowNameEditBox(CFrame& frame, const NameEditRequest& request,
                                                     NameEditBoxClient& client);

} // namespace kestro
