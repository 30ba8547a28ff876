#include "canvas/CanvasGeometry.h"

#include <cmath>
#include <cstdlib>

#include "common/Numbers.h"

namespace velmora {

CanvasSize SizeForValue(int value) {
    const double k = value / 4.0;
    const double side = std::pow(2.0, k);
    return {static_cast<int>(std::floor(side)), static_cast<int>(std::floor(side * std::pow(2.0, 0.5) / 2))};
}

CanvasGrid GridFor(CanvasSize size, bool highResolution) {
    if (highResolution) return {static_cast<double>(size.width), static_cast<double>(size.height), 1};
    return {size.width / 4.0, size.height / 4.0, 4};
}

bool IsSeriesSize(CanvasSize pixels) {
    for (int v = kSizeMin; v <= kSizeMax; ++v) {
        const CanvasSize size = SizeForValue(v);
        if (size.width == pixels.width && size.height == pixels.height) return true;
    }
    return false;
}

RenderParams WalkCovering(RenderParams whole, CanvasSize pixels, int dot, int margin) {
    if (margin == 0 && IsSeriesSize(pixels)) return whole;
    whole.firstColumn -= margin;
    whole.firstRow -= margin;
    const int width = pixels.width + 2 * margin * dot, height = pixels.height + 2 * margin * dot;
    // Point bases run up to the limit, each covering four points: reach the last (partial) point.
    whole.columnLimit = (width + dot - 1) / dot - 1;
    whole.rowLimit = (height + dot - 1) / dot - 1;
    return whole;
}

CanvasSize ReferenceSize(int width) {
    CanvasSize nearest = SizeForValue(kSizeMin);
    for (int v = kSizeMin + 1; v <= kSizeMax; ++v) {
        const CanvasSize size = SizeForValue(v);
        if (std::abs(size.width - width) < std::abs(nearest.width - width)) nearest = size;
    }
    return nearest;
}

PictureGrid PictureGridFor(CanvasSize pixels, bool highResolution) {
    const CanvasSize reference = ReferenceSize(pixels.width);
    // Exact when the width is the reference's: W * SH is an integer below 2^53.
    const double regionPixels = static_cast<double>(pixels.width) * reference.height / reference.width;
    return {GridFor(pixels, highResolution), highResolution ? regionPixels : regionPixels / 4};
}

CanvasRect PictureOnCanvas(CanvasSize canvas, CanvasSize pixels, bool highResolution) {
    const PictureGrid picture = PictureGridFor(pixels, highResolution);
    if (!(picture.regionHeight > 0)) return {0, 0, static_cast<double>(canvas.width), static_cast<double>(canvas.height)};
    const double height = canvas.height * picture.grid.height / picture.regionHeight;
    return {0, (canvas.height - height) / 2, static_cast<double>(canvas.width), height};
}

CanvasSize PixelsForMillimetres(double widthMm, double heightMm, double dpi) {
    auto side = [dpi](double mm) {
        const double pixels = RoundHalfEven(mm / 25.4 * dpi);
        return pixels >= 0 && pixels <= 2e9 ? static_cast<int>(pixels) : 0;
    };
    return {side(widthMm), side(heightMm)};
}

int BleedPixels(double bleedMm, double dpi) {
    const double pixels = RoundHalfEven(bleedMm / 25.4 * dpi);
    return pixels > 0 && pixels <= 1e6 ? static_cast<int>(pixels) : 0;
}

PanRange PanRangeFor(int frameExtent, int canvasExtent) {
    const double maximum = RoundHalfEven(static_cast<double>(frameExtent) - canvasExtent);
    const double magnitude = std::fabs(maximum);
    return {static_cast<std::int16_t>(maximum), static_cast<std::int16_t>(RoundHalfEven(magnitude / 8 + 1)),
            static_cast<std::int16_t>(RoundHalfEven(magnitude / 2 + 1))};
}

}  // namespace velmora
