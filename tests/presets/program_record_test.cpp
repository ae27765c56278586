// Program names and the store underneath the host interface, checked on the bytes that
// banks and chunks will carry.

#include "presets/cpreset_system_effect.h"
#include "presets/program_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using kestro::kProgramNameSize;

namespace {

bool zeroFrom(const char (&field)[kProgramNameSize], std::size_t first)
{
    for (std::size_t i = first; i < kProgramNameSize; ++i)
        if (field[i] != 0)
            return false;
    return true;
}

class StoreProbe : public kestro::CPresetSystemEffect {
public:
    StoreProbe() : CPresetSystemEffect(nullptr, 1, 36) {}
    void processReplacing(float**, float**, VstInt32) override {}
    using CPresetSystemEffect::programAt;
    void choose(VstInt32 slot) { currentProgramIndex.store(slot); }
};

} // namespace

TEST(ProgramName, FieldHoldsNoStaleBytes)
{
    char field[kProgramNameSize];
    std::memset(field, 'x', sizeof field);
    kestro::applyProgramName(field, "Leslie");
    EXPECT_STREQ(field, "Leslie");
    EXPECT_TRUE(zeroFrom(field, 6));

    kestro::applyProgramName(field, "12345678901234567890123"); // exactly 23
    EXPECT_EQ(std::string(field), "12345678901234567890123");
    kestro::applyProgramName(field, "123456789012345678901234567890");
    EXPECT_EQ(std::string(field), "12345678901234567890123");
    EXPECT_EQ(field[23], 0);

    kestro::applyProgramName(field, nullptr);
    EXPECT_EQ(std::string(field), "12345678901234567890123") << "no text, no change";
}

TEST(ProgramName, UnterminatedStoredNameIsStillTerminatedForTheHost)
{
    char field[kProgramNameSize];
    std::memset(field, 'y', sizeof field); // as a foreign file might carry it
    char out[kProgramNameSize];
    kestro::copyProgramName(out, field);
    EXPECT_EQ(std::string(out), std::string(23, 'y'));
}

TEST(ProgramStore, StartsZeroedAndStoresHostParametersIntoTheCurrentProgram)
{
    StoreProbe store;
    for (VstInt32 slot = 0; slot < kestro::kProgramCount; ++slot) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&store.programAt(slot));
        for (std::size_t i = 0; i < sizeof(kestro::ProgramRecord); ++i)
            ASSERT_EQ(bytes[i], 0) << "slot " << slot;
    }

    store.choose(5);
    store.setParameter(0, 0.25f);
    store.setParameter(35, 0.75f);
    store.setParameter(36, 1.0f);  // internal parameters are never stored
    store.setParameter(-1, 1.0f);
    EXPECT_EQ(store.programAt(5).values[0], 0.25f);
    EXPECT_EQ(store.programAt(5).values[35], 0.75f);
    EXPECT_EQ(store.programAt(0).values[0], 0.0f);
    EXPECT_EQ(store.programAt(6).name[0], 0);

    // The host program interface never moves off program 0 of the host's view.
    store.setProgram(3);
    EXPECT_EQ(store.getProgram(), 0);
    EXPECT_EQ(store.getCurrentProgramIndex(), 5);
    EXPECT_EQ(store.getAeffect()->flags & effFlagsProgramChunks, effFlagsProgramChunks);
}
