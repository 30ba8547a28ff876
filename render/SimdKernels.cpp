// Compiled once per instruction set by Highway's foreach_target; the
// processor's best one is chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "render/SimdKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <cpuid.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <iterator>
#include <utility>
#include <vector>

#include "common/HugePages.h"
#include "render/CalcBas.h"
#include "render/SimdKernels.h"

#ifndef VELMORA_SIMD_KERNELS_ONCE
#define VELMORA_SIMD_KERNELS_ONCE
namespace velmora::simd_detail {

// The largest last outer step index the lane kernels take (counts must fit a byte).
inline constexpr int kMaxLaneIter = 254;

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

// Independent vectors advanced together, so that the long divisions of one
// overlap with the work of the others.
constexpr int kGroups = 6;

// Outer steps run in a row before the points that stopped leave: packing the
// rest after every outer step cost more than the steps of the few points
// that stop early in a span and go on stepping uselessly to its end.
constexpr int kSpan = 3;

// fl(v): rounded to single (ties to even, subnormals kept, overflow to infinity).
HWY_INLINE V Single(V v) { return hn::PromoteTo(D(), hn::DemoteTo(DF(), v)); }

// fl(v / 10000), as defined: the double quotient rounded to single. (A single
// division would give the same bits, but with a subnormal dividend, which
// decaying orbits pass through, single division is several times slower on
// some processors.)
HWY_INLINE V Tenthousandth(V v) { return Single(hn::Div(v, hn::Set(D(), 10000.0))); }

// A product of two singles is exact in double (24 + 24 bits, and no single
// is large or small enough for the product to leave the double range).
// Hence, where such a product is added to a double, a fused multiply-add
// (one rounding of the exact a * b + c) gives the same bits as the defined
// product-then-sum: the product's own rounding changes nothing. Targets
// without fused multiply-add do the two operations, again with the same
// result. Products of two singles that map 1 rounds to single are taken in
// single arithmetic: rounding the exact product once gives the correctly
// rounded single product. yf is y as a single.
using VF = hn::Vec<DF>;
HWY_INLINE void StepMap1(V& x, V& y, VF& yf, V a, V b) {
    const D d;
    const DF df;
    const V t1 = hn::NegMulAdd(y, b, hn::NegMulAdd(x, a, hn::Set(d, 1.0)));
    const V t2 = hn::MulSub(y, a, hn::Mul(x, b));
    const V r = hn::Add(hn::Mul(t2, t2), hn::Mul(t1, t1));
    const V dd = hn::Sub(a, x);
    const VF w = hn::DemoteTo(df, hn::Sub(b, y));
    const VF nxf = hn::DemoteTo(df, hn::Div(hn::Sub(hn::Mul(x, dd), hn::PromoteTo(d, hn::Mul(yf, w))), r));
    const V nx = hn::PromoteTo(d, nxf);
    yf = hn::DemoteTo(df, hn::Div(hn::Add(hn::PromoteTo(d, hn::Mul(nxf, w)), hn::Mul(y, dd)), r));
    y = hn::PromoteTo(d, yf);
    x = nx;
}

HWY_INLINE void StepMap3(V& x, V& y, V a, V b) {
    const D d;
    const V t1 = Single(hn::NegMulAdd(y, b, hn::NegMulAdd(x, a, hn::Set(d, 1.0))));
    const V t2 = Single(hn::MulSub(x, b, hn::Mul(y, a)));
    const V r = hn::MulAdd(y, y, hn::Mul(x, x));
    x = Single(hn::Sub(t1, hn::Div(t1, r)));
    y = Single(hn::Add(t2, hn::Div(t2, r)));
}

// The escape test fl(s) > limit for s = Y·Y + X·X, given the bound that
// stands for the limit; it also stops a point with a NaN coordinate, whose s
// is NaN (no comparison with NaN holds, so "not s <= bound" is true).
HWY_INLINE M Escaped(V s, double bound) { return hn::Not(hn::Le(s, hn::Set(D(), bound))); }

// The lanes a mask selects, for storing them next to each other. Each call
// writes a whole vector from `to` on and returns how many lanes it selected.
// (Highway's own compressing stores are slow here: a memory-destination
// compress on some processors, a table copied for every call on others.)
class Selection {
public:
    explicit Selection(M mask) : mask_(mask), count_(hn::CountTrue(D(), mask)) {
#if HWY_TARGET == HWY_AVX2
        order_ = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kOrder[_mm256_movemask_pd(mask.raw)].data()));
#elif HWY_TARGET != HWY_AVX3 && HWY_TARGET != HWY_AVX3_DL
        std::uint8_t bits[8] = {};
        hn::StoreMaskBits(D(), mask, bits);
        std::size_t k = 0;
        for (std::size_t lane = 0; lane < hn::Lanes(D()); ++lane)
            if (bits[0] >> lane & 1) lane_[k++] = lane;
#endif
    }

    std::size_t Pack(V v, double* to) const {
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
        _mm512_storeu_pd(to, _mm512_maskz_compress_pd(mask_.raw, v.raw));
#elif HWY_TARGET == HWY_AVX2
        _mm256_storeu_pd(to, _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(v.raw), order_)));
