#pragma once
#include <cstdint>

#include "common/Colour.h"

namespace velmora {

// Uniform single-precision numbers in [0, 1). Every instance starts from the
// same fixed state and is never reseeded, so a run's speckle is reproducible.
class UniformSource {
public:
    float Next() { return static_cast<float>(NextDraw()) * (1.0f / 16777216.0f); }
    // The 24 random bits behind Next: Next() is NextDraw() / 2^24.
    std::uint32_t NextDraw();
    // Moves on by `steps` numbers at once, as that many calls of Next would.
    void Skip(std::uint64_t steps);

    bool operator==(const UniformSource&) const = default;

private:
    std::uint64_t state_ = 0x853C49E6748FEA9BULL;
};

// The generator the whole program draws from.
UniformSource& ProgramRandom();

// One channel of a random colour: r^e * 255 rounded half to even, kept in 0 to 255.
int RandomChannel(float r, float exponent);

// A random colour: each channel round(r^e * 255), red, green, blue drawn in turn.
ColorValue RandomColour(UniformSource& source, float exponent);

// The channels of one exponent, from 24-bit draws. For the exponents of the
// random patterns (3 and 0.2) a channel is looked up in a table of the 255
// draws where it steps up, found once with pow; any other exponent computes
// pow for every channel.
class RandomChannels {
public:
    explicit RandomChannels(float exponent);
    int Of(std::uint32_t draw) const {
        if (!steps_) return RandomChannel(static_cast<float>(draw) * (1.0f / 16777216.0f), exponent_);
        int channel = start_[draw >> kBucketShift];
        while (draw >= steps_[channel + 1]) ++channel;
        return channel;
    }
    ColorValue Colour(UniformSource& source) const {
        const int red = Of(source.NextDraw()), green = Of(source.NextDraw());
        return Rgb(red, green, Of(source.NextDraw()));
    }

private:
    static constexpr int kBucketShift = 12;
    float exponent_;
    const std::uint32_t* steps_ = nullptr;        // steps_[v]: first draw of channel >= v; steps_[256] beyond all
    const std::uint8_t* start_ = nullptr;         // channel of the first draw of each bucket of 4096
};

}  // namespace velmora
