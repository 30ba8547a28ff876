#pragma once
#include <optional>
#include <string>
#include <vector>

#include "export/Product.h"

namespace velmora {

// One run of velmora-render: the product it makes and how it reports.
struct RenderCommand {
    Product product;
    bool quiet = false;
    bool trackingLine = false;  // print the sensor check's line and advice
    std::string trackingMap;  // PNG file for the map of the sensor check
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

// Draws the picture once and makes of it the file, the print job and the sensor check the command asks for;
// returns the process exit status.
int RunRenderCommand(const RenderCommand& command);

}  // namespace velmora
