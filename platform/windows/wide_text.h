#pragma once
// Our texts are UTF-8; the wide Win32 calls take UTF-16. Malformed input never fails a
// conversion: each bad sequence becomes U+FFFD, so a name is shown damaged, never lost.

#include <string>
#include <string_view>

namespace kestro::platform::windows {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

} // namespace kestro::platform::windows
