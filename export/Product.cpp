#include "export/Product.h"

#include "palette/ColorTable.h"

namespace velmora {

PictureExport DrawingOf(const Product& product, const ColorValue* tableColumn, UniformSource* random,
                        float randomExponent) {
    const PictureGrid grid = PictureGridFor(product.pixels, product.parameters.HighResolution());
    PictureParameters parameters = product.parameters;
    parameters.pictureEffect = false;  // a product is drawn whole, never over a dropped picture
    PictureExport job;
    job.whole = ReadRenderParams(parameters, grid.grid.width, grid.grid.height, grid.regionHeight);
    job.pixels = product.pixels;
    job.dot = grid.grid.dot;
    job.colours = {tableColumn, ColourCountAt(parameters.colourIndex), random, randomExponent};
    job.file = product.file;
    job.file.pages = PagesOf(product);
    job.threads = product.threads;
    return job;
}

PrintedPicture PrintedPictureOf(const Product& product) {
    const CanvasSize pixels = FilePixels(product.pixels, product.file);
    const CanvasGrid grid = GridFor(pixels, product.parameters.HighResolution());
    return {pixels.width, pixels.height, static_cast<float>(grid.width), static_cast<float>(grid.height)};
}

PageLayout PagesOf(const Product& product) {
    const PrintedPicture picture = PrintedPictureOf(product);
    if (product.paper) return LayOutPages(picture, *product.paper);
    const PictureFileOptions& file = product.file;
    return OwnPage(picture,
                   file.widthMm > 0 && file.heightMm > 0
                       ? PageSize{TwipsFromMm(file.widthMm), TwipsFromMm(file.heightMm)}
                       : PageSize{product.pixels.width * kTwipsPerInch / file.dpi,
                                  product.pixels.height * kTwipsPerInch / file.dpi},
                   file);
}

PrintedSize PrintedSizeOf(const Product& product) {
    const PrintedPicture picture = PrintedPictureOf(product);
    if (!product.physicalSize) return PageWidthOnA4(picture.width, picture.height);
    const double mmPerPixel = kMmPerInch / PagesOf(product).dotsPerInch;
    return {picture.width * mmPerPixel, picture.height * mmPerPixel};
}

double PrintedDotOf(const Product& product) {
    return PrintedDotMm(PrintedSizeOf(product), product.pixels.width,
                        PictureGridFor(product.pixels, product.parameters.HighResolution()).grid.dot);
}

}  // namespace velmora
