#include <cstdio>
#include <string>
#include <vector>

#include "cli/RenderCommand.h"

// velmora-render with the plain scalar kernels on one thread: the same
// options, painting and file writing, for timing whole processes side by side
// (bench/compare-processes.sh).
int main(int argc, char** argv) {
    const velmora::ParseResult parsed = velmora::ParseRenderCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.command) {
        std::fprintf(stderr, "velmora-render-scalar: %s\n", parsed.help ? "takes velmora-render's options" : parsed.error.c_str());
        return 2;
    }
    velmora::RenderCommand command = *parsed.command;
    command.scalarKernels = true;
    return velmora::RunRenderCommand(command);
}
