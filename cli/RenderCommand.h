#pragma once
#include <optional>
#include <string>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "export/PictureExport.h"
#include "print/PrintJobs.h"
#include "print/PrintLayout.h"
#include "records/DataFile.h"
#include "render/PictureParameters.h"
#include "tracking/SensorCheck.h"

namespace velmora {

// The printed pages of a PDF file or a print job.
struct PageOptions {
    std::optional<PageSize> paper;  // --paper; without it the page is the picture's own size
    std::string media;              // the paper's name for the printing system
    bool landscape = false;
    std::optional<PageSize> size;  // --mm: the picture's size on paper; without it, page width (or 300 dpi)
    bool fill = false;
    double overlap = TwipsFromMm(10);
};

struct RenderCommand {
    PictureParameters parameters;
    std::optional<StripRows> strip;  // the palette strip of a data file; the default strip without one
    int threads = 0;  // 0: all cores
    bool quiet = false;
    std::string output;  // may be empty with --print or when only the tracking check is asked for
    bool tracking = false;  // print the sensor check's line
    bool suggest = false;   // below good tracking, try the changes that may help and print the best
    std::string trackingMap;  // PNG file for the map of the sensor check
    SensorModel sensor;
    bool physicalSize = false;  // --paper, --mm or --dpi: the check takes the printed size from them
    // The picture's pixels and its file: from --pixels, else --size, else
    // --mm at --dpi, else the settings' size.
    CanvasSize pixels{};
    PictureFileOptions file;
    std::string printer;  // --print: the CUPS queue that takes the pages
    double printTimeout = kPrintTimeoutSeconds;  // --print-timeout: seconds the printing system may stay silent
    PageOptions pages;
    bool scalarKernels = false;  // the plain scalar kernels on the calling thread (benchmarks)
};

struct ParseResult {
    std::optional<RenderCommand> command;
    std::string error;  // one line naming the option, when command is empty
    bool help = false;
};

ParseResult ParseRenderCommand(const std::vector<std::string>& args);

std::string RenderUsage();

// The pages a picture of `picture` pixels (its bleed included, `trim` without it) makes with these options.
PageLayout CommandPages(const PageOptions& options, const PrintedPicture& picture, CanvasSize trim,
                        const PictureFileOptions& file);

// Renders and writes the picture; returns the process exit status.
int RunRenderCommand(const RenderCommand& command);

}  // namespace velmora
