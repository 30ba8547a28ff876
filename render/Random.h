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
    std::uint32_t NextDraw() {
        // PCG-XSH-RR 32: small, fast and statistically sound.
        const std::uint64_t old = state_;
        state_ = old * kMultiplier + kIncrement;
        const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        const auto rot = static_cast<std::uint32_t>(old >> 59u);
        const std::uint32_t bits = (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
        // 24 random bits give every float of the form k / 2^24, all below 1.
        return bits >> 8;
    }
    // A fixed number of steps as one affine map of the state: squaring the
    // map doubles the steps, so any count takes one squaring per bit.
    class Stride {
    public:
        explicit Stride(std::uint64_t steps);

    private:
        friend UniformSource;
        std::uint64_t multiplier_ = 1, increment_ = 0;
    };
    // Moves on by a stride's numbers at once, as that many calls of Next would.
    void Skip(const Stride& stride) { state_ = state_ * stride.multiplier_ + stride.increment_; }
    void Skip(std::uint64_t steps) { Skip(Stride(steps)); }

    bool operator==(const UniformSource&) const = default;

private:
    static constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
    static constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
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
    // Draws per bucket of the start table: 1024, so the 16 KiB table stays in
    // the first-level cache and a bucket rarely holds a step.
    static constexpr int kBucketShift = 10;

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
    float exponent_;
    const std::uint32_t* steps_ = nullptr;        // steps_[v]: first draw of channel >= v; steps_[256] beyond all
    const std::uint8_t* start_ = nullptr;         // channel of the first draw of each bucket
};

}  // namespace velmora
