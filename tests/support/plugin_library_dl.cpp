#include "plugin_library.h"

#include <dlfcn.h>

#ifndef KESTRO_PLUGIN_PATH
#error "KESTRO_PLUGIN_PATH must name the built plug-in"
#endif

namespace kestro::test {

void* openPluginLibrary(std::string& error)
{
    void* library = ::dlopen(KESTRO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* message = ::dlerror();
        error = message != nullptr ? message : "dlopen failed";
    }
    return library;
}

void* findPluginSymbol(void* library, const char* symbol)
{
    return ::dlsym(library, symbol);
}

} // namespace kestro::test
