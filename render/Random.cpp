#include "render/Random.h"

#include <cmath>

#include "common/Numbers.h"

namespace velmora {

float UniformSource::Next() {
    // PCG-XSH-RR 32: small, fast and statistically sound.
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    const std::uint32_t bits = (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    // 24 random bits give every float of the form k / 2^24, all below 1.
    return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
}

UniformSource& ProgramRandom() {
    static UniformSource source;
    return source;
}

int RandomChannel(float r, float exponent) {
    const double value = RoundHalfEven(std::pow(static_cast<double>(r), static_cast<double>(exponent)) * 255.0);
    return value >= 0 && value <= 255 ? static_cast<int>(value) : (value > 255 ? 255 : 0);
}

ColorValue RandomColour(UniformSource& source, float exponent) {
    const float r1 = source.Next(), r2 = source.Next(), r3 = source.Next();
    return Rgb(RandomChannel(r1, exponent), RandomChannel(r2, exponent), RandomChannel(r3, exponent));
}

}  // namespace velmora
