#pragma once
#include <optional>
#include <string>
#include <vector>

#include "render/PictureParameters.h"
#include "tracking/SensorCheck.h"

namespace velmora {

struct RenderCommand {
    PictureParameters parameters;
    int threads = 0;  // 0: all cores
    bool quiet = false;
    std::string output;   // may be empty when only the tracking check is asked for
    bool tracking = false;  // print the sensor check's line
    std::string trackingMap;  // PNG file for the map of the sensor check
    SensorModel sensor;
    bool scalarKernels = false;  // the plain scalar kernels on the calling thread (benchmarks)
};

struct ParseResult {
    std::optional<RenderCommand> command;
    std::string error;  // one line naming the option, when command is empty
    bool help = false;
};

ParseResult ParseRenderCommand(const std::vector<std::string>& args);

std::string RenderUsage();

// Renders and writes the picture; returns the process exit status.
int RunRenderCommand(const RenderCommand& command);

}  // namespace velmora
