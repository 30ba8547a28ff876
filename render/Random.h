#pragma once
#include <cstdint>

#include "common/Colour.h"

namespace velmora {

// Uniform single-precision numbers in [0, 1). Every instance starts from the
// same fixed state and is never reseeded, so a run's speckle is reproducible.
class UniformSource {
public:
    float Next();

private:
    std::uint64_t state_ = 0x853C49E6748FEA9BULL;
};

// The generator the whole program draws from.
UniformSource& ProgramRandom();

// One channel of a random colour: r^e * 255 rounded half to even, kept in 0 to 255.
int RandomChannel(float r, float exponent);

// A random colour: each channel round(r^e * 255), red, green, blue drawn in turn.
ColorValue RandomColour(UniformSource& source, float exponent);

}  // namespace velmora
