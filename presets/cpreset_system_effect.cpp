#include "presets/cpreset_system_effect.h"

#include "host/aeffeditor.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace kestro {

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback hostCallback, VstInt32 programCount,
                                         VstInt32 parameterCount)
    : AudioEffectX(hostCallback, programCount, parameterCount),
      chunkBuffer(new (std::nothrow) std::uint8_t[images::kChunkSize])
{
    programsAreChunks(true);
    copyProgram(templateRecord, programs[0]);
}

void CPresetSystemEffect::setProgram(VstInt32) {}

VstInt32 CPresetSystemEffect::getProgram()
{
    return 0;
}

void CPresetSystemEffect::resume() {}

void CPresetSystemEffect::setParameter(VstInt32 index, float value)
{
    if (index < 0 || index >= kProgramParameterCount || isApplyingProgram())
        return;
    float& slot = currentProgramRecord().values[index];
    std::atomic_ref<float>(slot).store(value, std::memory_order_relaxed);
}

void CPresetSystemEffect::setProgramName(char* name)
{
    if (name == nullptr)
        return;
    // Hosts hand over at most a program-name buffer; never read past 24 characters of it.
    char limited[kProgramNameSize + 1] = {};
    std::memcpy(limited, name, ::strnlen(name, kProgramNameSize));
    applyProgramName(currentProgramRecord().name, limited);
    if (PresetEditorLink* presets = presetEditor()) {
        char shown[kProgramNameSize];
        copyProgramName(shown, currentProgramRecord().name);
        presets->showProgramNameOnly(shown);
    }
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

VstInt32 CPresetSystemEffect::getChunk(void** data, bool)
{
    if (data == nullptr || !chunkBuffer)
        return 0;
    const std::size_t size =
        images::writeChunk(chunkBuffer.get(), images::kChunkSize, programs, getCurrentProgramIndex(), getUniqueId(),
                           imageWriteMask(), stderr);
    if (size == 0)
        return 0;
    *data = chunkBuffer.get();
    return static_cast<VstInt32>(size);
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool)
{
    if (data == nullptr || byteSize <= 0 || !chunkBuffer)
        return -1;
    const images::LoadResult result =
        images::loadChunk(programs, templateRecord, static_cast<const std::uint8_t*>(data),
                          static_cast<std::size_t>(byteSize), getUniqueId(), imageReadMask(), stderr);
    if (!result.applied)
        return -1;
    if (result.programToSelect >= 0) {
        selectProgram(result.programToSelect);
        if (PresetEditorLink* presets = presetEditor()) {
            presets->programNamesChanged(result.renamedSlots);
            char shown[kProgramNameSize];
            copyProgramName(shown, currentProgramRecord().name);
            presets->showProgramNameOnly(shown);
        }
    }
    return 0;
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

void CPresetSystemEffect::renameCurrentProgram(const char* name)
{
    curProgram = 0;
    if (name != nullptr)
        applyProgramName(currentProgramRecord().name, name);
    updateDisplay();
}

VstInt32 CPresetSystemEffect::getUniqueId()
{
    return cEffect.uniqueID;
}

void CPresetSystemEffect::resetProgramFromTemplate(VstInt32 slot)
{
    if (slot < 0 || slot >= kProgramCount)
        return;
    copyProgram(programAt(slot), templateRecord);
}

bool CPresetSystemEffect::isParameterExcluded(VstInt32 index)
{
    return index < 0 || index >= kProgramParameterCount;
}

bool CPresetSystemEffect::isParameterExcludedOnLoad(VstInt32 index)
{
    return isParameterExcluded(index);
}

void CPresetSystemEffect::captureTemplateProgram()
{
    copyProgram(templateRecord, programs[0]);
    if (PresetEditorLink* presets = presetEditor())
        presets->startupRestore();
}

images::ParameterMask CPresetSystemEffect::imageWriteMask()
{
    images::ParameterMask mask;
    for (VstInt32 i = 0; i < kProgramParameterCount; ++i)
        mask.set(static_cast<std::size_t>(i), !isParameterExcluded(i));
    return mask;
}

images::ParameterMask CPresetSystemEffect::imageReadMask()
{
    images::ParameterMask mask;
    for (VstInt32 i = 0; i < kProgramParameterCount; ++i)
        mask.set(static_cast<std::size_t>(i), !isParameterExcludedOnLoad(i));
    return mask;
}

PresetEditorLink* CPresetSystemEffect::presetEditor() const
{
    return dynamic_cast<PresetEditorLink*>(editor);
}

} // namespace kestro
