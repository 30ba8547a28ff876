#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/RenderCommand.h"

namespace velmora {
namespace {

constexpr const char* kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

// Seconds velmora-render takes for the desk mat's TIFF, with `extra` options.
double MatTiffSeconds(const std::string& path, std::vector<std::string> extra) {
    std::vector<std::string> args{"--mm", "900x400", "--dpi", "300", "--bleed", "3", "-o", path, "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    const ParseResult parsed = ParseRenderCommand(args);
    const auto start = std::chrono::steady_clock::now();
    if (!parsed.command || RunRenderCommand(*parsed.command) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The desk mat (900 x 400 mm at 300 dpi, 3 mm bleed) as a CMYK TIFF through a press profile against the RGB
// TIFF of the same picture: the seconds of each and their ratio (the counters), alternated so both see the
// same load.
void BM_MatTiffCmykAgainstRgb(benchmark::State& state) {
    if (!std::filesystem::exists(kCmykProfile)) return state.SkipWithError("no CMYK profile (Debian: libgs-common)");
    const auto path = (std::filesystem::temp_directory_path() / "velmora-bench-mat.tif").string();
    double rgb = 0, cmyk = 0;
    for (auto _ : state) {
        rgb += MatTiffSeconds(path, {});
        cmyk += MatTiffSeconds(path, {"--profile", kCmykProfile});
    }
    std::filesystem::remove(path);
    const double runs = static_cast<double>(state.iterations());
    state.counters["rgb_s"] = rgb / runs;
    state.counters["cmyk_s"] = cmyk / runs;
    state.counters["cmyk_per_rgb"] = cmyk / rgb;
}
BENCHMARK(BM_MatTiffCmykAgainstRgb)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
}  // namespace velmora
