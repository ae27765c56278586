#include "params/factory_programs.h"

#include <cstddef>
#include <initializer_list>

namespace kestro {

namespace {

// The reference sound. Its rotor times (19, 20, 26, 27) differ from the construction
// defaults on purpose: this is the voicing users hear after loading the plug-in.
constexpr float kDefault[kNumHostParameters] = {
    0.0f,      // 0 Bypass
    0.0f,      // 1 CPUmode
    0.0f,      // 2 Lever
    0.0f,      // 3 Speed
    0.0f,      // 4 Stop
    0.5f,      // 5 Mech
    0.5f,      // 6 Bottom
    0.5f,      // 7 LoMid
    0.501063f, // 8 Presence
    0.5f,      // 9 Top
    0.25f,     // 10 Setup
    0.500008f, // 11 Input
    0.5f,      // 12 Type
    0.5f,      // 13 Drive
    0.0f,      // 14 Size
    0.508422f, // 15 Color
    0.0f,      // 16 Amount
    0.0673f,   // 17 HSlowSpd
    0.677088f, // 18 HFastSpd
    0.395142f, // 19 HAccel
    0.447158f, // 20 HDecel
    0.5f,      // 21 HDistance
    0.0f,      // 22 HHPF
    0.5f,      // 23 HGain
    0.0931f,   // 24 DSlowSpd
    0.65282f,  // 25 DFastSpd
    0.759256f, // 26 DAccel
    0.831378f, // 27 DDecel
    0.0f,      // 28 DDistance
    1.0f,      // 29 DLPF
    0.5f,      // 30 DGain
    0.5f,      // 31 spare
    0.5f,      // 32 spare
    0.5f,      // 33 spare
    0.5f,      // 34 spare
    1.0f,      // 35 MIDIchl (omni)
};

struct Delta {
    int index;
    float value;
};

constexpr ProgramData makeProgram(const char* name, std::initializer_list<Delta> deltas)
{
    ProgramData p{};
    for (int i = 0; i < kProgramNameSize - 1 && name[i] != '\0'; ++i)
        p.name[i] = name[i];
    for (int i = 0; i < kNumHostParameters; ++i)
        p.values[i] = kDefault[i];
    for (const Delta& d : deltas)
        p.values[d.index] = d.value;
    return p;
}

constexpr std::array<ProgramData, kNumPrograms> buildFactoryPrograms()
{
    std::array<ProgramData, kNumPrograms> programs{};
    programs[0] = makeProgram("Default", {});
    programs[1] = makeProgram("L'122", {});
    programs[2] = makeProgram("L'147",
        {{6, 0.4f}, {7, 0.3f}, {8, 0.5f}, {9, 0.4f}, {10, 0.1f}, {11, 0.6f}, {12, 1.0f},
         {13, 0.4f}, {14, 0.75f}, {15, 0.8f}, {16, 0.5f}, {17, 0.073f}, {18, 0.722f},
         {19, 0.48f}, {20, 0.5f}, {21, 0.2f}, {22, 0.7f}, {24, 0.067f}, {25, 0.688f},
         {26, 0.75f}, {27, 0.75f}, {28, 0.1f}, {29, 0.35f}, {30, 0.4f}});
    programs[3] = makeProgram("Old Rotary",
        {{5, 0.52f}, {8, 0.537063f}, {9, 0.3f}, {10, 0.405556f}, {11, 0.5f}, {13, 0.6f},
         {14, 1.0f}, {15, 0.7f}, {16, 0.7f}, {17, 0.0998f}, {18, 0.636088f}, {19, 0.478324f},
         {20, 0.520696f}, {21, 0.504297f}, {22, 0.624453f}, {23, 0.46f}, {24, 0.0716f},
         {25, 0.53132f}, {27, 0.731198f}, {28, 0.564f}, {29, 0.892f}});
    programs[4] = makeProgram("Relaxed",
        {{6, 0.2f}, {8, 0.5f}, {9, 0.2f}, {10, 0.4f}, {11, 0.5f}, {13, 0.35f}, {14, 1.0f},
         {15, 0.2f}, {16, 0.4f}, {17, 0.11f}, {18, 0.592f}, {19, 0.5f}, {20, 0.6f},
         {21, 0.7f}, {24, 0.093f}, {25, 0.573f}, {26, 0.67f}, {27, 0.8f}, {28, 0.5f},
         {30, 0.3f}});
    programs[5] = makeProgram("Wobble",
        {{6, 0.4f}, {8, 0.3f}, {9, 0.4f}, {10, 0.4f}, {11, 0.5f}, {12, 1.0f}, {13, 0.4f},
         {14, 0.7f}, {15, 0.5f}, {16, 0.3f}, {17, 0.11f}, {18, 0.59f}, {19, 0.5f},
         {20, 0.6f}, {21, 0.7f}, {24, 0.2f}, {25, 0.31f}, {26, 0.67f}, {27, 0.8f},
         {28, 0.5f}, {30, 0.3f}});
    programs[6] = makeProgram("Ramble",
        {{8, 0.6f}, {9, 0.4f}, {10, 0.6f}, {11, 0.5f}, {12, 1.0f}, {13, 0.4f}, {14, 0.5f},
         {15, 0.0f}, {16, 0.7f}, {17, 0.11f}, {18, 0.31f}, {19, 0.5f}, {20, 0.6f},
         {21, 0.7f}, {24, 0.2f}, {25, 0.592f}, {26, 0.67f}, {27, 0.8f}, {28, 0.5f},
         {30, 0.3f}});
    programs[7] = makeProgram("Synchro",
        {{6, 0.4f}, {8, 0.5f}, {9, 0.4f}, {10, 0.6f}, {11, 0.5f}, {12, 0.0f}, {14, 0.7f},
         {15, 0.5f}, {16, 0.3f}, {17, 0.1f}, {18, 0.6f}, {19, 0.5f}, {20, 0.5f}, {21, 0.7f},
         {24, 0.1f}, {25, 0.6f}, {26, 0.5f}, {27, 0.5f}, {28, 0.5f}, {30, 0.3f}});
    programs[8] = makeProgram("Swift",
        {{6, 0.4f}, {8, 0.5f}, {9, 0.4f}, {10, 0.6f}, {11, 0.5f}, {12, 0.0f}, {14, 0.7f},
         {15, 0.5f}, {16, 0.3f}, {17, 0.08f}, {18, 0.685f}, {19, 0.0f}, {20, 0.0f},
         {21, 0.7f}, {24, 0.1f}, {25, 0.6f}, {26, 0.0f}, {27, 0.0f}, {28, 0.5f}, {30, 0.3f}});
    programs[9] = makeProgram("Full Moon",
        {{7, 0.54f}, {8, 0.560891f}, {9, 0.624f}, {10, 0.627778f}, {11, 0.5f}, {12, 0.664f},
         {13, 0.6f}, {14, 0.392f}, {15, 1.0f}, {16, 0.5f}, {17, 0.085f}, {18, 0.67f},
         {19, 0.556971f}, {20, 0.451816f}, {21, 0.279828f}, {22, 0.572f}, {24, 0.6391f},
         {25, 0.10132f}, {26, 0.615224f}, {27, 0.53959f}, {28, 0.092f}, {29, 0.7368f}});
    programs[10] = makeProgram("Light",
        {{6, 0.353022f}, {7, 0.415703f}, {8, 0.624501f}, {10, 0.366667f}, {11, 0.5f},
         {14, 0.292f}, {16, 0.292f}, {18, 0.674088f}, {19, 0.475668f}, {20, 0.475668f},
         {22, 0.5f}, {24, 0.0925f}, {25, 0.577715f}, {26, 0.671211f}, {27, 0.671211f},
         {28, 0.5f}, {29, 0.3504f}});
    programs[11] = makeProgram("Lazy Horn",
        {{8, 0.537063f}, {10, 0.133334f}, {11, 0.5f}, {14, 0.5f}, {15, 0.508034f},
         {16, 0.38f}, {17, 0.0305f}, {18, 0.519465f}, {19, 0.615224f}, {20, 0.615224f},
         {24, 0.0655316f}, {25, 0.66132f}, {26, 0.573063f}, {27, 0.671211f}, {28, 0.232f}});
    programs[12] = makeProgram("Broken Horn Motor",
        {{13, 0.45f}, {14, 0.452f}, {16, 0.38f}, {17, 0.0f}, {18, 0.0f}, {19, 0.475668f},
         {20, 0.475668f}, {24, 0.0316f}, {25, 0.661299f}, {26, 0.671211f}, {27, 0.671211f},
         {28, 0.232f}});
    programs[13] = makeProgram("Mellow Drum",
        {{11, 0.337608f}, {13, 0.45f}, {14, 0.464f}, {16, 0.38f}, {18, 0.633588f},
         {19, 0.475668f}, {20, 0.475668f}, {21, 0.888f}, {24, 0.0321f}, {25, 0.30782f},
         {26, 0.671211f}, {27, 0.671211f}, {28, 0.5f}, {29, 0.3536f}, {30, 0.732223f}});
    programs[14] = makeProgram("Static Drum",
        {{11, 0.337608f}, {14, 0.464f}, {16, 0.38f}, {18, 0.681088f}, {19, 0.475668f},
         {20, 0.475668f}, {21, 0.888f}, {24, 0.0f}, {25, 0.0f}, {26, 0.671211f},
         {27, 0.671211f}, {28, 0.5f}, {29, 0.3536f}, {30, 0.732223f}});
    programs[15] = makeProgram("Horn Mics",
        {{6, 0.0f}, {7, 0.4f}, {8, 0.6f}, {10, 0.366667f}, {11, 0.4f}, {13, 0.57f},
         {14, 0.292f}, {16, 0.292f}, {18, 0.674088f}, {19, 0.475668f}, {20, 0.475668f},
         {21, 1.0f}, {22, 0.3f}, {24, 0.0925f}, {25, 0.578215f}, {26, 0.671211f},
         {27, 0.671211f}, {28, 0.5f}, {29, 0.3504f}, {30, 0.0f}});
    programs[16] = makeProgram("Single Mic",
        {{7, 0.624f}, {10, 1.0f}, {11, 0.337608f}, {14, 0.464f}, {16, 0.2152f},
         {18, 0.654f}, {19, 0.475668f}, {20, 0.475668f}, {21, 0.888f}, {22, 0.228f},
         {24, 0.093f}, {25, 0.5785f}, {26, 0.671211f}, {27, 0.671211f}, {28, 0.5f},
         {29, 0.3496f}, {30, 0.0f}});
    for (std::size_t slot = kNumNamedFactoryPrograms; slot < programs.size(); ++slot)
        programs[slot] = makeProgram("Init", {});
    return programs;
}

constexpr std::array<ProgramData, kNumPrograms> kFactoryPrograms = buildFactoryPrograms();

} // namespace

const std::array<ProgramData, kNumPrograms>& factoryPrograms()
{
    return kFactoryPrograms;
}

const ProgramData* factoryProgram(int slot)
{
    if (slot < 0 || slot >= kNumPrograms)
        return nullptr;
    return &kFactoryPrograms[static_cast<std::size_t>(slot)];
}

} // namespace kestro
