#pragma once
#include "render/BandedPicture.h"
#include "render/Random.h"

namespace velmora {

// A picture of width x height pixels any rectangle of which is drawn on its own, pixel for pixel as the whole
// render draws it in copy mode on a white canvas (`dot` pixels per point): counts through the kernels, random
// colours from the place their numbers have in the sequence the walk draws. Drawing a few small rectangles
// costs their area, not the picture's. Several threads may draw at once.
class PointPicture {
public:
    // `colours.random` is the generator as it stands before the render; it is copied, not moved on.
    PointPicture(const RenderParams& whole, int width, int height, int dot, PointColours colours);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The width x height pixels from (x, y), row by row, all inside the picture.
    void Draw(int x, int y, int width, int height, Pixel* pixels) const;

private:
    // Whether point (px, py) is drawn at all: inside the walk's columns and rows, in a pass it makes.
    bool Drawn(std::int64_t px, std::int64_t py) const;
    void DrawCounts(std::int64_t px0, std::int64_t py0, int columns, int rows, Pixel* points) const;
    void DrawRandom(std::int64_t px0, std::int64_t py0, int columns, int rows, Pixel* points) const;

    RenderParams whole_;
    int width_, height_, dot_;
    PointColours colours_;
    UniformSource start_;
    RandomChannels channels_;
    int passAt_[4][4] = {};
};

}  // namespace velmora