#else
        HWY_ALIGN double lanes[hn::MaxLanes(D())];
        hn::Store(v, D(), lanes);
        for (std::size_t k = 0; k < count_; ++k) to[k] = lanes[lane_[k]];
#endif
        return count_;
    }

private:
    M mask_;
    std::size_t count_;
#if HWY_TARGET == HWY_AVX2
    // For each 4-bit lane mask: the 32-bit halves of the selected lanes first.
    static constexpr auto kOrder = [] {
        std::array<std::array<std::int32_t, 8>, 16> order{};
        for (int bits = 0; bits < 16; ++bits) {
            int k = 0;
            for (int lane = 0; lane < 4; ++lane)
                if (bits >> lane & 1) {
                    order[bits][2 * k] = 2 * lane;
                    order[bits][2 * k + 1] = 2 * lane + 1;
                    ++k;
                }
        }
        return order;
    }();
    __m256i order_;
#elif HWY_TARGET != HWY_AVX3 && HWY_TARGET != HWY_AVX3_DL
    std::size_t lane_[hn::MaxLanes(D())] = {};
#endif
};

// The points still running at the start of an outer step, one array per
// quantity. The outer step's start point is also the previous point (PX, PY)
// of its stop test; qx, qy hold fl(PX / 10000) and fl(PY / 10000) for map 1.
// `index` holds 256 times the point's index, so that adding a count (at most
// 255) gives the point's log entry, exact while the index is below 2^45.
struct Running {
    double *x, *y, *a, *b, *qx, *qy, *index;
    std::size_t count = 0;

    Running(double* storage, std::size_t stride)
        : x(storage), y(x + stride), a(y + stride), b(a + stride), qx(b + stride), qy(qx + stride), index(qy + stride) {}
};

