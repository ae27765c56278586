#include "dsp/tables/motor_noise_tables.h"

#include "dsp/tables/motor_noise_layout.h"

// Defined by the generated assembler file that includes the generator's output.
extern "C" const float kestro_motor_noise_blob[kestro::noise_layout::kTotalFloats];
extern "C" const float kestro_motor_noise_blob_end[];

namespace kestro {

namespace {

namespace layout = noise_layout;

constexpr NoiseTable table(int id) {
    return {kestro_motor_noise_blob + layout::offset(id), layout::kLength[id]};
}

// Constant-initialized, so reading them costs nothing on the audio thread.
constinit const NoiseTable kHornSlowA = table(layout::HornSlowA);
constinit const NoiseTable kHornSlowB = table(layout::HornSlowB);
constinit const NoiseTable kHornFast = table(layout::HornFast);
constinit const NoiseTable kDrumSlowA = table(layout::DrumSlowA);
constinit const NoiseTable kDrumSlowB = table(layout::DrumSlowB);
constinit const NoiseTable kDrumFast = table(layout::DrumFast);
constinit const NoiseTable kClick = table(layout::Click);

} // namespace

const NoiseTable& hornSlowNoise(int flag) { return flag == 0 ? kHornSlowA : kHornSlowB; }
const NoiseTable& hornFastNoise() { return kHornFast; }
const NoiseTable& drumSlowNoise(int flag) { return flag == 0 ? kDrumSlowA : kDrumSlowB; }
const NoiseTable& drumFastNoise() { return kDrumFast; }
const NoiseTable& clickNoise() { return kClick; }

const float* motorNoiseBlobBegin() { return kestro_motor_noise_blob; }
const float* motorNoiseBlobEnd() { return kestro_motor_noise_blob_end; }

} // namespace kestro
