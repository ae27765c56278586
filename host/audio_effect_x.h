#pragma once
// The VST 2.x half: opcodes 25 to 79 and the host calls that came with them. The defaults
// are the answers of an effect that supports none of the optional features; products
// override what they offer.

#include "host/audio_effect.h"

namespace kestro {

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // VST 2.x operations, in their fixed slot order.
    virtual VstInt32 processEvents(VstEvents* events);
    virtual bool canParameterBeAutomated(VstInt32 index);
    virtual bool string2parameter(VstInt32 index, char* text);
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    virtual VstInt32 getPlugCategory();
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput);
    virtual bool setBypass(bool onOff);
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg);
    virtual VstInt32 canDo(char* text);
    virtual VstInt32 getTailSize();
    virtual bool getParameterProperties(VstInt32 index, VstParameterProperties* properties);
    virtual VstInt32 getVstVersion();
    virtual VstInt32 getCurrentMidiProgram(VstInt32 channel);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    // Writes null into both host pointers: we keep no arrangement the host could borrow.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput, VstSpeakerArrangement** pluginOutput);
    virtual VstInt32 startProcess();
    virtual VstInt32 stopProcess();
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value);
    virtual bool setPanLaw(VstInt32 type, float value);
    virtual VstInt32 beginLoadBank(void* patchChunkInfo);
    virtual VstInt32 beginLoadProgram(void* patchChunkInfo);
    virtual bool setProcessPrecision(VstInt32 precision);
    virtual VstInt32 getNumMidiInputChannels();
    virtual VstInt32 getNumMidiOutputChannels();

    // Host callback wrappers of VST 2.x. Each answers false when there is no host.
    virtual bool updateDisplay();
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
};

} // namespace kestro
