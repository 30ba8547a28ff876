// Compiled once per instruction set by Highway's foreach_target; the
// processor's best one is chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "render/SimdKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "render/CalcBas.h"
#include "render/SimdKernels.h"

#ifndef VELMORA_SIMD_KERNELS_ONCE
#define VELMORA_SIMD_KERNELS_ONCE
namespace velmora::simd_detail {

// Map steps per outer step as a start value plus the outer steps at which the
// count grows, so that lanes at different outer steps look it up with compares.
struct StepSchedule {
    int first = 0;
    int changes = 0;
    int at[256] = {};
    int by[256] = {};

    explicit StepSchedule(int maxIter) {
        first = CalcBas::MapStepsAt(0, maxIter);
        for (int i = 1; i <= maxIter; ++i) {
            const int grow = CalcBas::MapStepsAt(i, maxIter) - CalcBas::MapStepsAt(i - 1, maxIter);
            if (grow != 0) {
                at[changes] = i;
                by[changes] = grow;
                ++changes;
            }
        }
    }
};

// The largest last outer step index the lane kernels take (counts must fit a byte).
inline constexpr int kMaxLaneIter = 200;

inline void CountPointsScalar(int kernelMode, int maxIter, const PointInputs& p, std::uint8_t* counts) {
    for (std::size_t i = 0; i < p.count; ++i) {
        int n = 0;
        if (kernelMode == 1) n = CalcBas::IterateMap1(p.x[i], p.y[i], p.a[i], p.b[i], maxIter);
        if (kernelMode == 3) n = CalcBas::IterateMap3(p.x[i], p.y[i], p.a[i], p.b[i], maxIter);
        counts[i] = static_cast<std::uint8_t>(n);
    }
}

}  // namespace velmora::simd_detail
#endif

HWY_BEFORE_NAMESPACE();
namespace velmora::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_EMU128 || HWY_TARGET == HWY_SCALAR

// These targets clamp a double beyond the single range to the largest single
// instead of giving an infinity; they run the scalar kernels instead.
void CountPointsTarget(int kernelMode, int maxIter, const PointInputs& points, std::uint8_t* counts) {
    simd_detail::CountPointsScalar(kernelMode, maxIter, points, counts);
}

#else

using D = hn::ScalableTag<double>;
using DF = hn::Rebind<float, D>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;

// Independent lane groups advanced together, so that the long divisions of
// one group overlap with the work of the others.
constexpr int kGroups = 3;
// Map steps left of an idle lane: never reaches zero.
constexpr double kIdle = 1e300;

// fl(v): rounded to single (ties to even, subnormals kept, overflow to infinity).
HWY_INLINE V Single(V v) { return hn::PromoteTo(D(), hn::DemoteTo(DF(), v)); }

// fl(v / 10000) for a v that holds a single value. A single division gives
// the same result: the double quotient of two singles rounded again to single
// is the correctly rounded single quotient.
HWY_INLINE V Tenthousandth(V v) {
    const DF df;
    return hn::PromoteTo(D(), hn::Div(hn::DemoteTo(df, v), hn::Set(df, 10000.0f)));
}

HWY_INLINE void StepMap1(V& x, V& y, V a, V b) {
    const D d;
    const V t1 = hn::Sub(hn::Sub(hn::Set(d, 1.0), hn::Mul(x, a)), hn::Mul(y, b));
    const V t2 = hn::Sub(hn::Mul(y, a), hn::Mul(x, b));
    const V r = hn::Add(hn::Mul(t2, t2), hn::Mul(t1, t1));
    const V dd = hn::Sub(a, x);
    const V w = Single(hn::Sub(b, y));
    const V nx = Single(hn::Div(hn::Sub(hn::Mul(x, dd), Single(hn::Mul(y, w))), r));
    y = Single(hn::Div(hn::Add(Single(hn::Mul(nx, w)), hn::Mul(y, dd)), r));
    x = nx;
}

HWY_INLINE void StepMap3(V& x, V& y, V a, V b) {
    const D d;
    const V t1 = Single(hn::Sub(hn::Sub(hn::Set(d, 1.0), hn::Mul(x, a)), hn::Mul(y, b)));
    const V t2 = Single(hn::Sub(hn::Mul(x, b), hn::Mul(y, a)));
    const V r = hn::Add(hn::Mul(y, y), hn::Mul(x, x));
    x = Single(hn::Sub(t1, hn::Div(t1, r)));
    y = Single(hn::Add(t2, hn::Div(t2, r)));
}

