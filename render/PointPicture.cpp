#include "render/PointPicture.h"

#include <algorithm>
#include <vector>

#include "render/CalcBas.h"
#include "render/SimdKernels.h"

namespace velmora {

namespace {
constexpr Pixel kWhite = 0xFFFFFFFFu;
}

PointPicture::PointPicture(const RenderParams& whole, int width, int height, int dot, PointColours colours)
    : whole_(whole),
      width_(width),
      height_(height),
      dot_(std::max(dot, 1)),
      colours_(colours),
      start_(colours.random ? *colours.random : UniformSource{}),
      channels_(colours.randomExponent) {
    for (int pass = 0; pass < 16; ++pass) passAt_[CalcBas::kPassY[pass]][CalcBas::kPassX[pass]] = pass;
}

bool PointPicture::Drawn(std::int64_t px, std::int64_t py) const {
    if (px / 4 >= whole_.Columns() || py / 4 >= whole_.Rows()) return false;
    return whole_.kernelMode == 6 || passAt_[py % 4][px % 4] % whole_.passStep == 0;
}

void PointPicture::Draw(int x, int y, int width, int height, Pixel* pixels) const {
    if (width <= 0 || height <= 0) return;
    // The points under the rectangle, drawn once each, then spread over their dot's pixels.
    const std::int64_t px0 = x / dot_, py0 = y / dot_;
    const int columns = static_cast<int>((x + width - 1) / dot_ - px0 + 1);
    const int rows = static_cast<int>((y + height - 1) / dot_ - py0 + 1);
    std::vector<Pixel> points(static_cast<std::size_t>(columns) * rows);
    if (whole_.kernelMode == 6)
        DrawRandom(px0, py0, columns, rows, points.data());
    else
        DrawCounts(px0, py0, columns, rows, points.data());
    for (int j = 0; j < height; ++j) {
        const Pixel* from = points.data() + static_cast<std::size_t>((y + j) / dot_ - py0) * columns;
        Pixel* to = pixels + static_cast<std::size_t>(j) * width;
        for (int i = 0; i < width; ++i) to[i] = from[(x + i) / dot_ - px0];
    }
}

void PointPicture::DrawCounts(std::int64_t px0, std::int64_t py0, int columns, int rows, Pixel* points) const {
    const std::size_t n = static_cast<std::size_t>(columns) * rows;
    std::vector<float> xs(n), ys(n), as(n, whole_.a), bs(n, whole_.b);
    for (int j = 0; j < rows; ++j) {
        const float py = PointY(whole_, py0 + j);
        for (int i = 0; i < columns; ++i) {
            const std::size_t at = static_cast<std::size_t>(j) * columns + i;
            xs[at] = PointX(whole_, px0 + i);
            ys[at] = py;
        }
    }
    // In the parameter plane the point is the map's parameters and a, b its start.
    const PointInputs inputs = whole_.parameterPlane ? PointInputs{as.data(), bs.data(), ys.data(), xs.data(), n}
                                                     : PointInputs{xs.data(), ys.data(), as.data(), bs.data(), n};
    std::vector<std::uint8_t> counts(n);
    CountPoints(whole_.kernelMode, whole_.maxIter, inputs, counts.data());
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const std::size_t at = static_cast<std::size_t>(j) * columns + i;
            points[at] = Drawn(px0 + i, py0 + j) ? PixelOf(colours_.tableColumn[counts[at] % colours_.colourCount])
                                                  : kWhite;
        }
}

void PointPicture::DrawRandom(std::int64_t px0, std::int64_t py0, int columns, int rows, Pixel* points) const {
    // Pass p's column c, row r draws its three numbers from number 3 (p * columns * rows + c * rows + r) on.
    const std::uint64_t walkColumns = static_cast<std::uint64_t>(whole_.Columns());
    const std::uint64_t walkRows = static_cast<std::uint64_t>(whole_.Rows());
    const UniformSource::Stride nextColumn(3 * walkRows);
    for (int j = 0; j < rows; ++j) {
        const std::int64_t py = py0 + j;
        Pixel* line = points + static_cast<std::size_t>(j) * columns;
        UniformSource phase[4];
        for (int k = 0; k < 4 && k < columns; ++k) {
            const std::int64_t px = px0 + k;
            const auto pass = static_cast<std::uint64_t>(passAt_[py % 4][px % 4]);
            phase[k] = start_;
            phase[k].Skip(3 * ((pass * walkColumns + static_cast<std::uint64_t>(px / 4)) * walkRows +
                               static_cast<std::uint64_t>(py / 4)));
        }
        for (int i = 0; i < columns; ++i) {
            if (!Drawn(px0 + i, py)) {
                line[i] = kWhite;
                continue;
            }
            UniformSource& at = phase[i % 4];
            UniformSource draws = at;
            line[i] = PixelOf(channels_.Colour(draws));
            at.Skip(nextColumn);
        }
    }
}

}  // namespace velmora
