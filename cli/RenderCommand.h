#pragma once
#include <optional>
#include <string>
#include <vector>

#include "export/Product.h"
#include "print/PrintJobs.h"
#include "records/DataFile.h"

namespace velmora {

// One run of velmora-render: the product it makes and how it reports.
struct RenderCommand {
    Product product;
    std::optional<StripRows> strip;  // the palette strip of a data file; the default strip without one
    bool quiet = false;
    bool trackingLine = false;  // print the sensor check's line and advice
    bool suggest = false;       // below good tracking, try the changes that may help and print the best
    bool gamut = false;         // print the share of the surface the profile prints noticeably duller
    std::string trackingMap;  // PNG file for the map of the sensor check
    double printTimeout = kPrintTimeoutSeconds;  // --print-timeout: seconds the printing system may stay silent
    bool scalarKernels = false;  // the plain scalar kernels on the calling thread (benchmarks)
};

struct ParseResult {
    std::optional<RenderCommand> command;
    std::string error;  // one line naming the option, when command is empty
    bool help = false;
};

// The product the command line's options describe.
ParseResult ParseRenderCommand(const std::vector<std::string>& args);

std::string RenderUsage();

// Draws the picture once and makes of it the file and the print job the command asks for, then checks
// tracking on it; returns the process exit status.
int RunRenderCommand(const RenderCommand& command);

}  // namespace velmora