// One point per lane. qpx/qpy cache fl(px / 10000) and fl(py / 10000) for map 1.
struct Lanes {
    V x, y, a, b, px, py, qpx, qpy;
    V step;   // outer step index i
    V left;   // map steps left in this outer step
    V index;  // the point's position in the run, -1 when idle
};

// Hands out the points of the run to lanes whose point has stopped.
class Feeder {
public:
    Feeder(const PointInputs& points, std::uint8_t* counts, int firstSteps)
        : points_(points), counts_(counts), firstSteps_(firstSteps) {}

    std::size_t Active() const { return active_; }

    // Stores the counts of the finished lanes and gives them new points.
    HWY_NOINLINE void Refill(Lanes& l, M finished, V outcome) {
        const D d;
        constexpr std::size_t kMax = hn::MaxLanes(D());
        HWY_ALIGN double x[kMax], y[kMax], a[kMax], b[kMax], px[kMax], py[kMax], qpx[kMax], qpy[kMax];
        HWY_ALIGN double step[kMax], left[kMax], index[kMax], result[kMax];
        hn::Store(l.x, d, x);
        hn::Store(l.y, d, y);
        hn::Store(l.a, d, a);
        hn::Store(l.b, d, b);
        hn::Store(l.px, d, px);
        hn::Store(l.py, d, py);
        hn::Store(l.qpx, d, qpx);
        hn::Store(l.qpy, d, qpy);
        hn::Store(l.step, d, step);
        hn::Store(l.left, d, left);
        hn::Store(l.index, d, index);
        hn::Store(outcome, d, result);
        std::uint8_t bits[8] = {};
        hn::StoreMaskBits(d, finished, bits);
        for (std::size_t lane = 0; lane < hn::Lanes(d); ++lane) {
            if (!(bits[lane / 8] >> (lane % 8) & 1)) continue;
            if (index[lane] >= 0) {
                counts_[static_cast<std::size_t>(index[lane])] = static_cast<std::uint8_t>(result[lane]);
                --active_;
            }
            Load(lane, x, y, a, b, index, left);
            px[lane] = py[lane] = qpx[lane] = qpy[lane] = step[lane] = 0;
        }
        l.x = hn::Load(d, x);
        l.y = hn::Load(d, y);
        l.a = hn::Load(d, a);
        l.b = hn::Load(d, b);
        l.px = hn::Load(d, px);
        l.py = hn::Load(d, py);
        l.qpx = hn::Load(d, qpx);
        l.qpy = hn::Load(d, qpy);
        l.step = hn::Load(d, step);
        l.left = hn::Load(d, left);
        l.index = hn::Load(d, index);
    }

    // Fills every lane of a fresh group.
    void Start(Lanes& l) {
        const D d;
        l.x = l.y = l.a = l.b = l.px = l.py = l.qpx = l.qpy = l.step = l.left = hn::Zero(d);
        l.index = hn::Set(d, -1.0);
        Refill(l, hn::FirstN(d, hn::Lanes(d)), hn::Zero(d));
    }

private:
    void Load(std::size_t lane, double* x, double* y, double* a, double* b, double* index, double* left) {
        if (next_ < points_.count) {
            x[lane] = points_.x[next_];
            y[lane] = points_.y[next_];
            a[lane] = points_.a[next_];
            b[lane] = points_.b[next_];
            index[lane] = static_cast<double>(next_);
            left[lane] = firstSteps_;
            ++next_;
            ++active_;
        } else {
            // An idle lane iterates a harmless fixed point and never reaches a test.
            x[lane] = -1;
            y[lane] = a[lane] = b[lane] = 0;
            index[lane] = -1;
            left[lane] = kIdle;
        }
    }

    const PointInputs& points_;
    std::uint8_t* counts_;
    int firstSteps_;
    std::size_t next_ = 0;
    std::size_t active_ = 0;
};

// Map steps of outer step `step` for every lane.
HWY_INLINE V StepsAt(const simd_detail::StepSchedule& schedule, V step) {
    const D d;
    V steps = hn::Set(d, schedule.first);
    for (int c = 0; c < schedule.changes; ++c)
        steps = hn::Add(steps, hn::IfThenElseZero(hn::Ge(step, hn::Set(d, schedule.at[c])), hn::Set(d, schedule.by[c])));
    return steps;
}