// Every lane runs the same outer step; between outer steps the points that
// stopped leave and the rest are packed together, so no lane waits idle for
// a slow point and the stop test runs once per outer step.
template <int kMode>
void CountRun(int maxIter, const PointInputs& points, std::uint8_t* counts) {
    const D d;
    const std::size_t lanes = hn::Lanes(d);
    const std::size_t chunk = kGroups * lanes;
    // Arrays overhang by a chunk: the last chunk reads and writes whole vectors.
    const std::size_t stride = points.count + chunk;
    // Kept per thread: allocating and clearing it for every block cost more
    // than a tenth of the time (fresh pages on every call). Huge pages, as
    // faulting in its ordinary pages cost each thread milliseconds.
    thread_local HugePageBuffer storage;
    if (storage.size() < 15 * stride * sizeof(double)) storage = HugePageBuffer(15 * stride * sizeof(double));
    double* const kept = static_cast<double*>(storage.data());
    Running now(kept, stride), next(kept + 7 * stride, stride);
    for (std::size_t i = 0; i < points.count; ++i) {
        now.x[i] = points.x[i];
        now.y[i] = points.y[i];
        now.a[i] = points.a[i];
        now.b[i] = points.b[i];
        now.qx[i] = now.qy[i] = 0;  // fl(0 / 10000) of the start's previous point (0, 0)
        now.index[i] = 256.0 * static_cast<double>(i);
    }
    now.count = points.count;
    // Every point enters the log once, when it stops or after the last outer
    // step, as 256 * index + count.
    double* const log = kept + 14 * stride;
    std::size_t logged = 0;
    for (int step = 0; step <= maxIter && now.count > 0; step += kSpan) {
        const int span = std::min(kSpan, maxIter + 1 - step);
        int mapSteps[kSpan] = {};
        for (int j = 0; j < span; ++j) mapSteps[j] = CalcBas::MapStepsAt(step + j, maxIter);
        const bool last = step + span - 1 == maxIter;
        next.count = 0;
        for (std::size_t base = 0; base < now.count; base += chunk) {
            V x[kGroups], y[kGroups], a[kGroups], b[kGroups];
            VF yf[kGroups];
            for (int g = 0; g < kGroups; ++g) {
                const std::size_t at = base + g * lanes;
                x[g] = hn::LoadU(d, now.x + at);
                y[g] = hn::LoadU(d, now.y + at);
                a[g] = hn::LoadU(d, now.a + at);
                b[g] = hn::LoadU(d, now.b + at);
                yf[g] = hn::DemoteTo(DF(), y[g]);
            }
            // Per vector: the lanes stopped so far in this span and their counts.
            M done[kGroups];
            V count[kGroups], qx[kGroups], qy[kGroups];
            for (int g = 0; g < kGroups; ++g) {
                const std::size_t at = base + g * lanes;
                done[g] = hn::FirstN(d, 0);
                count[g] = hn::Zero(d);
                if constexpr (kMode == 1) {
                    qx[g] = hn::LoadU(d, now.qx + at);
                    qy[g] = hn::LoadU(d, now.qy + at);
                }
            }
            for (int j = 0; j < span; ++j) {
                const int outer = step + j;
                const V stepValue = hn::Set(d, outer);
                V px[kGroups], py[kGroups];
                for (int g = 0; g < kGroups; ++g) {
                    px[g] = outer == 0 ? hn::Zero(d) : x[g];
                    py[g] = outer == 0 ? hn::Zero(d) : y[g];
                }
                for (int k = 0; k < mapSteps[j]; ++k) {
#pragma GCC unroll 8
                    for (int g = 0; g < kGroups; ++g) {
                        if constexpr (kMode == 1) StepMap1(x[g], y[g], yf[g], a[g], b[g]);
                        else StepMap3(x[g], y[g], a[g], b[g]);
                    }
                }
                for (int g = 0; g < kGroups; ++g) {
                    const V s = hn::MulAdd(y[g], y[g], hn::Mul(x[g], x[g]));
                    const auto same = [&] { return hn::And(hn::Eq(x[g], px[g]), hn::Eq(y[g], py[g])); };
                    M stop;
                    V stepCount = stepValue;
                    if constexpr (kMode == 1) {
                        const V nqx = Tenthousandth(x[g]);
                        const V nqy = Tenthousandth(y[g]);
                        const M repeated = hn::And(hn::Eq(nqx, qx[g]), hn::Eq(nqy, qy[g]));
                        qx[g] = nqx;
                        qy[g] = nqy;
                        stop = hn::Or(Escaped(s, simd_detail::kEscapeBound1), repeated);
                        // A point that stops at outer step 0 or 1 on an exact fixed point counts 0.
                        if (outer < 2) stepCount = hn::IfThenElse(same(), hn::Zero(d), stepValue);
                    } else {
                        stop = hn::Or(Escaped(s, simd_detail::kEscapeBound3), same());
                    }
                    // After the last outer step every point still running counts maxIter + 1.
                    if (outer == maxIter) {
                        stepCount = hn::IfThenElse(stop, stepCount, hn::Set(d, maxIter + 1));
                        stop = hn::FirstN(d, lanes);
                    }
                    // Lanes that stopped earlier in the span keep stepping; their
                    // results are ignored.
                    count[g] = hn::IfThenElse(hn::AndNot(done[g], stop), stepCount, count[g]);
                    done[g] = hn::Or(done[g], stop);
                }
            }
            for (int g = 0; g < kGroups; ++g) {
                const std::size_t at = base + g * lanes;
                const M valid = hn::FirstN(d, at < now.count ? now.count - at : 0);
                const M stop = hn::And(valid, done[g]);
                // Stopped points are logged without a branch; whether a vector
                // holds one is as good as random.
                const Selection stopped(stop);
                logged += stopped.Pack(hn::Add(hn::LoadU(d, now.index + at), count[g]), log + logged);
                if (last) continue;
                const Selection goOn(hn::AndNot(stop, valid));
                const std::size_t to = next.count;
                next.count += goOn.Pack(x[g], next.x + to);
                goOn.Pack(y[g], next.y + to);
                goOn.Pack(a[g], next.a + to);
                goOn.Pack(b[g], next.b + to);
                goOn.Pack(hn::LoadU(d, now.index + at), next.index + to);
                if constexpr (kMode == 1) {
                    goOn.Pack(qx[g], next.qx + to);
                    goOn.Pack(qy[g], next.qy + to);
                }
            }
        }
        std::swap(now, next);
    }
    for (std::size_t k = 0; k < logged; ++k) {
        const auto entry = static_cast<std::uint64_t>(log[k]);
        counts[entry >> 8] = static_cast<std::uint8_t>(entry & 0xFF);
    }
}

