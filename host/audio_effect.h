#pragma once
// The VST 1.0 half of an effect: owns the descriptor handed to the host, answers opcodes
// 0 to 24, and wraps the few host calls that every effect needs. Nothing here knows about
// this product; RotaryEffect fills in the product through the virtual operations.

#include "host/vst_abi.h"

#include <atomic>

namespace kestro {

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Virtual operations in their fixed slot order.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(VstInt32 size);
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);
    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual VstInt32 getProgram();
    virtual void setProgram(VstInt32 program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);
    virtual VstInt32 getChunk(void** data, bool isPreset);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);

    // Descriptor setters.
    virtual void setUniqueID(VstInt32 id);
    virtual void setNumInputs(VstInt32 inputs);
    virtual void setNumOutputs(VstInt32 outputs);
    virtual void setInitialDelay(VstInt32 delay);
    virtual void canProcessReplacing(bool state);
    virtual void canDoubleReplacing(bool state);
    virtual void programsAreChunks(bool state);
    // Takes ownership; the editor flag of the descriptor follows the pointer.
    virtual void setEditor(AEffEditor* newEditor);

    // Accessors: the values last sent by the host, never a fresh host query.
    virtual float getSampleRate() const;
    virtual VstInt32 getBlockSize() const;
    virtual AEffEditor* getEditor() const;

    // Host callback wrappers of VST 1.0. Each answers its default when there is no host.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // The deprecated accumulating call: it adds nothing to the host's buffers.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);

    AEffect* getAeffect() { return &cEffect; }
    audioMasterCallback getAudioMaster() const { return audioMaster; }

protected:
    // Calls the host with our descriptor; callers check for a missing host first because
    // every wrapper has its own default.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    // Written by the host's UI thread, read by the engine when it rebuilds on the audio thread.
    std::atomic<float> sampleRate{44100.0f};
    std::atomic<VstInt32> blockSize{1024};
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;

private:
    void setFlag(VstInt32 flag, bool state);

    static VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                     VstIntPtr value, void* ptr, float opt);
    static void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                                  VstInt32 sampleFrames);
    static void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                                        VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
    static float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);
};

// Implemented by the product: builds one effect instance for the host, or returns null
// when the host is too old or memory is short. Never throws.
AudioEffect* createEffectInstance(audioMasterCallback hostCallback);

} // namespace kestro
