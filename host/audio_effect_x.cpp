#include "host/audio_effect_x.h"

#include "host/aeffeditor.h"

#include <cmath>

namespace kestro {

namespace {

// The host hands the modifier keys over as a float; anything that is not a plain number
// in int range carries no modifiers rather than undefined behaviour.
unsigned char modifierFromFloat(float opt)
{
    if (!std::isfinite(opt) || std::fabs(opt) >= 2147483648.0f)
        return 0;
    return static_cast<unsigned char>(static_cast<int>(opt) & 0xFF);
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount)
    : AudioEffect(hostCallback, programCount, parameterCount)
{
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return text != nullptr && string2parameter(index, text) ? 1 : 0;
    case effGetProgramNameIndexed:
        return text != nullptr && getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effGetInputProperties:
        return ptr != nullptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr != nullptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                     static_cast<VstSpeakerArrangement*>(ptr))
                   ? 1
                   : 0;
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
        return text != nullptr && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
        return text != nullptr && getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return text != nullptr && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text != nullptr ? canDo(text) : 0;
    case effGetTailSize:
        return getTailSize();
    case effGetParameterProperties:
        return ptr != nullptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr)
            return 0;
        VstKeyCode key{};
        key.character = index;
        key.virt = static_cast<unsigned char>(value & 0xFF);
        key.modifier = modifierFromFloat(opt);
        const bool used = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        if (editor == nullptr)
            return 0;
        return editor->setKnobMode(static_cast<int>(value)) ? 1 : 0;
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index);
    case effBeginSetProgram:
        return beginSetProgram() ? 1 : 0;
    case effEndSetProgram:
        return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
        return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                     static_cast<VstSpeakerArrangement**>(ptr))
                   ? 1
                   : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw:
        return setPanLaw(static_cast<VstInt32>(value), opt) ? 1 : 0;
    case effBeginLoadBank:
        return beginLoadBank(ptr);
    case effBeginLoadProgram:
        return beginLoadProgram(ptr);
    case effSetProcessPrecision:
        return setProcessPrecision(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        break;
    }
    // Deprecated, offline, MIDI-program and shell opcodes fall through to here among the
    // 25..79 range and answer 0 like everything the base does not know.
    if (opcode >= effProcessEvents && opcode <= effGetNumMidiOutputChannels)
        return 0;
    return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
}

VstInt32 AudioEffectX::processEvents(VstEvents*)
{
    return 0;
}

bool AudioEffectX::canParameterBeAutomated(VstInt32 index)
{
    return index >= 0 && index < numParams;
}

bool AudioEffectX::string2parameter(VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getInputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return kPlugCategUnknown;
}

bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*)
{
    return false;
}

bool AudioEffectX::setBypass(bool)
{
    return false;
}

bool AudioEffectX::getEffectName(char*)
{
    return false;
}

bool AudioEffectX::getVendorString(char*)
{
    return false;
}

bool AudioEffectX::getProductString(char*)
{
    return false;
}

VstInt32 AudioEffectX::getVendorVersion()
{
    return 0;
}

VstIntPtr AudioEffectX::vendorSpecific(VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstInt32 AudioEffectX::canDo(char*)
{
    return 0;
}

VstInt32 AudioEffectX::getTailSize()
{
    return 0;
}

bool AudioEffectX::getParameterProperties(VstInt32, VstParameterProperties*)
{
    return false;
}

VstInt32 AudioEffectX::getVstVersion()
{
    return kVstVersion;
}

VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32)
{
    return -1;
}

bool AudioEffectX::beginSetProgram()
{
    return false;
}

bool AudioEffectX::endSetProgram()
{
    return false;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput, VstSpeakerArrangement** pluginOutput)
{
    if (pluginInput != nullptr)
        *pluginInput = nullptr;
    if (pluginOutput != nullptr)
        *pluginOutput = nullptr;
    return false;
}

VstInt32 AudioEffectX::startProcess()
{
    return 0;
}

VstInt32 AudioEffectX::stopProcess()
{
    return 0;
}

VstInt32 AudioEffectX::setTotalSampleToProcess(VstInt32 value)
{
    return value;
}

bool AudioEffectX::setPanLaw(VstInt32, float)
{
    return false;
}

VstInt32 AudioEffectX::beginLoadBank(void*)
{
    return 0;
}

VstInt32 AudioEffectX::beginLoadProgram(void*)
{
    return 0;
}

bool AudioEffectX::setProcessPrecision(VstInt32)
{
    return false;
}

VstInt32 AudioEffectX::getNumMidiInputChannels()
{
    return 0;
}

VstInt32 AudioEffectX::getNumMidiOutputChannels()
{
    return 0;
}

bool AudioEffectX::updateDisplay()
{
    if (audioMaster == nullptr)
        return false;
    return callHost(audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    if (audioMaster == nullptr)
        return false;
    return callHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    if (audioMaster == nullptr)
        return false;
    return callHost(audioMasterEndEdit, index, 0, nullptr, 0.0f) != 0;
}

} // namespace kestro
