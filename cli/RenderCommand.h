#pragma once
#include <optional>
#include <string>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "output/PictureExport.h"
#include "render/PictureSettings.h"

namespace velmora {

enum class PaletteChoice { Default, A, B };

struct RenderCommand {
    PictureSettings settings;
    PaletteChoice palette = PaletteChoice::Default;
    int threads = 0;  // 0: all cores
    bool quiet = false;
    std::string output;
    // The picture's pixels and its file: from --pixels, else --size, else
    // --mm at --dpi, else the settings' size.
    CanvasSize pixels{};
    PictureFileOptions file;
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
