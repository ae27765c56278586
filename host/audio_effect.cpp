#include "host/audio_effect.h"

#include "host/aeffeditor.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace kestro {

namespace {

AudioEffect* effectOf(AEffect* e)
{
    return e != nullptr ? static_cast<AudioEffect*>(e->object) : nullptr;
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount)
    : audioMaster(hostCallback), numPrograms(programCount), numParams(parameterCount)
{
    // Hosts read reserved fields and padding too; they must see zeros, not stale heap bytes.
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = &AudioEffect::dispatchEffectClass;
    cEffect.process = &AudioEffect::processClass;
    cEffect.setParameter = &AudioEffect::setParameterClass;
    cEffect.getParameter = &AudioEffect::getParameterClass;
    cEffect.numPrograms = programCount;
    cEffect.numParams = parameterCount;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = 1;
    cEffect.processReplacing = &AudioEffect::processClassReplacing;
    cEffect.processDoubleReplacing = &AudioEffect::processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    // Every opcode that writes through ptr checks it: a host bug must not become our crash.
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text != nullptr)
            setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text != nullptr)
            getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text != nullptr)
            getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text != nullptr)
            getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text != nullptr)
            getParameterName(index, text);
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        if (editor != nullptr && ptr != nullptr)
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        if (editor != nullptr)
            return editor->open(ptr) ? 1 : 0;
        return 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr)
            editor->idle();
        return 0;
    case effIdentify:
        return kVstFourCC('N', 'v', 'E', 'f');
    case effGetChunk:
        if (ptr == nullptr)
            return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        // A size that does not fit the 32-bit interface cannot describe a chunk of ours;
        // reject it rather than hand a truncated length to the reader.
        if (value < 0 || value > INT32_MAX)
            return -1;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::setSampleRate(float rate)
{
    // The engine divides by the rate when it rebuilds; keep the last usable one instead.
    if (std::isfinite(rate) && rate > 0.0f)
        sampleRate.store(rate, std::memory_order_relaxed);
}

void AudioEffect::setBlockSize(VstInt32 size)
{
    if (size > 0)
        blockSize.store(size, std::memory_order_relaxed);
}

void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}

void AudioEffect::setParameter(VstInt32, float) {}

float AudioEffect::getParameter(VstInt32)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    // Our own state first, so a host that reads the parameter back while recording sees it.
    setParameter(index, value);
    if (audioMaster != nullptr)
        callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getProgram()
{
    return curProgram;
}

void AudioEffect::setProgram(VstInt32 program)
{
    if (program >= 0 && program < numPrograms)
        curProgram = program;
}

void AudioEffect::setProgramName(char*) {}

void AudioEffect::getProgramName(char* name)
{
    *name = '\0';
}

void AudioEffect::getParameterLabel(VstInt32, char* label)
{
    *label = '\0';
}

void AudioEffect::getParameterDisplay(VstInt32, char* text)
{
    *text = '\0';
}

void AudioEffect::getParameterName(VstInt32, char* text)
{
    *text = '\0';
}

VstInt32 AudioEffect::getChunk(void**, bool)
{
    return 0;
}

VstInt32 AudioEffect::setChunk(void*, VstInt32, bool)
{
    return 0;
}

void AudioEffect::setUniqueID(VstInt32 id)
{
    cEffect.uniqueID = id;
}

void AudioEffect::setNumInputs(VstInt32 inputs)
{
    cEffect.numInputs = inputs;
}

void AudioEffect::setNumOutputs(VstInt32 outputs)
{
    cEffect.numOutputs = outputs;
}

void AudioEffect::setInitialDelay(VstInt32 delay)
{
    cEffect.initialDelay = delay;
}

void AudioEffect::canProcessReplacing(bool state)
{
    setFlag(effFlagsCanReplacing, state);
}

void AudioEffect::canDoubleReplacing(bool state)
{
    setFlag(effFlagsCanDoubleReplacing, state);
}

void AudioEffect::programsAreChunks(bool state)
{
    setFlag(effFlagsProgramChunks, state);
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

float AudioEffect::getSampleRate() const
{
    return sampleRate.load(std::memory_order_relaxed);
}

VstInt32 AudioEffect::getBlockSize() const
{
    return blockSize.load(std::memory_order_relaxed);
}

AEffEditor* AudioEffect::getEditor() const
{
    return editor;
}

VstInt32 AudioEffect::getMasterVersion()
{
    if (audioMaster == nullptr)
        return 1;
    // Hosts from before the version query answer 0; they still speak VST 1.
    const auto version = static_cast<VstInt32>(callHost(audioMasterVersion, 0, 0, nullptr, 0.0f));
    return version != 0 ? version : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    if (audioMaster == nullptr)
        return 0;
    return static_cast<VstInt32>(callHost(audioMasterCurrentId, 0, 0, nullptr, 0.0f));
}

void AudioEffect::masterIdle()
{
    if (audioMaster != nullptr)
        callHost(audioMasterIdle, 0, 0, nullptr, 0.0f);
}

bool AudioEffect::isInputConnected(VstInt32 input)
{
    if (audioMaster == nullptr)
        return true;
    // The interface's answer is inverted: 0 means connected.
    return callHost(audioMasterPinConnected, input, 0, nullptr, 0.0f) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    if (audioMaster == nullptr)
        return true;
    return callHost(audioMasterPinConnected, output, 1, nullptr, 0.0f) == 0;
}

void AudioEffect::process(float**, float**, VstInt32) {}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

// ---- the functions the host calls through the descriptor ----------------------------------

VstIntPtr VSTCALLBACK AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                       VstIntPtr value, void* ptr, float opt)
{
    AudioEffect* effect = effectOf(e);
    if (effect == nullptr)
        return 0;
    if (opcode == effClose) {
        // The descriptor lives inside the instance: after this the host's pointer is gone.
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* effect = effectOf(e))
        effect->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                                    VstInt32 sampleFrames)
{
    if (AudioEffect* effect = effectOf(e))
        effect->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                                          VstInt32 sampleFrames)
{
    if (AudioEffect* effect = effectOf(e))
        effect->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value)
{
    if (AudioEffect* effect = effectOf(e))
        effect->setParameter(index, value);
}

float VSTCALLBACK AudioEffect::getParameterClass(AEffect* e, VstInt32 index)
{
    if (AudioEffect* effect = effectOf(e))
        return effect->getParameter(index);
    return 0.0f;
}

} // namespace kestro
