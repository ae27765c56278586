// Parameter sets that one host parameter applies to several internal ones: the room sizes
// behind "Size" and the microphone placements behind "Setup". Plain data; the engine pushes
// the values through setParameterAutomated so that the host and the editor follow.
#pragma once

#include "params/parameter_indices.h"

#include <array>

namespace kestro {

// Size position 1..5 (index 0 here is size 1): values for kRoomSize then kVirtualRoomSize,
// applied in that order.
struct RoomSizeRow {
    float roomSize;        // kRoomSize
    float virtualRoomSize; // kVirtualRoomSize
};

inline constexpr std::array<RoomSizeRow, 5> kSizeTable = {{
    {0.193426f, 0.371357f},
    {0.306573f, 0.441384f},
    {0.386852f, 0.5f},
    {0.449122f, 0.462f},
    {0.5f, 0.419518f},
}};

// Setup position 0..5. The values are applied to kSetupTableIndices in that order; the
// setup level is an engine gain, not a parameter.
inline constexpr std::array<int, 8> kSetupTableIndices = {kAmpOnly,          kHornMic1Angle, kHornMic2Angle,
                                                         kHornMic2Distance, kHornMic2Gain,  kHornInputGain,
                                                         kHornMic1Pan,      kHornMic2Pan};

struct SetupRow {
    std::array<float, 8> values; // in the order of kSetupTableIndices
    double level;
};

inline constexpr std::array<SetupRow, 6> kSetupTable = {{
    {{1.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f}, 1.0},
    {{0.0f, 0.19f, 0.52f, 0.2575f, 0.55f, 0.5f, 0.0f, 1.0f}, 1.0},
    {{0.0f, 0.35f, 0.64f, 0.3275f, 0.5f, 0.5f, 0.0f, 1.0f}, 1.25892541179},
    {{0.0f, 0.02f, 0.52f, 0.74f, 0.5f, 0.5f, 0.0f, 1.0f}, 1.25892541179},
    {{0.0f, 0.18f, 0.71f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f}, 1.0},
    {{0.0f, 0.5f, 0.71f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f}, 1.99526231497},
}};

// Every setup pans the setup pair to P(0.8).
inline constexpr float kSetupPanPosition = 0.8f;

} // namespace kestro
