// Prints a digest of everything whose floating-point rounding defines a
// picture: the parameters Start reads from many typed and zoomed texts, the
// count grids of those renders, the kernels on awkward inputs, random colours,
// palettes and the numbers written back into the boxes.
//
// Built twice: against the optimised core, counting with the real engine on
// every instruction set, and against the same sources built without
// optimisation (VELMORA_REFERENCE), counting with the scalar kernels. The two
// digests must be equal line for line; a compiler, flag or code change that
// breaks an exact rounding makes them differ.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "common/Numbers.h"
#include "palette/ColorTable.h"
#include "region/RegionNav.h"
#include "render/CalcBas.h"
#include "render/Patterns.h"
#include "render/Random.h"
#include "tests/CountGrid.h"
#ifndef VELMORA_REFERENCE
#include "render/RenderEngine.h"
#include "render/SimdKernels.h"
#endif

using namespace velmora;
using test_grid::Crc32;

namespace {

// Cases are drawn from integers, so both builds make the same ones; the zoom
// and move applied to them are part of what is compared.
using Rng = std::mt19937_64;

int Pick(Rng& rng, int below) { return static_cast<int>(rng() % static_cast<std::uint64_t>(below)); }

// Texts a user may type, including those the lenient reading must cope with.
std::string OddText(Rng& rng) {
    static const char* const odd[] = {
        "0",      "-0",     "junk",   "",       " 1 .5",   "1E400",        "-1E400",
        "1E-44",  "-3E-44", "1.5E-40", "&H1F",  "&o17",    "1D3",          "2.5e-7",
        "1,5",    "1e-310", "-.5",    "7e+1",   ".0000001", "3.4028235E38", "-3.5E38",
        "123456789012345678"};
    return odd[Pick(rng, static_cast<int>(std::size(odd)))];
}

// A decimal with up to 3 integer and up to 9 fraction digits, sometimes odd.
std::string NumberText(Rng& rng) {
    if (Pick(rng, 12) == 0) return OddText(rng);
    std::string text = Pick(rng, 2) ? "-" : "";
    text += std::to_string(Pick(rng, 4) == 0 ? Pick(rng, 1000) : Pick(rng, 3));
    text += '.';
    for (int digits = 1 + Pick(rng, 9); digits > 0; --digits) text += static_cast<char>('0' + Pick(rng, 10));
    return text;
}

const char* const kKernelTags[] = {"1", "3", "1", "3", "1", "3", " 3 ", "1.4", "2.5", "6", "0"};

// The boxes as the window holds them; zoom and move read and write them as
// the region buttons do.
struct Boxes {
    std::string x0, x1, y0, y1;
};

void Zoom(Boxes& b, int index) {
    if (const auto z = ZoomRegion({Val(b.x0), Val(b.x1), Val(b.y0), Val(b.y1)}, index)) {
        b = {NumText(z->x0), NumText(z->x1), NumText(z->y0), NumText(z->y1)};
    }
}

void Move(Boxes& b, int index) {
    const bool horizontal = index < 2;
    std::string& first = horizontal ? b.x0 : b.y0;
    std::string& second = horizontal ? b.x1 : b.y1;
    const double p = Val(first), q = Val(second);
    if (const auto m = MoveRegion(horizontal ? Region{p, q, 0, 0} : Region{0, 0, p, q}, index)) {
        first = NumText(horizontal ? m->x0 : m->y0);
        second = NumText(horizontal ? m->x1 : m->y1);
    }
}

// A picture a user may reach: a preset's region zoomed and moved about, or
// typed texts; parameters near the preset's or typed.
PictureParameters RandomParameters(Rng& rng) {
    PictureParameters s = StartupParameters();
    const int pattern = Pick(rng, 4);
    ApplyPattern(s, pattern);
    Boxes boxes{s.x0, s.x1, s.y0, s.y1};
    if (Pick(rng, 5) == 0) {
        boxes = {NumberText(rng), NumberText(rng), NumberText(rng), NumberText(rng)};
    } else {
        for (int ops = Pick(rng, 16); ops > 0; --ops) {
            // Zoom in twice as often as out; move in any of the four directions.
            const int op = Pick(rng, 7);
            if (op < 3) Zoom(boxes, op == 2 ? 1 : 0);
            else Move(boxes, op - 3);
        }
    }
    s.x0 = boxes.x0, s.x1 = boxes.x1, s.y0 = boxes.y0, s.y1 = boxes.y1;
    switch (Pick(rng, 4)) {
    case 0: s.a = NumberText(rng), s.b = NumberText(rng); break;
    case 1: s.a += std::to_string(Pick(rng, 100)), s.b += std::to_string(Pick(rng, 100)); break;
    default: break;
    }
    if (Pick(rng, 6) == 0) s.kernelTag = kKernelTags[Pick(rng, static_cast<int>(std::size(kKernelTags)))];
    if (Pick(rng, 4) == 0) s.parameterPlane = !s.parameterPlane;
    s.pictureEffect = Pick(rng, 10) == 0;
    return s;
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

std::string Bits(float v) { return Hex(std::bit_cast<std::uint32_t>(v)); }

std::vector<std::uint8_t> GridCounts(const RenderParams& params) {
#ifdef VELMORA_REFERENCE
    return test_grid::GridOfCounts(params, *MakeInlineEngine()).counts;
#else
    // Every instruction set must give the best one's counts; a difference
    // shows as a line the reference never prints.
    const std::vector<std::uint8_t> best = test_grid::GridOfCounts(params, *MakeEngine(0)).counts;
    for (std::int64_t target : SimdTargets()) {
        ForceSimdTarget(target);
        if (test_grid::GridOfCounts(params, *MakeEngine(2)).counts != best)
            std::printf("  target %s differs\n", SimdTargetName(target).c_str());
    }
    ForceSimdTarget(0);
    return best;
#endif
}

// The plane coordinates of every column and row a render computes.
std::vector<std::uint8_t> CoordinateBytes(const RenderParams& p) {
    std::vector<std::uint8_t> bytes;
    const auto add = [&](float v) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(v);
        for (int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
    };
    for (std::int64_t px = 0; px < 4LL * p.Columns(); ++px) add(PointX(p, px));
    for (std::int64_t py = 0; py < 4LL * p.Rows(); ++py) add(PointY(p, py));
    return bytes;
}

// Every case prints what Start reads and the coordinates of its points;
// every third also counts its whole grid, mostly small ones.
void PrintRenders(int cases) {
    Rng rng(20261207);
    for (int i = 0; i < cases; ++i) {
        PictureParameters s = RandomParameters(rng);
        const bool counted = i % 3 == 0;
        const bool high = Pick(rng, counted ? 12 : 4) == 0;
        const int sizeValue = 32 + (counted ? (high ? 0 : Pick(rng, 4)) : Pick(rng, 21));
        const CanvasGrid grid = GridFor(SizeForValue(sizeValue), high);
        const RenderParams p = ReadRenderParams(s, grid.width, grid.height);
        std::printf("render %d: [%s] %d [%s] [%s] [%s] [%s] [%s] [%s] size %d%s effect %d\n", i, s.kernelTag.c_str(),
                    s.parameterPlane, s.a.c_str(), s.b.c_str(), s.x0.c_str(), s.x1.c_str(), s.y0.c_str(), s.y1.c_str(),
                    sizeValue, high ? "h" : "", s.pictureEffect);
        std::printf("  a %s b %s x1 %s y1 %s dx %s dy %s limits %lld %lld mode %d points %s\n", Bits(p.a).c_str(),
                    Bits(p.b).c_str(), Bits(p.x1).c_str(), Bits(p.y1).c_str(), Bits(p.dx).c_str(), Bits(p.dy).c_str(),
                    static_cast<long long>(p.columnLimit), static_cast<long long>(p.rowLimit), p.kernelMode,
                    Hex(Crc32(CoordinateBytes(p))).c_str());
        if (!counted || !p.UsesKernel()) continue;
        const std::vector<std::uint8_t> counts = GridCounts(p);
        std::printf("  counts %s sum %llu\n", Hex(Crc32(counts)).c_str(),
                    static_cast<unsigned long long>(test_grid::SumOf(counts)));
    }
}

// Kernel inputs of every kind: random bit patterns (NaN, infinities,
// subnormals, huge values) and ordinary values k / 2^m.
float AwkwardValue(Rng& rng) {
    if (Pick(rng, 6) == 0) return std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    return std::ldexp(static_cast<float>(Pick(rng, 1 << 20) - (1 << 19)), -Pick(rng, 24) - 1);
}

void PrintKernels(int points) {
    Rng rng(31);
    std::vector<float> x(points), y(points), a(points), b(points);
    for (int i = 0; i < points; ++i) x[i] = AwkwardValue(rng), y[i] = AwkwardValue(rng), a[i] = AwkwardValue(rng),
                                     b[i] = AwkwardValue(rng);
    for (int mode : {1, 3}) {
        std::vector<std::uint8_t> counts(points);
#ifdef VELMORA_REFERENCE
        for (int i = 0; i < points; ++i)
            counts[i] = static_cast<std::uint8_t>(mode == 1 ? CalcBas::IterateMap1(x[i], y[i], a[i], b[i], 31)
                                                            : CalcBas::IterateMap3(x[i], y[i], a[i], b[i], 31));
#else
        const PointInputs inputs{x.data(), y.data(), a.data(), b.data(), x.size()};
        CountPoints(mode, 31, inputs, counts.data());
        for (std::int64_t target : SimdTargets()) {
            ForceSimdTarget(target);
            std::vector<std::uint8_t> other(points);
            CountPoints(mode, 31, inputs, other.data());
            if (other != counts) std::printf("  target %s differs\n", SimdTargetName(target).c_str());
        }
        ForceSimdTarget(0);
#endif
        std::printf("kernel %d: %s\n", mode, Hex(Crc32(counts)).c_str());
    }
}

std::vector<std::uint8_t> BytesOf(const ColorTable& table) {
    std::vector<std::uint8_t> bytes;
    for (const auto& column : table.column)
        for (ColorValue c : column)
            for (int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<std::uint8_t>(c >> shift));
    return bytes;
}

void PrintColours() {
    ColorTable table;
    coltable(table);
    std::printf("palette default: %s\n", Hex(Crc32(BytesOf(table))).c_str());
    coltableB(table, DefaultStrip());
    std::printf("palette A: %s\n", Hex(Crc32(BytesOf(table))).c_str());
    coltableA(table, DefaultStrip());
    std::printf("palette B: %s\n", Hex(Crc32(BytesOf(table))).c_str());

    UniformSource source;
    const float exponents[] = {3.0f, 0.2f, 1.0f, 0.5f, 7.3f, 0.0f, 2.5f};
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 6000; ++i) {
        const ColorValue c = RandomColour(source, exponents[i % std::size(exponents)]);
        for (int shift : {0, 8, 16}) bytes.push_back(static_cast<std::uint8_t>(c >> shift));
    }
    std::printf("random colours: %s\n", Hex(Crc32(bytes)).c_str());
}

}  // namespace

int main() {
    PrintRenders(450);
    PrintKernels(40000);
    PrintColours();
    return 0;
}
