#pragma once
// The factory programs as plain name and value arrays. A separate door because the program
// store and the factory table each define their own name-size constant; this keeps the two
// headers out of one translation unit.

namespace kestro {

// Slot 0..31; anything else reads slot 0.
const char* factoryProgramName(int slot);
// The 36 host parameter values of the slot.
const float* factoryProgramValues(int slot);

} // namespace kestro
