#pragma once
// Loading the built plug-in the way the platform's hosts do; one implementation per
// platform (dlopen here, LoadLibraryW for the Windows suite).

#include <string>

namespace kestro::test {

// The loaded library, or null with the reason in `error`.
void* openPluginLibrary(std::string& error);
// The exported symbol's address, or null.
void* findPluginSymbol(void* library, const char* symbol);

} // namespace kestro::test
