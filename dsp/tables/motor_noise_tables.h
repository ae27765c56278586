#pragma once
// The recorded motor-noise tables, linked into the library as constant data that every
// plug-in instance shares (see noise_table_generator.cpp for how they are made).
//
// Every table can be read up to data[length + 2]: looping tables repeat their first three
// samples there, so the wrapped cubic reader may look past the end; the click is followed
// by silence, so the clamped reader may read data[length].

namespace kestro {

struct NoiseTable {
    const float* data;
    int length;
};

// Slow-motor noise; flag 0 and flag 1 are different recordings of the same length.
const NoiseTable& hornSlowNoise(int flag);
// Fast-rotor noise: 34 turns of the horn.
const NoiseTable& hornFastNoise();
// Slow-motor noise of the drum: five turns.
const NoiseTable& drumSlowNoise(int flag);
// Fast-rotor noise: 88 turns of the drum.
const NoiseTable& drumFastNoise();
// The clunk of a motor starting or braking.
const NoiseTable& clickNoise();

// The whole blob, for checking that what was linked is what the layout expects.
const float* motorNoiseBlobBegin();
const float* motorNoiseBlobEnd();

} // namespace kestro