void CountPointsTarget(int kernelMode, int maxIter, const PointInputs& points, std::uint8_t* counts) {
    if (maxIter < 0 || maxIter > simd_detail::kMaxLaneIter) {
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
namespace {

// Our own choice among the compiled instruction sets, so that no program
// loads Highway's library (which calibrates a timer whenever it loads).
// A target runs when the processor and the system support everything
// Highway's code for it may use; __builtin_cpu_supports also checks that
// the system saves the AVX and AVX-512 registers.
using CountFn = void (*)(int, int, const PointInputs&, std::uint8_t*);

struct Target {
    std::int64_t id;
    const char* name;
    CountFn count;
    bool (*runs)();
};

// Not every compiler's __builtin_cpu_supports knows these two; cpuid tells.
bool HasLzcntAndF16c() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 29))) return false;  // F16C
    return __get_cpuid(0x80000001u, &a, &b, &c, &d) && (c & (1u << 5));         // LZCNT
}

bool RunsSsse3() { return __builtin_cpu_supports("sse3") && __builtin_cpu_supports("ssse3"); }
bool RunsSse4() {
    return RunsSsse3() && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2") &&
           __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("aes");
}
bool RunsAvx2() {
    return RunsSse4() && __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") &&
           __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma") &&
           HasLzcntAndF16c();
}
bool RunsAvx3() {
    return RunsAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}
bool RunsAlways() { return true; }

// Best first; the last one, the instruction set the whole build assumes, runs everywhere.
const Target kTargets[] = {
#if (HWY_TARGETS & HWY_AVX3) && HWY_STATIC_TARGET != HWY_AVX3
    {HWY_AVX3, "AVX3", &N_AVX3::CountPointsTarget, &RunsAvx3},
#endif
#if (HWY_TARGETS & HWY_AVX2) && HWY_STATIC_TARGET != HWY_AVX2
    {HWY_AVX2, "AVX2", &N_AVX2::CountPointsTarget, &RunsAvx2},
#endif
#if (HWY_TARGETS & HWY_SSE4) && HWY_STATIC_TARGET != HWY_SSE4
    {HWY_SSE4, "SSE4", &N_SSE4::CountPointsTarget, &RunsSse4},
#endif
#if (HWY_TARGETS & HWY_SSSE3) && HWY_STATIC_TARGET != HWY_SSSE3
    {HWY_SSSE3, "SSSE3", &N_SSSE3::CountPointsTarget, &RunsSsse3},
#endif
    {HWY_STATIC_TARGET, hwy::TargetName(HWY_STATIC_TARGET), &HWY_STATIC_DISPATCH(CountPointsTarget), &RunsAlways},
};

CountFn Best() {
    for (const Target& t : kTargets)
        if (t.runs()) return t.count;
    return kTargets[std::size(kTargets) - 1].count;
}

std::atomic<CountFn> chosen{nullptr};

}  // namespace

void CountPoints(int kernelMode, int maxIter, const PointInputs& points, std::uint8_t* counts) {
    CountFn count = chosen.load(std::memory_order_relaxed);
    if (count == nullptr) {
        count = Best();
        chosen.store(count, std::memory_order_relaxed);
    }
    count(kernelMode, maxIter, points, counts);
}

std::vector<std::int64_t> SimdTargets() {
    std::vector<std::int64_t> targets;
    for (const Target& t : kTargets)
        if (t.runs()) targets.push_back(t.id);
    return targets;
}

void ForceSimdTarget(std::int64_t target) {
    CountFn count = Best();
    for (const Target& t : kTargets)
        if (t.id == target && t.runs()) count = t.count;
    chosen.store(count, std::memory_order_relaxed);
}

std::string SimdTargetName(std::int64_t target) {
    for (const Target& t : kTargets)
        if (t.id == target) return t.name;
    return "unknown";
}

}  // namespace velmora
#endif
