#include <cstdio>
#include <string>
#include <vector>

#include "cli/RenderCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const velmora::ParseResult parsed = velmora::ParseRenderCommand(args);
    if (parsed.help) {
        std::fputs(velmora::RenderUsage().c_str(), stdout);
        return 0;
    }
    if (!parsed.command) {
        std::fprintf(stderr, "velmora-render: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    return velmora::RunRenderCommand(*parsed.command);
}
