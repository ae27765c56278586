#pragma once
// The effect side of the preset system: the effect keeps its own 32-program bank instead of
// the host's program mechanism. The host sees one program that never changes and saves the
// bank through the chunk; programs are chosen and named through our own operations.

#include "host/audio_effect_x.h"
#include "presets/program_record.h"

#include <array>
#include <atomic>

namespace kestro {

class CPresetSystemEffect : public AudioEffectX {
public:
    CPresetSystemEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);

    // The host's program interface is deliberately inert: our bank lives in the chunk.
    void setProgram(VstInt32 program) override;
    VstInt32 getProgram() override;
    void resume() override;

    // Stores host parameters into the current program; the product calls it after its own work.
    void setParameter(VstInt32 index, float value) override;

    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // Own operations, following the VST slots.
    virtual VstInt32 getCurrentProgramIndex();
    // Makes slot `index` current and pushes its 36 values through setParameter with the
    // applying-program flag set, so the pushed values are not written back into the table.
    // Values outside 0..1 (or NaN) are skipped and keep the previous value. An index
    // outside 0..31 changes nothing.
    virtual void selectProgram(VstInt32 index);

    bool isApplyingProgram() const { return applyingProgram.load(std::memory_order_relaxed); }

protected:
    const ProgramRecord& programAt(VstInt32 slot) const { return programs[static_cast<std::size_t>(slot)]; }
    ProgramRecord& programAt(VstInt32 slot) { return programs[static_cast<std::size_t>(slot)]; }
    ProgramRecord& currentProgramRecord() { return programAt(getCurrentProgramIndex()); }
    // Global parameters hold one value in every program, so changing program never moves them.
    void storeInAllPrograms(VstInt32 index, float value);

    // One contiguous, zero-filled block so bank images can be built from it directly. Values
    // may be written from the audio thread (host automation), so single values are accessed
    // through std::atomic_ref where threads can meet.
    std::array<ProgramRecord, kProgramCount> programs{};
    std::atomic<VstInt32> currentProgramIndex{0};
    std::atomic<bool> applyingProgram{false};
};

} // namespace kestro
