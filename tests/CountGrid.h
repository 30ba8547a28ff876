#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "render/CalcBas.h"
#include "render/PictureParameters.h"
#include "render/RenderWalk.h"

namespace velmora::test_grid {

// Every computed point of a render, row by row from the top, one byte per
// count: columns 0 to 4 * (column limit div 4) + 3 and rows likewise, all
// passes, as the engine hands them out in walk order.
struct CountGrid {
    int width = 0, height = 0;
    std::vector<std::uint8_t> counts;
};

inline CountGrid GridOfCounts(const RenderParams& params, CountEngine& engine) {
    CountGrid grid{4 * params.Columns(), 4 * params.Rows(), {}};
    grid.counts.assign(static_cast<std::size_t>(grid.width) * grid.height, 0);
    engine.Begin(params);
    for (int passIndex = 0; passIndex < params.PassCount(); ++passIndex) {
        const int pass = params.PassAt(passIndex);
        for (int column = 0; column < params.Columns(); ++column) {
            const std::uint8_t* c = engine.Column(passIndex, column);
            const int px = 4 * column + CalcBas::kPassX[pass];
            for (int row = 0; row < params.Rows(); ++row)
                grid.counts[static_cast<std::size_t>(4 * row + CalcBas::kPassY[pass]) * grid.width + px] = c[row];
        }
    }
    engine.End();
    return grid;
}

// The CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320), bit by bit:
// slow, but short enough to check by eye.
inline std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::uint64_t SumOf(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return sum;
}

// A picture as typed into the window: kernel tag, plane, a, b, X0, X1, Y0, Y1,
// size-bar value and resolution, read as Start reads them.
struct TypedPicture {
    const char* kernelTag;
    bool parameterPlane;
    const char *a, *b, *x0, *x1, *y0, *y1;
    int sizeValue;
    bool highResolution;
};

inline RenderParams ParamsOfTyped(const TypedPicture& t) {
    PictureParameters s = StartupParameters();
    s.kernelTag = t.kernelTag;
    s.parameterPlane = t.parameterPlane;
    s.a = t.a, s.b = t.b, s.x0 = t.x0, s.x1 = t.x1, s.y0 = t.y0, s.y1 = t.y1;
    const CanvasGrid grid = GridFor(SizeForValue(t.sizeValue), t.highResolution);
    return ReadRenderParams(s, grid.width, grid.height);
}

}  // namespace velmora::test_grid
