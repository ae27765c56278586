#include "toolkit/cnew_file_selector.h"

#include "toolkit/cframe.h"
#include "toolkit/cmessage_box.h"

namespace kestro {

CNewFileSelector::CNewFileSelector(CFrame* owner, Style style) : frame(owner)
{
    request.save = style == kSelectSaveFile;
}

CNewFileSelector::~CNewFileSelector() = default;

bool CNewFileSelector::run(Callback callback)
{
    if (frame == nullptr || session != nullptr)
        return false;
    if (frame->hasFileSelector())
        return false;
    request.parentWindow = frame->getPlatformWindow() != nullptr ? frame->getPlatformWindow()->nativeHandle() : nullptr;
    done = std::move(callback);
    chosen.clear();
    session = startFileSelector(request);
    frame->addFileSelector(this);
    return true;
}

bool CNewFileSelector::poll()
{
    if (session == nullptr)
        return true;
    const FileSelectorStatus status = session->poll();
    if (status == FileSelectorStatus::Running)
        return false;
    if (status == FileSelectorStatus::Chosen)
        chosen = session->path();
    if (status == FileSelectorStatus::Unavailable)
        showMessageInActiveFrame(session->message().c_str(), request.title.c_str());
    if (done)
        done(this, status == FileSelectorStatus::Chosen ? chosen.c_str() : nullptr);
    session.reset();
    return true;
}

} // namespace kestro
