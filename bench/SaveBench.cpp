#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "files/AtomicFile.h"
#include "formats/Bitmap.h"
#include "formats/Png.h"
#include "records/Profile.h"

namespace velmora {
namespace {

// The largest canvas: 8192 x 5792 pixels.
std::vector<Pixel> LargestCanvas() {
    std::vector<Pixel> pixels(8192u * 5792u);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<Pixel>(i * 2654435761u);
    return pixels;
}

void BM_EncodeLargestBmp(benchmark::State& state) {
    auto pixels = LargestCanvas();
    const Raster raster{pixels.data(), 8192, 5792, 8192};
    for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp24(raster, 11811));
}
BENCHMARK(BM_EncodeLargestBmp)->Unit(benchmark::kMillisecond);

void BM_WriteLargestBmpAtomically(benchmark::State& state) {
    auto pixels = LargestCanvas();
    const Raster raster{pixels.data(), 8192, 5792, 8192};
    const auto path = (std::filesystem::temp_directory_path() / "velmora-bench-save.bmp").string();
    for (auto _ : state) benchmark::DoNotOptimize(WriteFileAtomically(path, EncodeBmp24(raster, 11811)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteLargestBmpAtomically)->Unit(benchmark::kMillisecond);

// The PNG the window's Save picture as… writes: its colours counted, then
// encoded (more than 256 colours here, so RGB).
void BM_EncodeLargestPng(benchmark::State& state) {
    auto pixels = LargestCanvas();
    const Raster raster{pixels.data(), 8192, 5792, 8192};
    for (auto _ : state) benchmark::DoNotOptimize(EncodePng(raster));
}
BENCHMARK(BM_EncodeLargestPng)->Unit(benchmark::kMillisecond);

// A data file update: eleven keys into a file that also holds other lines.
void BM_UpdateDataFile(benchmark::State& state) {
    std::string contents = "; notes\n[Other]\nk=v\n\n[Initial]\nPtn=1\n";
    std::vector<ProfileEntry> entries;
    for (const char* key : {"App", "Date"}) entries.push_back({"Main", key, "value"});
    for (const char* key : {"Ptn", "HiRes", "Color", "a", "b", "x0", "x1", "y0", "y1"})
        entries.push_back({"Initial", key, "0.123456789"});
    for (auto _ : state) benchmark::DoNotOptimize(ProfileWithEntries(contents, entries));
}
BENCHMARK(BM_UpdateDataFile);

}  // namespace
}  // namespace velmora
