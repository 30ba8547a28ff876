#pragma once
#include <array>

#include "common/Colour.h"
#include "render/Raster.h"

namespace velmora {

// A picture read as grey levels, a run of one row at a time. Several threads may read at once.
class GreyPicture {
public:
    virtual ~GreyPicture() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The grey levels (0 black, 1 white) of pixels x to x + count - 1 of row y, all inside the picture.
    virtual void ReadRow(int x, int y, int count, float* grey) const = 0;
    // The grey levels of the width x height pixels from (x, y), row by row, all inside the picture. A picture
    // drawn as it is read draws the whole patch at once.
    virtual void ReadPatch(int x, int y, int width, int height, float* grey) const;
};

// The grey level a sensor sees of a colour: the relative luminance of the sRGB colour in linear light, since
// the light a printed dot reflects is what the sensor's photodiodes add up.
class Luminance {
public:
    Luminance();
    float operator()(Pixel p) const { return red_[(p >> 16) & 0xFF] + green_[(p >> 8) & 0xFF] + blue_[p & 0xFF]; }

private:
    std::array<float, 256> red_{}, green_{}, blue_{};
};

// The pixels of a raster as grey levels.
class RasterGrey final : public GreyPicture {
public:
    explicit RasterGrey(const Raster& raster) : raster_(raster) {}
    int Width() const override { return raster_.width; }
    int Height() const override { return raster_.height; }
    void ReadRow(int x, int y, int count, float* grey) const override;

private:
    Raster raster_;
    Luminance luminance_;
};

}  // namespace velmora
