#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "export/PictureExport.h"
#include "palette/ColorTable.h"
#include "render/Patterns.h"
#include "render/PictureParameters.h"
#include "render/Random.h"
#include "tracking/SensorCheck.h"
#include "tracking/Suggestions.h"
#include "tracking/TrackingReport.h"

using namespace velmora;

namespace {

// A picture whose grey levels come from a function of the pixel.
class SyntheticPicture final : public GreyPicture {
public:
    SyntheticPicture(int width, int height, std::function<float(int, int)> grey)
        : width_(width), height_(height), grey_(std::move(grey)) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void ReadRow(int x, int y, int count, float* grey) const override {
        for (int i = 0; i < count; ++i) grey[i] = grey_(x + i, y);
    }

private:
    int width_, height_;
    std::function<float(int, int)> grey_;
};

// Independent uniform grey levels in [0, 1), one per pixel.
float Noise(int x, int y) {
    std::uint64_t z = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15u + static_cast<std::uint64_t>(y) + 1;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return static_cast<float>((z ^ (z >> 31)) >> 40) / 16777216.0f;
}

// The printed size of a picture with `perSensorPixel` picture pixels to each 50 µm sensor pixel.
PrintedSize Printed(const GreyPicture& picture, double perSensorPixel) {
    return {picture.Width() * 0.05 / perSensorPixel, picture.Height() * 0.05 / perSensorPixel};
}

}  // namespace

TEST(SensorCheck, UniformSurfaceIsFlatAndFineNoiseTracks) {
    const SyntheticPicture grey(1200, 800, [](int, int) { return 0.5f; });
    const TrackingResult uniform = CheckTracking(grey, Printed(grey, 2));
    EXPECT_GT(uniform.FrameCount(), 200);
    EXPECT_EQ(uniform.flat, 1.0);
    EXPECT_EQ(uniform.tracks, 0.0);
    EXPECT_EQ(TrackingPercent(uniform), 0);
    EXPECT_EQ(TrackingAdvice(uniform, 0.1), std::vector<std::string>{"flat areas: choose another region or pattern"});

    const SyntheticPicture noise(1200, 800, Noise);
    const TrackingResult result = CheckTracking(noise, Printed(noise, 2));
    EXPECT_GE(result.tracks, 0.95);
    EXPECT_TRUE(TrackingAdvice(result, 0.1).empty());
    // One thread checks the same frames with the same verdicts.
    EXPECT_EQ(CheckTracking(noise, Printed(noise, 2), {}, 1).frames, result.frames);
}

TEST(SensorCheck, StripesAndACheckerboardOfTwoSensorPixelsAreAmbiguous) {
    // Random vertical stripes: nothing tells a motion along them from none.
    const SyntheticPicture stripes(1200, 800, [](int x, int) { return Noise(x, 0); });
    EXPECT_GE(CheckTracking(stripes, Printed(stripes, 2)).ambiguous, 0.95);

    // Squares of one sensor pixel: every motion by one pixel diagonally or two straight looks the same. Where
    // the sensor pixels straddle the squares the frame averages to flat grey; nowhere does it track.
    const SyntheticPicture checkerboard(1200, 800, [](int x, int y) { return ((x / 2 + y / 2) % 2) ? 1.0f : 0.0f; });
    const TrackingResult result = CheckTracking(checkerboard, Printed(checkerboard, 2));
    EXPECT_EQ(result.tracks, 0.0);
    EXPECT_GT(result.ambiguous, 0.5);
}

