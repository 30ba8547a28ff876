#include "render/Random.h"

#include <array>
#include <cmath>

#include "common/Numbers.h"

namespace velmora {

namespace {

constexpr std::uint32_t kDraws = 1u << 24;

// Where a non-decreasing channel of a fixed exponent steps up, and the channel
// at the start of every bucket of draws, so a lookup needs a step or two.
struct StepTable {
    std::array<std::uint32_t, 257> steps;
    std::array<std::uint8_t, (kDraws >> RandomChannels::kBucketShift)> start;

    explicit StepTable(float exponent) {
        auto channel = [exponent](std::uint32_t draw) {
            return RandomChannel(static_cast<float>(draw) * (1.0f / 16777216.0f), exponent);
        };
        steps[0] = 0;
        for (int v = 1; v <= 255; ++v) {
            std::uint32_t low = steps[v - 1], high = kDraws;  // the first draw with channel >= v lies in [low, high]
            while (low < high) {
                const std::uint32_t mid = low + (high - low) / 2;
                if (channel(mid) >= v) high = mid;
                else low = mid + 1;
            }
            steps[v] = low;
        }
        steps[256] = UINT32_MAX;
        for (std::uint32_t b = 0; b < start.size(); ++b) {
            int v = 0;
            while (b << RandomChannels::kBucketShift >= steps[v + 1]) ++v;
            start[b] = static_cast<std::uint8_t>(v);
        }
    }
};

const StepTable* TableFor(float exponent) {
    if (exponent == 3.0f) {
        static const StepTable dark(3.0f);
        return &dark;
    }
    if (exponent == 0.2f) {
        static const StepTable bright(0.2f);
        return &bright;
    }
    return nullptr;
}

}  // namespace

UniformSource::Stride::Stride(std::uint64_t steps) {
    std::uint64_t stepMultiplier = kMultiplier, stepIncrement = kIncrement;
    for (; steps > 0; steps >>= 1) {
        if (steps & 1) {
            multiplier_ *= stepMultiplier;
            increment_ = increment_ * stepMultiplier + stepIncrement;
        }
        stepIncrement *= stepMultiplier + 1;
        stepMultiplier *= stepMultiplier;
    }
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
    return RandomChannels(exponent).Colour(source);
}

RandomChannels::RandomChannels(float exponent) : exponent_(exponent) {
    if (const StepTable* table = TableFor(exponent)) {
        steps_ = table->steps.data();
        start_ = table->start.data();
    }
}

}  // namespace velmora