// The lanes at the end of an outer step either stop with a count or go on.
template <int kMode>
HWY_INLINE void OuterStepEnds(Lanes& l, M boundary, const simd_detail::StepSchedule& schedule, V lastStep,
                              Feeder& feeder) {
    const D d;
    const M nan = hn::Or(hn::IsNaN(l.x), hn::IsNaN(l.y));
    const V s = Single(hn::Add(hn::Mul(l.y, l.y), hn::Mul(l.x, l.x)));
    const M same = hn::And(hn::Eq(l.x, l.px), hn::Eq(l.y, l.py));
    M stop;
    V count = l.step;
    V qx = l.qpx, qy = l.qpy;
    if constexpr (kMode == 1) {
        qx = Tenthousandth(l.x);
        qy = Tenthousandth(l.y);
        const M repeated = hn::And(hn::Eq(qx, l.qpx), hn::Eq(qy, l.qpy));
        stop = hn::Or(nan, hn::Or(hn::Gt(s, hn::Set(d, 1000000.0)), repeated));
        // A fixed point met at outer step 0 or 1 counts 0.
        count = hn::IfThenZeroElse(hn::And(same, hn::Lt(l.step, hn::Set(d, 2.0))), count);
    } else {
        stop = hn::Or(nan, hn::Or(hn::Gt(s, hn::Set(d, 10000.0)), same));
    }
    stop = hn::And(boundary, stop);
    const M goOn = hn::AndNot(stop, boundary);
    const V nextStep = hn::Add(l.step, hn::Set(d, 1.0));
    const M ran = hn::And(goOn, hn::Gt(nextStep, lastStep));
    l.px = hn::IfThenElse(goOn, l.x, l.px);
    l.py = hn::IfThenElse(goOn, l.y, l.py);
    if constexpr (kMode == 1) {
        l.qpx = hn::IfThenElse(goOn, qx, l.qpx);
        l.qpy = hn::IfThenElse(goOn, qy, l.qpy);
    }
    l.step = hn::IfThenElse(goOn, nextStep, l.step);
    l.left = hn::IfThenElse(goOn, StepsAt(schedule, l.step), l.left);
    const M finished = hn::Or(stop, ran);
    if (!hn::AllFalse(d, finished)) feeder.Refill(l, finished, hn::IfThenElse(stop, count, hn::Add(lastStep, hn::Set(d, 1.0))));
}

template <int kMode>
void CountRun(int maxIter, const PointInputs& points, std::uint8_t* counts) {
    const D d;
    const simd_detail::StepSchedule schedule(maxIter);
    const V lastStep = hn::Set(d, maxIter);
    Feeder feeder(points, counts, schedule.first);
    Lanes group[kGroups];
    for (Lanes& l : group) feeder.Start(l);
    while (feeder.Active() > 0) {
        for (Lanes& l : group) {
            if constexpr (kMode == 1) StepMap1(l.x, l.y, l.a, l.b);
            else StepMap3(l.x, l.y, l.a, l.b);
            l.left = hn::Sub(l.left, hn::Set(d, 1.0));
        }
        for (Lanes& l : group) {
            const M boundary = hn::Eq(l.left, hn::Zero(d));
            if (!hn::AllFalse(d, boundary)) OuterStepEnds<kMode>(l, boundary, schedule, lastStep, feeder);
        }
    }
}

void CountPointsTarget(int kernelMode, int maxIter, const PointInputs& points, std::uint8_t* counts) {
    if (maxIter < 1 || maxIter > simd_detail::kMaxLaneIter) {
        simd_detail::CountPointsScalar(kernelMode, maxIter, points, counts);
    } else if (kernelMode == 1) {
        CountRun<1>(maxIter, points, counts);
    } else if (kernelMode == 3) {
        CountRun<3>(maxIter, points, counts);
    } else {
        simd_detail::CountPointsScalar(kernelMode, maxIter, points, counts);
    }
}

#endif

}  // namespace velmora::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace velmora {

HWY_EXPORT(CountPointsTarget);

void CountPoints(int kernelMode, int maxIter, const PointInputs& points, std::uint8_t* counts) {
    HWY_DYNAMIC_DISPATCH(CountPointsTarget)(kernelMode, maxIter, points, counts);
}

std::vector<std::int64_t> SimdTargets() { return hwy::SupportedAndGeneratedTargets(); }

void ForceSimdTarget(std::int64_t target) { hwy::SetSupportedTargetsForTest(target); }

std::string SimdTargetName(std::int64_t target) { return hwy::TargetName(target); }

}  // namespace velmora
#endif
