// The one function a host looks for. It is exported twice, as VSTPluginMain and as main,
// because old hosts only know the second name; both names are the same code at the same
// address.

#include "host/audio_effect.h"

// Visibility exports it from the ELF library; the Windows DLL's export table is the linker's
// .def file, which ignores this attribute.
#define KESTRO_EXPORT extern "C" __attribute__((visibility("default")))

KESTRO_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster);

AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    // A host that answers 0 predates VST 2 and cannot drive us. Without any callback there
    // is nobody to ask; the effect then runs on its own defaults (offline tools do this).
    if (audioMaster != nullptr && audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    kestro::AudioEffect* effect = kestro::createEffectInstance(audioMaster);
    if (effect == nullptr)
        return nullptr;
    return effect->getAeffect();
}

// C++ does not let us declare ::main with this signature, so the second name is an alias at
// the assembler level. Windows builds will name it in the linker's export list instead
// (main=VSTPluginMain), which gives the same address.
#if defined(__ELF__)
asm(".globl main\n"
    ".type main, @function\n"
    ".set main, VSTPluginMain\n");
#endif
