// The in-window name box: the toolkit's text entry laid over the name field, with the
// field's background and font, removed from the frame again once the edit ends.

#include "editor/controls/name_edit_box.h"

#include "toolkit/cframe.h"
#include "toolkit/ctext_edit.h"

namespace kestro {

namespace {

class NameEntry : public CTextEdit {
public:
    NameEntry(const NameEditRequest& request, NameEditBoxClient& boxClient)
        : CTextEdit(request.area, nullptr, -1, request.text.c_str(), request.background), client(boxClient)
    {
        setBackOffset(request.backOffset);
        setFont(request.font);
        setFontColor(request.fontColor);
        setHoriAlign(request.align);
        setMaxCharacters(request.maxCharacters);
    }

    bool ended() const { return finished; }

protected:
    void editTextChanged(const std::string& changed) override { client.nameEditChanged(changed); }
    void editCommitted(const std::string& committed) override
    {
        finished = true;
        client.nameEditCommitted(committed);
        detach();
    }
    void editCancelled() override
    {
        finished = true;
        client.nameEditCancelled();
        detach();
    }

private:
    // The box holds its own reference, so the entry stays alive until the box is gone.
    void detach()
    {
        if (CFrame* frame = getFrame())
            frame->removeView(this, true);
    }

    NameEditBoxClient& client;
    bool finished = false;
};

class InWindowNameEditBox final : public NameEditBox {
public:
    InWindowNameEditBox(CFrame& owner, NameEntry* view) : frame(owner), entry(view)
    {
        entry->remember(); // ours, so the entry outlives its removal from the frame
    }

    ~InWindowNameEditBox() override
    {
        // A frame being destroyed has removed the entry already; otherwise take it out.
        if (entry->getParentView() != nullptr)
            frame.removeView(entry, true);
        entry->forget();
    }

    bool isOpen() const override { return entry->getParentView() != nullptr && !entry->ended(); }

private:
    CFrame& frame;
    NameEntry* entry;
};

} // namespace

std::unique_ptr<NameEditBox> openInWindowNameEditBox(CFrame& frame, const NameEditRequest& request,
                                                     NameEditBoxClient& client)
{
    auto* entry = new NameEntry(request, client);
    if (!frame.addView(entry))
        return nullptr;
    auto box = std::make_unique<InWindowNameEditBox>(frame, entry);
    entry->beginEditing();
    return box;
}

} // namespace kestro