TEST(SensorCheck, NoiseFinerThanTheSensorOrInBlocksNearlyAFrameWideGetsItsAdvice) {
    const SyntheticPicture noise(3200, 2400, Noise);
    const TrackingResult coarse = CheckTracking(noise, Printed(noise, 2));
    const TrackingResult fine = CheckTracking(noise, Printed(noise, 16));
    // Averaging 16 x 16 independent pixels instead of 2 x 2 leaves an eighth of the standard deviation.
    EXPECT_NEAR(fine.frameContrast / coarse.frameContrast, 0.125, 0.03);
    EXPECT_GT(fine.flat, coarse.flat + 0.2);
    EXPECT_TRUE(DetailFinerThanSensor(fine));
    // The whole picture printed 2.5 mm wide is read in blocks for each frame; its contrast is all but gone.
    const TrackingResult tiny = CheckTracking(noise, Printed(noise, 64));
    EXPECT_EQ(tiny.FrameCount(), 4);
    EXPECT_EQ(tiny.flat, 1.0);
    EXPECT_NEAR(tiny.frameContrast / coarse.frameContrast, 1.0 / 32, 0.01);
    EXPECT_EQ(TrackingAdvice(fine, 0.1).front(),
              "detail finer than the sensor: normal resolution or a smaller dpi tracks better");

    // Black and white blocks of 4 x 4 pixels, each printed 1.3 mm wide: a frame sees a few blocks, often all
    // alike (flat) or two alike rows or columns (ambiguous along their edge). Printed 0.39 mm wide they track.
    const SyntheticPicture blocks(1216, 860, [](int x, int y) { return Noise(x / 4, y / 4) < 0.5f ? 0.0f : 1.0f; });
    const PrintedSize coarseSize{304 * 1.3, 215 * 1.3}, fineSize{304 * 0.39, 215 * 0.39};
    const TrackingResult coarseBlocks = CheckTracking(blocks, coarseSize);
    const std::string dotsAdvice =
        "dots nearly as large as the sensor's frame: a larger picture size or high resolution tracks better";
    EXPECT_LT(coarseBlocks.tracks, kGoodTracking);
    EXPECT_EQ(TrackingAdvice(coarseBlocks, PrintedDotMm(coarseSize, 1216, 4)).front(), dotsAdvice);
    // Dots of one pixel, 0.33 mm, are fine enough, whatever else is wrong.
    const auto fineDots = TrackingAdvice(coarseBlocks, PrintedDotMm(coarseSize, 1216, 1));
    EXPECT_FALSE(fineDots.empty());
    EXPECT_EQ(std::count(fineDots.begin(), fineDots.end(), dotsAdvice), 0);
    EXPECT_GE(CheckTracking(blocks, fineSize).tracks, kGoodTracking);
}

TEST(SensorCheck, FramesLieAFrameApartUntilTheirNumberIsCapped) {
    const SyntheticPicture grey(2000, 1000, [](int, int) { return 0.5f; });
    // 61.7 mm less the 1.7 mm a frame and its shifts need leaves 60 mm: 41 positions 1.5 mm apart.
    const TrackingResult pad = CheckTracking(grey, {61.7, 31.7});
    EXPECT_EQ(pad.columns, 41);
    EXPECT_EQ(pad.rows, 21);
    EXPECT_NEAR(pad.stepX * 61.7 / 2000, 1.5, 1e-9);
    EXPECT_NEAR(pad.firstX * 61.7 / 2000, 0.1 + 0.75, 1e-9);

    const TrackingResult mat = CheckTracking(grey, {900, 400});
    EXPECT_LE(mat.FrameCount(), kMaxFrames);
    EXPECT_GT(mat.FrameCount(), kMaxFrames / 2);

    EXPECT_EQ(CheckTracking(grey, {1.6, 1.6}).FrameCount(), 0);
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(CheckTracking(grey, {61.7, 31.7}, {}, 0, &stop).stopped);
}

TEST(SensorCheck, PictureStreamedRowByRowGetsTheSameVerdicts) {
    // Random colours with a flat band across the middle, printed coarse and so fine that it is read in blocks.
    std::vector<Pixel> pixels(900u * 700u);
    for (int y = 0; y < 700; ++y)
        for (int x = 0; x < 900; ++x)
            pixels[y * 900u + x] = y > 300 && y < 400 ? 0xFF808080u : 0xFF000000u | static_cast<Pixel>(Noise(x, y) * 16777215);
    const Raster raster{pixels.data(), 900, 700, 900};
    for (const double perSensorPixel : {2.0, 20.0}) {
        const PrintedSize size{900 * 0.05 / perSensorPixel, 700 * 0.05 / perSensorPixel};
        const TrackingResult whole = CheckTracking(RasterGrey(raster), size);
        const TrackingResult streamed = CheckTracking(RowsOf(raster), size);
        EXPECT_GT(whole.FrameCount(), 0);
        EXPECT_EQ(streamed.frames, whole.frames);
        EXPECT_EQ(streamed.frameContrast, whole.frameContrast);
    }
}

