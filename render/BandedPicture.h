#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "render/CountCanvas.h"
#include "render/RenderWalk.h"

namespace velmora {

// Columns of counts, painted a batch at a time.
using PaintBatch = std::function<void(int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                                      int rows)>;

// A sink that keeps columns of counts and paints them a batch at a time, row
// by row (a column's points lie a whole row apart). `passEnds` runs after
// each pass and returns true to stop the render.
class BatchingSink final : public RenderSink {
public:
    BatchingSink(PaintBatch paintBatch, std::function<bool(int pass)> passEnds)
        : paintBatch_(std::move(paintBatch)), passEnds_(std::move(passEnds)) {}
    void PassBegins(int) override {}
    void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) override;
    bool ColumnEnds() override { return false; }
    bool PassEnds(int pass) override;
    void Flush();

private:
    static constexpr int kBatch = 16;
    std::vector<std::uint8_t> kept_[kBatch];
    std::int64_t px_[kBatch] = {};
    int pending_ = 0, pass_ = 0, rows_ = 0;
    PaintBatch paintBatch_;
    std::function<bool(int)> passEnds_;
};

// How the points of a picture get their colours.
struct PointColours {
    const ColorValue* tableColumn = nullptr;  // ColorTable column L
    int colourCount = 16;                     // K
    UniformSource* random = nullptr;          // kernel mode 6
    float randomExponent = 0;
};

// Draws a picture of counts (any kernel mode but random colours) in copy mode
// a band of rows at a time and hands its rows to an encoder in any order: a
// band is drawn when one of its rows is first asked for, so memory grows with
// the picture's width, not its area. Every point is computed as the whole
// render computes it, so the picture is the same pixel for pixel.
class BandedPicture {
public:
    // `whole` is the render of the whole picture of width x height pixels
    // with dots of `dot` pixels; `bandHeight` pixel rows per band (a multiple
    // of 16; 0 chooses one for the width). The last `keptBands` bands drawn
    // are kept, so readers that come back to rows (the pages of a poster)
    // find them without drawing them again.
    BandedPicture(const RenderParams& whole, int width, int height, int dot, CountEngine& engine,
                  PointColours colours, int bandHeight = 0, int keptBands = 1);

    // Runs after each pass of each band with the part of the picture drawn so
    // far (0 to 1); returning true stops the drawing, and the rows not yet
    // drawn stay white.
    std::function<bool(double done)> progress;
    bool Stopped() const { return stopped_; }

    // The picture's rows, valid while this object lives.
    PictureRows Rows();
    // The distinct colours of the picture in ascending order, as PictureColours
    // gives them: exact for a picture of one band (drawn first if need be),
    // otherwise every colour a count or the background can have.
    std::vector<Pixel> Colours();

    // About eight million pixels a band: a few megabytes of counts.
    static int BandHeightFor(int width);
    int BandHeight() const { return bandHeight_; }
    // How many bands have been drawn so far (a band drawn again counts again).
    int BandsDrawn() const { return drawn_; }

private:
    struct KeptBand {
        int band = -1;
        std::unique_ptr<CountCanvas> counts;  // none where the drawing was stopped
        PictureRows rows;
    };
    // The band, drawn now unless it is kept; the least recently used band makes room.
    KeptBand& Band(int band);

    RenderParams whole_;
    int width_, height_, dot_, bandHeight_, bands_;
    CountEngine& engine_;
    PointColours colours_;
    std::vector<KeptBand> kept_;  // the most recently used first
    std::size_t keptBands_;
    int drawn_ = 0;  // bands drawn so far, for the progress
    bool stopped_ = false;
    std::vector<Pixel> white_;
};

}  // namespace velmora
