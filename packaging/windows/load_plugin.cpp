// A minimal Windows host for the installer test under wine: loads an installed plug-in DLL by
// its path, creates an instance through VSTPluginMain as a host does, prepares it, processes
// one block and closes it. Exit code 0 only when all of that worked.
//
//   load_plugin.exe "C:\Program Files\VSTPlugins\TAV Kestro_x64.dll"

#include "host/vst_abi.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

int fail(const char* what, const char* path)
{
    std::fprintf(stderr, "load_plugin: %s: %s\n", path, what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return fail("usage: load_plugin PLUGIN.dll", "");
    const char* path = argv[1];
    HMODULE library = ::LoadLibraryA(path);
    if (library == nullptr)
        return fail("LoadLibrary failed", path);
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(library, "VSTPluginMain")));
    if (entry == nullptr)
        return fail("no VSTPluginMain", path);
    AEffect* effect = entry(hostCallback);
    if (effect == nullptr || effect->magic != kEffectMagic)
        return fail("the entry returned no effect", path);

    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 256, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> left(256), right(256), outLeft(256), outRight(256);
    for (int i = 0; i < 256; ++i)
        left[i] = right[i] = 0.25f * static_cast<float>(std::sin(0.05 * i));
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    for (int block = 0; block < 20; ++block)
        effect->processReplacing(effect, inputs, outputs, 256);
    bool finite = true;
    for (int i = 0; i < 256; ++i)
        finite = finite && std::isfinite(outLeft[i]) && std::isfinite(outRight[i]);
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    const VstInt32 id = effect->uniqueID;
    const VstInt32 parameters = effect->numParams;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    if (!finite)
        return fail("the output is not finite", path);
    std::printf("loaded %s: unique id %08lx, %ld parameters\n", path, static_cast<unsigned long>(id),
                static_cast<long>(parameters));
    return 0;
}
