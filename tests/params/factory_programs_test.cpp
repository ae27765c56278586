#include "params/factory_programs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace kestro;

TEST(FactoryPrograms, NamesInSlotOrder)
{
    const char* const names[kNumNamedFactoryPrograms] = {
        "Default", "L'122", "L'147", "Old Rotary", "Relaxed", "Wobble", "Ramble", "Synchro",
        "Swift", "Full Moon", "Light", "Lazy Horn", "Broken Horn Motor", "Mellow Drum",
        "Static Drum", "Horn Mics", "Single Mic"};
    const auto& programs = factoryPrograms();
    for (int slot = 0; slot < kNumPrograms; ++slot) {
        const ProgramData& p = programs[static_cast<std::size_t>(slot)];
        const std::string want = slot < kNumNamedFactoryPrograms ? names[slot] : "Init";
        EXPECT_EQ(std::string(p.name), want) << slot;
        // The name field is written whole: zeros after the name, so stored images are stable.
        for (std::size_t c = want.size(); c < sizeof p.name; ++c)
            EXPECT_EQ(p.name[c], '\0') << slot;
    }
}

TEST(FactoryPrograms, DefaultIsTheReferenceAndItsCopiesMatchIt)
{
    const ProgramData& def = *factoryProgram(0);
    EXPECT_EQ(def.values[kHornAccel], 0.395142f); // the program's rotor times, not the construction ones
    EXPECT_EQ(def.values[kDrumAccel], 0.759256f);
    EXPECT_EQ(def.values[kPresence], 0.501063f);
    EXPECT_EQ(def.values[kDrumLowPass], 1.0f);

    EXPECT_EQ(std::memcmp(factoryProgram(1)->values, def.values, sizeof def.values), 0);
    for (int slot = kNumNamedFactoryPrograms; slot < kNumPrograms; ++slot)
        EXPECT_EQ(std::memcmp(factoryProgram(slot)->values, def.values, sizeof def.values), 0)
            << slot;
}

TEST(FactoryPrograms, NamedSoundsDifferOnlyWhereTheyShould)
{
    const ProgramData& def = *factoryProgram(0);
    const ProgramData& l147 = *factoryProgram(2);
    EXPECT_EQ(l147.values[kBottom], 0.4f);
    EXPECT_EQ(l147.values[kDrumGain], 0.4f);
    EXPECT_EQ(l147.values[kHornGain], def.values[kHornGain]);
    EXPECT_EQ(l147.values[kMech], def.values[kMech]);

    const ProgramData& oldRotary = *factoryProgram(3);
    EXPECT_EQ(oldRotary.values[kMech], 0.52f);
    EXPECT_EQ(oldRotary.values[kDrumAccel], def.values[kDrumAccel]); // untouched between kDrumFastSpeed and kDrumDecel
    EXPECT_EQ(oldRotary.values[kDrumDecel], 0.731198f);

    const ProgramData& swift = *factoryProgram(8);
    EXPECT_EQ(swift.values[kHornAccel], 0.0f);
    EXPECT_EQ(swift.values[kDrumDecel], 0.0f);

    const ProgramData& singleMic = *factoryProgram(16);
    EXPECT_EQ(singleMic.values[kSetup], 1.0f);
    EXPECT_EQ(singleMic.values[kDrumLowPass], 0.3496f);
    EXPECT_EQ(singleMic.values[kDrumGain], 0.0f);
    EXPECT_EQ(singleMic.values[kPresence], def.values[kPresence]);
}

TEST(FactoryPrograms, EveryValueIsAppliableAndGlobalsAreNeutral)
{
    for (const ProgramData& p : factoryPrograms()) {
        for (int i = 0; i < kNumHostParameters; ++i) {
            // The program store skips values outside 0..1 when applying a program.
            EXPECT_GE(p.values[i], 0.0f) << p.name << " " << i;
            EXPECT_LE(p.values[i], 1.0f) << p.name << " " << i;
        }
        for (int i = 0; i <= 4; ++i)
            EXPECT_EQ(p.values[i], 0.0f) << p.name << " " << i;
        EXPECT_EQ(p.values[kMidiChannel], 1.0f) << p.name;
        for (int i = 31; i <= 34; ++i)
            EXPECT_EQ(p.values[i], 0.5f) << p.name << " " << i;
    }
}

TEST(FactoryPrograms, SlotsOutsideTheBankAreRefused)
{
    EXPECT_EQ(factoryProgram(-1), nullptr);
    EXPECT_EQ(factoryProgram(kNumPrograms), nullptr);
    EXPECT_EQ(factoryProgram(31), &factoryPrograms()[31]);
}

} // namespace
