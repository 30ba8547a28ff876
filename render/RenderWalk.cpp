#include "render/RenderWalk.h"

#include <algorithm>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "common/Numbers.h"
#include "render/CalcBas.h"
#include "render/Random.h"

namespace velmora {

namespace {
std::int64_t RoundedLimit(double gridExtent) {
    const double limit = RoundHalfEven(gridExtent - 3);
    // The canvas is at most 8192 pixels; anything beyond is no real grid.
    if (!(limit >= -1)) return -1;
    return limit > 1e9 ? static_cast<std::int64_t>(1e9) : static_cast<std::int64_t>(limit);
}
}  // namespace

RenderParams ReadRenderParams(const PictureParameters& in, double gridWidth, double gridHeight, double regionHeight) {
    RenderParams p;
    p.a = fl(Val(in.a));
    p.b = fl(Val(in.b));
    p.parameterPlane = in.parameterPlane;
    p.x1 = fl(Val(in.x1));
    const float y1 = fl(Val(in.y1));
    const double width = Val(in.x0) - p.x1;
    const double height = Val(in.y0) - y1;
    if (!(regionHeight > 0)) regionHeight = gridHeight;
    p.dx = fl(width / gridWidth);
    p.dy = fl(height / regionHeight);
    // Row 0 of a grid taller or shorter than the region's lies half the
    // difference above or below the region's first row.
    const double shift = (regionHeight - gridHeight) / 2;
    p.y1 = shift == 0 ? y1 : y1 + shift * p.dy;
    p.columnLimit = RoundedLimit(gridWidth);
    p.rowLimit = RoundedLimit(gridHeight);
    p.kernelMode = ToInt32(Val(in.kernelTag)).value_or(0);
    p.passStep = in.pictureEffect ? 16 : 1;
    p.maxIter = 31;
    return p;
}

float PointX(const RenderParams& p, std::int64_t px) {
    return fl(static_cast<double>(px + p.firstColumn) * p.dx + p.x1);
}

float PointY(const RenderParams& p, std::int64_t py) {
    return fl(static_cast<double>(py + p.firstRow) * p.dy + p.y1);
}

RenderParams BandOf(const RenderParams& whole, std::int64_t firstRow, std::int64_t rows) {
    RenderParams band = whole;
    band.firstRow = whole.firstRow + firstRow;
    // Row bases 0, 4, ... below both the band's end and the whole's limit.
    band.rowLimit = std::min(whole.rowLimit - firstRow, rows - 4);
    if (band.rowLimit < 0) band.rowLimit = -1;
    return band;
}

int CountAt(const RenderParams& p, std::int64_t px, std::int64_t py) {
    if (!p.UsesKernel()) return 0;
    const float x = PointX(p, px), y = PointY(p, py);
    const auto kernel = p.kernelMode == 1 ? &CalcBas::IterateMap1 : &CalcBas::IterateMap3;
    return p.parameterPlane ? kernel(p.a, p.b, y, x, p.maxIter) : kernel(x, y, p.a, p.b, p.maxIter);
}

namespace {

class InlineEngine final : public CountEngine {
public:
    void Begin(const RenderParams& params) override {
        params_ = params;
        column_.assign(static_cast<std::size_t>(params.Rows()), 0);
    }
    const std::uint8_t* Column(int passIndex, int column) override {
        const int pass = params_.PassAt(passIndex);
        const std::int64_t px = 4LL * column + CalcBas::kPassX[pass];
        for (int row = 0; row < params_.Rows(); ++row)
            column_[row] = static_cast<std::uint8_t>(CountAt(params_, px, 4LL * row + CalcBas::kPassY[pass]));
        return column_.data();
    }
    void End() override { std::vector<std::uint8_t>().swap(column_); }

private:
    RenderParams params_;
    std::vector<std::uint8_t> column_;
};

}  // namespace

std::unique_ptr<CountEngine> MakeInlineEngine() { return std::make_unique<InlineEngine>(); }

void WalkRender(const RenderParams& params, CountEngine& engine, RenderSink& sink) {
    const bool random = params.kernelMode == 6;
    if (!random) engine.Begin(params);
    for (int passIndex = 0; passIndex < params.PassCount(); ++passIndex) {
        const int pass = params.PassAt(passIndex);
        sink.PassBegins(pass);
        for (int column = 0; column < params.Columns(); ++column) {
            const std::int64_t px = 4LL * column + CalcBas::kPassX[pass];
            sink.PaintColumn(pass, px, random ? nullptr : engine.Column(passIndex, column), params.Rows());
            if (sink.ColumnEnds()) break;
        }
        if (sink.PassEnds(pass)) break;
    }
    if (!random) engine.End();
}

void PointPainter::PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) const {
    const int firstRow = CalcBas::kPassY[pass];
    if (counts && dot == 1 && mode == DrawMode::Copy) {
        // High resolution: one pixel per point, written directly. No event runs
        // within a column, so the table read once per column is the live one.
        if (px < 0 || px >= raster.width) return;
        constexpr int kCounts = 33;  // 0 to 32
        Pixel pixels[kCounts];
        for (int n = 0; n < kCounts; ++n) pixels[n] = PixelOf(tableColumn[n % colourCount]);
        for (int row = 0; row < rows; ++row) {
            const std::int64_t py = 4LL * row + firstRow;
            if (py >= raster.height) break;
            const int n = counts[row];
            raster.Row(static_cast<int>(py))[px] = n < kCounts ? pixels[n] : PixelOf(tableColumn[n % colourCount]);
        }
        return;
    }
    if (!counts) {
        PaintRandomColumns(pass, px, 1, rows);
        return;
    }
    for (int row = 0; row < rows; ++row)
        PlotPoint(raster, dot, mode, px, 4LL * row + firstRow, tableColumn[counts[row] % colourCount]);
}

