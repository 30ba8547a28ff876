#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "common/Colour.h"
#include "render/PictureParameters.h"
#include "render/Raster.h"

namespace velmora {

class UniformSource;

// Everything a render fixes at Start.
struct RenderParams {
    float a = 0, b = 0;
    bool parameterPlane = true;
    float x1 = 0, dx = 0, dy = 0;
    // Point row py shows y = fl((py + firstRow) * dy + y1). y1 is Y1 as read, or,
    // for a picture extended or cut about the region's centre, Y1 moved by that
    // many rows (not rounded, so the rows keep their places in the plane).
    double y1 = 0;
    std::int64_t firstRow = 0;  // the band's first point row in the whole picture
    // Point column px shows x = fl((px + firstColumn) * dx + x1): a picture
    // extended past its edges starts left of column 0 (so do its rows).
    std::int64_t firstColumn = 0;
    std::int64_t columnLimit = 0, rowLimit = 0;
    int kernelMode = 0;
    int passStep = 1;
    int maxIter = 31;

    // Points per pass along each axis: bases 0, 4, 8, ... up to the limit.
    int Columns() const { return columnLimit < 0 ? 0 : static_cast<int>(columnLimit / 4 + 1); }
    int Rows() const { return rowLimit < 0 ? 0 : static_cast<int>(rowLimit / 4 + 1); }
    // Passes p = 0, S, 2S, ... up to 15.
    int PassCount() const { return (15 / passStep) + 1; }
    int PassAt(int passIndex) const { return passIndex * passStep; }
    bool UsesKernel() const { return kernelMode == 1 || kernelMode == 3; }
};

// Reads the parameters leniently for a canvas grid of gridWidth x gridHeight
// points. The region's Y range spans `regionHeight` grid units where that is
// given (a picture beyond the canvas sizes, see PictureGridFor), the grid's
// height otherwise; a taller or shorter grid is centred on the region.
RenderParams ReadRenderParams(const PictureParameters& parameters, double gridWidth, double gridHeight,
                              double regionHeight = 0);

// The part of a render that draws point rows `firstRow` to `firstRow + rows - 1`
// of the whole, each computed exactly as the whole render computes it.
// `firstRow` and `rows` are multiples of 4, so the passes keep their rows.
RenderParams BandOf(const RenderParams& whole, std::int64_t firstRow, std::int64_t rows);

// Plane coordinates of point column px and point row py.
float PointX(const RenderParams& params, std::int64_t px);
float PointY(const RenderParams& params, std::int64_t py);

// The count of one point with the kernel the params name (0 for other modes).
int CountAt(const RenderParams& params, std::int64_t px, std::int64_t py);

// Produces the counts of a render in walk order: pass by pass, column by
// column, each column from the top row down. An engine may compute ahead of
// its reader.
class CountEngine {
public:
    virtual ~CountEngine() = default;
    virtual void Begin(const RenderParams& params) = 0;
    // Counts (0 to 32) of column `column` of pass index `passIndex`, one per row.
    // Columns are read in walk order; the pointer stays valid until the next call.
    virtual const std::uint8_t* Column(int passIndex, int column) = 0;
    // Ends the render, finished or stopped: nothing keeps running afterwards.
    virtual void End() = 0;
};

// Computes each column when it is asked for, on the caller's thread.
std::unique_ptr<CountEngine> MakeInlineEngine();

// The consumer of a walk: the window's driver or the command-line renderer.
class RenderSink {
public:
    virtual ~RenderSink() = default;
    virtual void PassBegins(int pass) = 0;
    // Paints one column; counts is null for kernel mode 6 (random colours).
    virtual void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) = 0;
    // After each column; returning true stops the render after this column.
    virtual bool ColumnEnds() = 0;
    // After each pass; returning true stops the render.
    virtual bool PassEnds(int pass) = 0;
};

// Walks every pass and column, handing the counts to the sink.
void WalkRender(const RenderParams& params, CountEngine& engine, RenderSink& sink);

// How points become pixels: colours are looked up when a point is plotted,
// so a palette changed during a render colours the points still to come.
struct PointPainter {
    Raster raster;
    int dot = 4;
    DrawMode mode = DrawMode::Copy;
    const ColorValue* tableColumn = nullptr;  // ColorTable column L, read live
    int colourCount = 16;                     // K
    UniformSource* random = nullptr;          // kernel mode 6
    const float* randomExponent = nullptr;    // read afresh for every column
    int threads = 1;                          // for random colours; 0: one per core

    void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) const;
    // Random colours for `columns` columns at px, px + 4, ..., drawn from the
    // sequence exactly as that many PaintColumn calls draw them. A large batch
    // is split among the threads, each starting at its own point of the
    // sequence (the points of one pass never share a pixel).
    void PaintRandomColumns(int pass, std::int64_t px, int columns, int rows) const;
    // The same points as PaintColumn for each of `columns` columns of counts,
    // painted row by row: on a wide canvas a column's pixels lie a whole
    // canvas row apart, and visiting each row once for many columns keeps the
    // writes in the cache. Counts only (no random colours).
    void PaintColumns(int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns, int rows) const;
};

// Renders a whole picture without yielding: the command-line renderer and tests.
void RenderPicture(const RenderParams& params, CountEngine& engine, const PointPainter& painter);

// Elapsed time as the window shows it: minutes, ":", seconds as "00.00".
std::string ElapsedText(std::uint32_t milliseconds);

}  // namespace velmora
