// Placeholder entry until the host layer lands.
extern "C" __attribute__((visibility("default"))) void* VSTPluginMain(void*) { return nullptr; }
