// What the host sees of the product: descriptor values, names, pins, capabilities and
// speaker arrangements. None of it depends on the signal path.

#include "engine/rotary_effect.h"

#include "editor/rotary_editor.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

namespace kestro {

namespace {

constexpr const char* kEffectName = "TAV Kestro";
constexpr const char* kVendorString = "tav-quillmoor.com";
constexpr const char* kProductString = "TAV Kestro - rotary speaker emulator";
constexpr VstInt32 kVendorVersion = 1000;

// Exact matches only: a host that asks "2in2out " (or anything else) gets a plain no.
constexpr const char* kCapabilities[] = {
    "offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out", "receiveVstMidiEvent",
};

constexpr VstInt32 kPinCount = 2;

bool copyLimited(char* destination, const char* source, std::size_t capacity)
{
    std::snprintf(destination, capacity, "%s", source);
    return true;
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback hostCallback)
{
    // The entry asked already; asking again keeps this usable on its own (tools, tests).
    if (hostCallback != nullptr && hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    // An exception must never unwind into the host: a failed construction is just no instance.
    try {
        return new (std::nothrow) RotaryEffect(hostCallback);
    } catch (const std::exception&) {
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}

void RotaryEffect::setUpHostInterface()
{
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    canDoubleReplacing(true);
    programsAreChunks(true);
    setUniqueID(kUniqueId);
    // Without memory for the editor the effect still works; the host just sees no window.
    setEditor(new (std::nothrow) RotaryEditor(this));
}

void RotaryEffect::releaseEditor()
{
    AEffEditor* ownEditor = getEditor();
    setEditor(nullptr);
    delete ownEditor;
}

bool RotaryEffect::canParameterBeAutomated(VstInt32 index)
{
    return index >= 0 && index < kHostParameterCount;
}

bool RotaryEffect::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= kPinCount)
        return false;
    std::snprintf(properties->label, sizeof properties->label, "TAV Kestro %1d In", static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool RotaryEffect::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= kPinCount)
        return false;
    std::snprintf(properties->label, sizeof properties->label, "TAV Kestro %1d Out", static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool RotaryEffect::setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput)
{
    const VstInt32 inChannels = pluginInput != nullptr ? pluginInput->numChannels : 0;
    const VstInt32 outChannels = pluginOutput != nullptr ? pluginOutput->numChannels : 0;
    const bool supported = (inChannels == 1 || inChannels == 2) && (outChannels == 1 || outChannels == 2);
    // Anything we cannot serve falls back to full stereo, the layout of the descriptor.
    stereoInput.store(!supported || inChannels == 2, std::memory_order_relaxed);
    stereoOutput.store(!supported || outChannels == 2, std::memory_order_relaxed);
    return supported;
}

VstInt32 RotaryEffect::getNumMidiInputChannels()
{
    return 1;
}

bool RotaryEffect::getEffectName(char* name)
{
    return copyLimited(name, kEffectName, kVstMaxEffectNameLen);
}

bool RotaryEffect::getVendorString(char* text)
{
    return copyLimited(text, kVendorString, kVstMaxVendorStrLen);
}

bool RotaryEffect::getProductString(char* text)
{
    return copyLimited(text, kProductString, kVstMaxProductStrLen);
}

VstInt32 RotaryEffect::getVendorVersion()
{
    return kVendorVersion;
}

VstInt32 RotaryEffect::canDo(char* text)
{
    for (const char* capability : kCapabilities) {
        if (std::strcmp(text, capability) == 0)
            return 1;
    }
    return 0;
}

VstInt32 RotaryEffect::getPlugCategory()
{
    return kPlugCategEffect;
}

} // namespace kestro
