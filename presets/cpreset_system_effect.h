#pragma once
// The effect side of the preset system: the effect keeps its own 32-program bank instead of
// the host's program mechanism. The host sees one program that never changes and saves the
// bank through the chunk; programs are chosen and named through our own operations.

#include "host/audio_effect_x.h"
#include "presets/preset_editor_link.h"
#include "presets/preset_images.h"
#include "presets/program_record.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace kestro {

class CPresetSystemEffect : public AudioEffectX {
public:
    CPresetSystemEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);

    // The host's program interface is deliberately inert: our bank lives in the chunk.
    void setProgram(VstInt32 program) override;
    VstInt32 getProgram() override;
    void resume() override;

    // Stores host parameters into the current program; the product calls it after its own
    // work. Nothing is stored while a program is being applied.
    void setParameter(VstInt32 index, float value) override;

    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // The whole bank, whatever the host asks for. The pointer stays valid until the next
    // getChunk; a host still holding the previous one sees it overwritten in place.
    VstInt32 getChunk(void** data, bool isPreset) override;
    // 0 when taken, -1 when rejected (then nothing has changed). The host's bytes are only
    // read, never written, and never beyond byteSize.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // Own operations, following the VST slots.
    virtual VstInt32 getCurrentProgramIndex();
    // Makes slot `index` current and pushes its 36 values through setParameter with the
    // applying-program flag set, so the pushed values are not written back into the table.
    // Values outside 0..1 (or NaN) are skipped and keep the previous value. An index
    // outside 0..31 changes nothing.
    virtual void selectProgram(VstInt32 index);
    // Null renames nothing but still refreshes the host's display.
    virtual void renameCurrentProgram(const char* name);
    virtual VstInt32 getUniqueId();
    virtual void resetProgramFromTemplate(VstInt32 slot);
    // Parameters images leave out: the first rule when writing, the second when reading.
    virtual bool isParameterExcluded(VstInt32 index);
    virtual bool isParameterExcludedOnLoad(VstInt32 index);
    // Takes slot 0 as the template for programs that files only partly describe, then lets
    // the editor restore the user's stored defaults.
    virtual void captureTemplateProgram();

    bool isApplyingProgram() const { return applyingProgram.load(std::memory_order_relaxed); }

    // For the editor side of the preset system, which reads and writes the table directly.
    ProgramTable& programTable() { return programs; }
    const ProgramRecord& templateProgram() const { return templateRecord; }
    images::ParameterMask imageWriteMask();
    images::ParameterMask imageReadMask();

protected:
    const ProgramRecord& programAt(VstInt32 slot) const { return programs[static_cast<std::size_t>(slot)]; }
    ProgramRecord& programAt(VstInt32 slot) { return programs[static_cast<std::size_t>(slot)]; }
    ProgramRecord& currentProgramRecord() { return programAt(getCurrentProgramIndex()); }
    // Global parameters hold one value in every program, so changing program never moves them.
    void storeInAllPrograms(VstInt32 index, float value);
    // The editor when it keeps the preset panel in step, else null.
    PresetEditorLink* presetEditor() const;

    // One contiguous, zero-filled block so bank images can be built from it directly. Values
    // may be written from the audio thread (host automation), so single values are accessed
    // through std::atomic_ref where threads can meet.
    ProgramTable programs{};
    ProgramRecord templateRecord{};
    std::atomic<VstInt32> currentProgramIndex{0};
    std::atomic<bool> applyingProgram{false};

private:
    // Allocated once with the effect so that saving state never allocates.
    std::unique_ptr<std::uint8_t[]> chunkBuffer;
};

} // namespace kestro
