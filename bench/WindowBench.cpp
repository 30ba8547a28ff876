#include <benchmark/benchmark.h>

#include <QApplication>

#include <clocale>

#include "app/MainForm.h"
#include "bench/BenchInputs.h"

using namespace velmora;

namespace {

// Start to "OK" of the main window, shown on the offscreen platform: a
// fractal preset at size 48 (4096 x 2896) in high resolution, with every
// yield, plot, thumbnail copy and repaint of a real render. process_cpu_s is
// the CPU time of all threads per Start, for runs on a shared machine.
void BM_WindowStartToOk(benchmark::State& state) {
    MainForm form;
    form.show();
    form.OptionPt[static_cast<std::size_t>(state.range(0))]->SetValue(true);
    form.Check1->SetValue(1);
    form.HScroll1->SetValue(48);
    const double cpuStart = bench::ProcessSeconds();
    for (auto _ : state) {
        form.Strt_Click();
        if (form.Label2->text() != QStringLiteral("OK")) state.SkipWithError("the render did not finish");
    }
    state.counters["process_cpu_s"] = (bench::ProcessSeconds() - cpuStart) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_WindowStartToOk)->DenseRange(0, 3)->ArgName("pattern")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt hands the user's locale to the C library; the benchmark library reads its flags and writes its figures
    // through it, with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
