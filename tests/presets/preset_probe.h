#pragma once
// A preset-system effect without the engine: parameters are plain values, the global ones
// go into every program as the product's setParameter does, and the editor is the preset
// system's own. Lets the preset tests run the start-up sequence and every editor operation
// on a known program set.

#include "editor/cpreset_system_editor.h"
#include "presets/cpreset_system_effect.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace kestro::test {

inline constexpr VstInt32 kProbeId = kVstFourCC('T', 'v', 'K', '1');

inline bool isGlobalParameter(VstInt32 index)
{
    return (index >= 0 && index <= 4) || index == 35;
}

// Distinct, exactly representable values per slot and parameter.
inline float knownValue(int slot, int parameter)
{
    return static_cast<float>((slot * 37 + parameter * 5) % 64) / 64.0f;
}

class PresetProbe : public CPresetSystemEffect {
public:
    // `startUp` runs the construction sequence of the product: known programs, template,
    // the editor's start-up restore, program 0.
    explicit PresetProbe(bool startUp = true, audioMasterCallback host = nullptr)
        : CPresetSystemEffect(host, 1, 36)
    {
        setUniqueID(kProbeId);
        setEditor(new CPresetSystemEditor(this));
        for (int slot = 0; slot < kProgramCount; ++slot)
            fillKnown(slot);
        if (startUp) {
            captureTemplateProgram();
            selectProgram(0);
        }
    }
    ~PresetProbe() override
    {
        AEffEditor* own = getEditor();
        setEditor(nullptr);
        delete own;
    }

    void processReplacing(float**, float**, VstInt32) override {}

    void setParameter(VstInt32 index, float value) override
    {
        if (index >= 0 && index < 36)
            values[static_cast<std::size_t>(index)] = value;
        if (isGlobalParameter(index))
            storeInAllPrograms(index, value);
        else if (!isApplyingProgram())
            CPresetSystemEffect::setParameter(index, value);
        ++setCalls;
    }
    float getParameter(VstInt32 index) override
    {
        return index >= 0 && index < 36 ? values[static_cast<std::size_t>(index)] : 0.0f;
    }

    void fillKnown(int slot)
    {
        ProgramRecord& p = programAt(slot);
        char name[32];
        std::snprintf(name, sizeof name, "Program %d", slot);
        applyProgramName(p.name, name);
        for (int i = 0; i < 36; ++i)
            p.values[i] = isGlobalParameter(i) ? 0.0f : knownValue(slot, i);
    }

    CPresetSystemEditor& presets() { return *static_cast<CPresetSystemEditor*>(getEditor()); }
    using CPresetSystemEffect::programAt;
    ProgramTable snapshot() const { return programs; }

    std::array<float, 36> values{};
    int setCalls = 0;
};

inline bool sameTable(const ProgramTable& a, const ProgramTable& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(ProgramTable)) == 0;
}

inline std::uint32_t swap32(std::uint32_t w)
{
    return (w >> 24) | ((w >> 8) & 0xff00u) | ((w << 8) & 0xff0000u) | (w << 24);
}

// Every 4-byte field at `offset` turned around, as a machine of the other byte order has it.
inline void reverseWord(std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    std::uint32_t w;
    std::memcpy(&w, bytes.data() + offset, 4);
    w = swap32(w);
    std::memcpy(bytes.data() + offset, &w, 4);
}

// Converts a native preset or bank image (header at `base`) into the other byte order:
// header words and every record's integers and value reversed, names left as they are.
inline std::vector<std::uint8_t> foreignImage(std::vector<std::uint8_t> bytes, std::size_t base = 0,
                                              bool reverseIdentification = true)
{
    if (reverseIdentification)
        reverseWord(bytes, base);
    for (std::size_t off = 5; off <= 37; off += 4)
        reverseWord(bytes, base + off);
    std::size_t at = base + 41;
    while (at + 12 <= bytes.size()) {
        std::int32_t type, length;
        std::memcpy(&type, bytes.data() + at, 4);
        std::memcpy(&length, bytes.data() + at + 4, 4);
        reverseWord(bytes, at);
        reverseWord(bytes, at + 4);
        reverseWord(bytes, at + 8);
        if (type == 1) {
            reverseWord(bytes, at + 12);
            reverseWord(bytes, at + 24);
        }
        at += 12 + static_cast<std::size_t>(length);
    }
    return bytes;
}

// A fresh, empty settings store for one test; the previous location comes back afterwards.
class FreshSettings {
public:
    FreshSettings()
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        previous = old != nullptr ? old : "";
        std::string base = (std::filesystem::temp_directory_path() / "kestro-presets-XXXXXX").string();
        if (::mkdtemp(base.data()) != nullptr)
            dir = base;
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    ~FreshSettings()
    {
        ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::filesystem::path valueFile(const char* name) const
    {
        return std::filesystem::path(dir) / "TAV-quillmoor" / "TAVKST1" / name;
    }
    std::string dir;

private:
    std::string previous;
};

} // namespace kestro::test
