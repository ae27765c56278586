#pragma once
// Opens a document with the user's preferred application, the way the desktop would.

#include <string>

namespace kestro::platform {

enum class OpenDocumentResult {
    Opened,
    NoApplication, // nothing on this system can open the document
    Failed,        // the document is missing or could not be handed over
};

OpenDocumentResult openDocument(const std::string& path);

} // namespace kestro::platform