void PointPainter::PaintRandomColumns(int pass, std::int64_t px, int columns, int rows) const {
    if (columns <= 0 || rows <= 0) return;
    const RandomChannels channels(*randomExponent);
    const int firstRow = CalcBas::kPassY[pass];
    const std::uint64_t drawsPerColumn = 3ULL * static_cast<std::uint64_t>(rows);
    // Columns first..last-1, drawn a group at a time and painted row by row:
    // a column's pixels lie a whole canvas row apart.
    auto paint = [&](int first, int last, UniformSource source) {
        constexpr int kGroup = 16;
        std::vector<ColorValue> colours(static_cast<std::size_t>(std::min(kGroup, last - first)) * rows);
        for (int start = first; start < last; start += kGroup) {
            const int group = std::min(kGroup, last - start);
            for (std::size_t i = 0; i < static_cast<std::size_t>(group) * rows; ++i) colours[i] = channels.Colour(source);
            for (int row = 0; row < rows; ++row) {
                const std::int64_t py = 4LL * row + firstRow;
                for (int c = 0; c < group; ++c) {
                    const ColorValue colour = colours[static_cast<std::size_t>(c) * rows + row];
                    const std::int64_t x = px + 4LL * (start + c);
                    if (dot != 1 || mode != DrawMode::Copy) PlotPoint(raster, dot, mode, x, py, colour);
                    else if (py < raster.height && x >= 0 && x < raster.width)
                        raster.Row(static_cast<int>(py))[x] = PixelOf(colour);
                }
            }
        }
    };
    // Below this many points a thread costs more than it saves.
    constexpr std::int64_t kPointsPerThread = 1 << 16;
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto useful = static_cast<int>(std::min<std::int64_t>(
        {static_cast<std::int64_t>(threads > 0 ? threads : cores), columns,
         std::max<std::int64_t>(1, static_cast<std::int64_t>(columns) * rows / kPointsPerThread)}));
    std::vector<std::jthread> helpers;
    for (int t = 1; t < useful; ++t) {
        const int first = static_cast<int>(static_cast<std::int64_t>(columns) * t / useful);
        const int last = static_cast<int>(static_cast<std::int64_t>(columns) * (t + 1) / useful);
        UniformSource start = *random;
        start.Skip(drawsPerColumn * static_cast<std::uint64_t>(first));
        helpers.emplace_back(paint, first, last, start);
    }
    paint(0, static_cast<int>(columns / useful), *random);
    helpers.clear();
    random->Skip(drawsPerColumn * static_cast<std::uint64_t>(columns));
}

void PointPainter::PaintColumns(int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                                int rows) const {
    const int firstRow = CalcBas::kPassY[pass];
    constexpr int kCounts = 33;  // 0 to 32
    Pixel pixels[kCounts];
    for (int n = 0; n < kCounts; ++n) pixels[n] = PixelOf(tableColumn[n % colourCount]);
    for (int row = 0; row < rows; ++row) {
        const std::int64_t py = 4LL * row + firstRow;
        if (dot == 1 && mode == DrawMode::Copy) {
            if (py >= raster.height) break;
            Pixel* line = raster.Row(static_cast<int>(py));
            for (int c = 0; c < columns; ++c) {
                const int n = counts[c][row];
                if (px[c] >= 0 && px[c] < raster.width)
                    line[px[c]] = n < kCounts ? pixels[n] : PixelOf(tableColumn[n % colourCount]);
            }
        } else {
            for (int c = 0; c < columns; ++c) PlotPoint(raster, dot, mode, px[c], py, tableColumn[counts[c][row] % colourCount]);
        }
    }
}

namespace {
class SilentSink final : public RenderSink {
public:
    explicit SilentSink(const PointPainter& painter) : painter_(painter) {}
    void PassBegins(int) override {}
    void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) override {
        painter_.PaintColumn(pass, px, counts, rows);
    }
    bool ColumnEnds() override { return false; }
    bool PassEnds(int) override { return false; }

private:
    const PointPainter& painter_;
};
}  // namespace

void RenderPicture(const RenderParams& params, CountEngine& engine, const PointPainter& painter) {
    SilentSink sink(painter);
    WalkRender(params, engine, sink);
}

std::string ElapsedText(std::uint32_t milliseconds) {
    // Hundredths of a second, the half rounded up as the "00.00" format does;
    // a time that rounds up to a whole minute shows as that minute, not ":60.00".
    const std::uint64_t hundredths = (static_cast<std::uint64_t>(milliseconds) + 5) / 10;
    const std::uint64_t minutes = hundredths / 6000, rest = hundredths % 6000;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu.%02llu", static_cast<unsigned long long>(minutes),
                  static_cast<unsigned long long>(rest / 100), static_cast<unsigned long long>(rest % 100));
    return text;
}

}  // namespace velmora