TEST(SensorCheck, PictureDrawnWhereTheFramesReadItGetsTheSameVerdicts) {
    // A fractal in each resolution (one with passes left out) and random colours, drawn whole as the export
    // draws it and drawn only under the frames.
    ColorTable table;
    coltable(table);
    struct Case {
        int pattern;
        bool high;
        int passStep;
    };
    for (const Case c : {Case{2, true, 1}, Case{0, false, 1}, Case{1, false, 3}, Case{4, false, 1}}) {
        PictureParameters s = StartupParameters();
        ApplyPattern(s, c.pattern);
        const CanvasSize pixels{700, 500};
        const PictureGrid grid = PictureGridFor(pixels, c.high);
        UniformSource random;
        PictureExport job;
        job.whole = ReadRenderParams(s, grid.grid.width, grid.grid.height, grid.regionHeight);
        job.whole.passStep = c.passStep;
        job.pixels = pixels;
        job.dot = grid.grid.dot;
        job.colours = {table.column[4].data(), 16, &random, s.randomExponent};
        const PointPicture points(WalkCovering(job.whole, pixels, job.dot), pixels.width, pixels.height, job.dot,
                                  job.colours);
        ExportRows rows(job);
        const PictureRows whole = rows.Rows();
        // A rectangle across the picture's right and bottom edges, with white where no point is drawn.
        std::vector<Pixel> drawn(90u * 70u);
        points.Draw(610, 430, 90, 70, drawn.data());
        bool same = true;
        for (int y = 0; y < 70; ++y) same = same && std::equal(drawn.begin() + y * 90, drawn.begin() + (y + 1) * 90, whole.row(430 + y) + 610);
        EXPECT_TRUE(same) << c.pattern;

        const PrintedSize size{700 * 0.05 / 1.7, 500 * 0.05 / 1.7};
        random = UniformSource{};
        ExportRows again(job);
        const TrackingResult streamed = CheckTracking(again.Rows(), size);
        const TrackingResult sparse = CheckTracking(points, size);
        EXPECT_GT(sparse.FrameCount(), 0);
        EXPECT_EQ(sparse.frames, streamed.frames) << c.pattern;
        EXPECT_EQ(sparse.frameContrast, streamed.frameContrast) << c.pattern;
    }
}

TEST(SensorCheck, SuggestionsAreChangesTriedThatTrackBetter) {
    ColorTable table;
    coltable(table);
    // Pattern 2's fine stripes in high resolution at 1000 dpi: normal resolution tracks better.
    PictureParameters stripes = StartupParameters();
    ApplyPattern(stripes, 2);
    stripes.highResolution = 1;
    const CheckedPicture fine = PictureAtSize(stripes, {20, 15}, 1000);
    const double tracks = CheckPicture(fine, table).tracks;
    ASSERT_LT(tracks, kGoodTracking);
    const auto suggestions = SuggestChanges(fine, table, tracks);
    const auto normal = std::find_if(suggestions.begin(), suggestions.end(), [](const Suggestion& s) {
        return s.change == PictureChange{ChangeKind::Resolution, 0};
    });
    ASSERT_NE(normal, suggestions.end());
    EXPECT_GT(normal->tracks, tracks);
    EXPECT_TRUE(std::is_sorted(suggestions.begin(), suggestions.end(),
                               [](const Suggestion& a, const Suggestion& b) { return a.tracks > b.tracks; }));
    // A region far from the fractal is one colour wherever it is moved or zoomed: nothing tracks better.
    PictureParameters far = StartupParameters();
    far.x0 = far.y0 = "1000";
    far.x1 = far.y1 = "1001";
    const CheckedPicture flat = PictureAtSize(far, {20, 15}, 300);
    const double flatTracks = CheckPicture(flat, table).tracks;
    for (const Suggestion& s : SuggestChanges(flat, table, flatTracks)) EXPECT_LT(s.tracks, kGoodTracking);
    // Changes keep to what the user could do: the page-width canvas steps its size, a printed size its dpi.
    const CheckedPicture canvas = CanvasAtPageWidth(stripes);
    const auto bigger = Changed(canvas, {ChangeKind::Size, stripes.sizeValue + 1});
    ASSERT_TRUE(bigger);
    EXPECT_EQ(bigger->pixels.width, SizeForValue(stripes.sizeValue + 1).width);
    EXPECT_NEAR(bigger->printed.widthMm, canvas.printed.widthMm, 1e-9);
    EXPECT_EQ(Changed(fine, {ChangeKind::Dpi, 300})->pixels.width, 236);
}
