#pragma once
// How this platform writes file paths: Windows takes either slash and writes the backslash.

namespace kestro::platform {

#if defined(_WIN32)
inline constexpr const char* kPathSeparators = "\\/";
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr const char* kPathSeparators = "/";
inline constexpr char kPathSeparator = '/';
#endif

} // namespace kestro::platform
