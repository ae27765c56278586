#include "presets/cpreset_system_effect.h"

#include <cstring>

namespace kestro {

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback hostCallback, VstInt32 programCount,
                                         VstInt32 parameterCount)
    : AudioEffectX(hostCallback, programCount, parameterCount)
{
    programsAreChunks(true);
}

void CPresetSystemEffect::setProgram(VstInt32) {}

VstInt32 CPresetSystemEffect::getProgram()
{
    return 0;
}

void CPresetSystemEffect::resume() {}

void CPresetSystemEffect::setParameter(VstInt32 index, float value)
{
    if (index < 0 || index >= kProgramParameterCount)
        return;
    float& slot = currentProgramRecord().values[index];
    std::atomic_ref<float>(slot).store(value, std::memory_order_relaxed);
}

void CPresetSystemEffect::setProgramName(char* name)
{
    // Hosts hand over at most a program-name buffer; never read past 24 characters of it.
    char limited[kProgramNameSize + 1] = {};
    std::memcpy(limited, name, ::strnlen(name, kProgramNameSize));
    applyProgramName(currentProgramRecord().name, limited);
}

void CPresetSystemEffect::getProgramName(char* name)
{
    copyProgramName(name, currentProgramRecord().name);
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index < 0 || index >= kProgramCount)
        return false;
    copyProgramName(text, programAt(index).name);
    return true;
}

void CPresetSystemEffect::storeInAllPrograms(VstInt32 index, float value)
{
    if (index < 0 || index >= kProgramParameterCount)
        return;
    for (ProgramRecord& program : programs)
        std::atomic_ref<float>(program.values[index]).store(value, std::memory_order_relaxed);
}

void CPresetSystemEffect::selectProgram(VstInt32 index)
{
    if (index < 0 || index >= kProgramCount)
        return;
    applyingProgram.store(true, std::memory_order_relaxed);
    curProgram = 0;
    currentProgramIndex.store(index, std::memory_order_relaxed);
    for (VstInt32 i = 0; i < kProgramParameterCount; ++i) {
        const float v = std::atomic_ref<float>(programAt(index).values[i]).load(std::memory_order_relaxed);
        if (v >= 0.0f && v <= 1.0f)
            setParameter(i, v);
    }
    updateDisplay();
    beginEdit(0);
    endEdit(0);
    applyingProgram.store(false, std::memory_order_relaxed);
}

VstInt32 CPresetSystemEffect::getCurrentProgramIndex()
{
    return currentProgramIndex.load(std::memory_order_relaxed);
}

} // namespace kestro
