#pragma once
#include <string>

#include "export/PictureExport.h"
#include "render/PictureParameters.h"
#include "tracking/SensorCheck.h"

namespace velmora {

// One printed product: a picture, the size it is drawn at, and what is made
// of it. The command line, the export dialog and the print dialog's actual
// size each fill one; the picture's framing, its pages, its colour count and
// the size the tracking check assumes are derived from it below, so the same
// product is the same picture whichever route makes it.
struct Product {
    PictureParameters parameters;
    CanvasSize pixels{};
    // The file's format and quality, the resolution it records, in
    // widthMm x heightMm the physical size chosen for the picture, and its
    // bleed and crop marks.
    PictureFileOptions file;
    // Pages on a paper; without it a PDF page is the picture's own size.
    std::optional<PrintChoices> paper;
    // Whether a physical size was chosen at all; without one the tracking
    // check takes the picture at page width on A4.
    bool physicalSize = true;

    // What to make: a file, a printer's job of the pages, the sensor check.
    std::string output;
    std::string printer;
    std::string media;  // the paper's name for the printing system
    bool tracking = false;
    SensorModel sensor;
    int threads = 0;  // computing threads, 0: one per core
};

// The render of the product's picture: its pixels' grid framed on the
// drawing region (the region's height follows the picture's shape), each
// point coloured from `tableColumn` (the colour count's column of the table)
// or, for random colours, from `random`.
PictureExport DrawingOf(const Product& product, const ColorValue* tableColumn, UniformSource* random,
                        float randomExponent);

// The picture as the page layout sees it: its pixels, bleed included, over its grid.
PrintedPicture PrintedPictureOf(const Product& product);

// The pages of a PDF file or a print job: laid out on the paper, or one page
// of the picture's own size (the size chosen, or its pixels at the resolution).
PageLayout PagesOf(const Product& product);

// The size the whole picture prints at, as its pages place it.
PrintedSize PrintedSizeOf(const Product& product);

// The printed size of one drawn dot.
double PrintedDotOf(const Product& product);

}  // namespace velmora
