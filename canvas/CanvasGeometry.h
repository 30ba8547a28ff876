#pragma once
#include <cstdint>

namespace velmora {

inline constexpr int kSizeMin = 32;
inline constexpr int kSizeMax = 52;
inline constexpr int kFrameOuterWidth = 625;
inline constexpr int kFrameOuterHeight = 545;

struct CanvasSize {
    int width, height;
};

// The canvas size for a size-bar value: W = floor(2^(v/4)), H = floor(W-ish * sqrt2 / 2).
CanvasSize SizeForValue(int value);

// The logical grid the driver walks and the dot each point paints.
struct CanvasGrid {
    double width, height;
    int dot;
};
CanvasGrid GridFor(CanvasSize size, bool highResolution);

// A pan bar's range for a canvas extent inside the frame's outer extent.
struct PanRange {
    std::int16_t maximum, smallChange, largeChange;
};
PanRange PanRangeFor(int frameExtent, int canvasExtent);

}  // namespace velmora
