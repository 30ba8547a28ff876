#include "render/CalcBas.h"

#include <cmath>

#include "common/Numbers.h"

namespace velmora::CalcBas {

int MapStepsAt(int outerStep, int maxIter) {
    const double growth = 1.0 + 1.0 / maxIter;
    return static_cast<int>(std::floor(4.0 * std::pow(growth, outerStep))) + 1;
}

namespace {

// Map steps per outer step for the last step index every render uses.
const std::array<int, 32>& StepsFor31() {
    static const std::array<int, 32> table = [] {
        std::array<int, 32> steps{};
        for (int i = 0; i < 32; ++i) steps[i] = MapStepsAt(i, 31);
        return steps;
    }();
    return table;
}

int StepsAt(int outerStep, int maxIter) {
    return maxIter == 31 ? StepsFor31()[outerStep] : MapStepsAt(outerStep, maxIter);
}

// One map step of kernel mode 1. The new Y is built from the new X.
inline void StepMap1(float& X, float& Y, float A, float B) {
    const double x = X, y = Y, a = A, b = B;
    const double t1 = (1.0 - x * a) - y * b;
    const double t2 = y * a - x * b;
    const double r = t2 * t2 + t1 * t1;
    const double d = a - x;
    const float w = fl(b - y);
    const float nx = fl((x * d - static_cast<double>(fl(y * w))) / r);
    const float ny = fl((static_cast<double>(fl(static_cast<double>(nx) * w)) + y * d) / r);
    X = nx;
    Y = ny;
}

// One map step of kernel mode 3.
inline void StepMap3(float& X, float& Y, float A, float B) {
    const double x = X, y = Y, a = A, b = B;
    const float t1 = fl((1.0 - x * a) - y * b);
    const float t2 = fl(x * b - y * a);
    const double r = y * y + x * x;
    X = fl(t1 - t1 / r);
    Y = fl(t2 + t2 / r);
}

}  // namespace

std::int16_t IterateMap1(float X, float Y, float A, float B, int maxIter) {
    float PX = 0, PY = 0;
    for (int i = 0; i <= maxIter; ++i) {
        for (int k = StepsAt(i, maxIter); k > 0; --k) StepMap1(X, Y, A, B);
        // A NaN coordinate can never meet the tests below; it ends the call.
        if (std::isnan(X) || std::isnan(Y)) return static_cast<std::int16_t>(i);
        const float s = fl(static_cast<double>(Y) * Y + static_cast<double>(X) * X);
        const bool repeated = fl(X / 10000.0) == fl(PX / 10000.0) && fl(Y / 10000.0) == fl(PY / 10000.0);
        if (s > 1000000.0f || repeated) {
            if (X == PX && Y == PY && i < 2) return 0;
            return static_cast<std::int16_t>(i);
        }
        PX = X;
        PY = Y;
    }
    return static_cast<std::int16_t>(maxIter + 1);
}

std::int16_t IterateMap3(float X, float Y, float A, float B, int maxIter) {
    float PX = 0, PY = 0;
    for (int i = 0; i <= maxIter; ++i) {
        for (int k = StepsAt(i, maxIter); k > 0; --k) StepMap3(X, Y, A, B);
        if (std::isnan(X) || std::isnan(Y)) return static_cast<std::int16_t>(i);
        if (fl(static_cast<double>(Y) * Y + static_cast<double>(X) * X) > 10000.0f) return static_cast<std::int16_t>(i);
        if (X == PX && Y == PY) return static_cast<std::int16_t>(i);
        PX = X;
        PY = Y;
    }
    return static_cast<std::int16_t>(maxIter + 1);
}

}  // namespace velmora::CalcBas
