// Hands a document to the shell's "open" verb, as Explorer would on a double-click; any
// prompt of the shell belongs to the plug-in window when one is open.

#include "platform/open_document.h"

#include "platform/windows/native_owner.h"
#include "platform/windows/wide_text.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

namespace kestro::platform {

namespace {

// The shell's own answers: above 32 is success, 31 means no application is associated.
constexpr INT_PTR kNoAssociation = SE_ERR_NOASSOC;
constexpr INT_PTR kLargestFailure = 32;

} // namespace

OpenDocumentResult openDocument(const std::string& path)
{
    if (path.empty())
        return OpenDocumentResult::Failed;
    // Shell extensions may need COM on this thread; a host that set it up already keeps its
    // own apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(windows::dialogOwner(), L"open", windows::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (SUCCEEDED(com))
        ::CoUninitialize();
    if (result > kLargestFailure)
        return OpenDocumentResult::Opened;
    return result == kNoAssociation ? OpenDocumentResult::NoApplication : OpenDocumentResult::Failed;
}

} // namespace kestro::platform
