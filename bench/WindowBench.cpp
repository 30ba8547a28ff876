#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

#include <clocale>

#include "app/MainForm.h"
#include "app/print/FormPrint.h"
#include "app/print/QtPrinters.h"
#include "app/toolkit/Services.h"
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

// Answers every message box at once with its default button: the message that the job was taken would
// otherwise wait for a click on a screen nobody sees.
class Unattended : public Services {
public:
    MessageAnswer MessageBox(QWidget*, const QString&, const QString&, MessageButtons,
                             MessageAnswer defaultButton) override {
        return defaultButton;
    }
};

// The largest actual-size print, a 900 x 400 mm desk mat at 300 dpi (10630 x 4724 pixels), drawn and written
// into a PDF file while the window's event loop runs: longest_wait_ms is the longest the loop went without
// running a 1 ms timer, from the press of "Print" to the end of the job.
void BM_WindowPrintLongestWait(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mat.pdf"));
    QtPrinters printers{[&path](const QString&) { return std::optional<QString>(path); }};
    printers.SelectPrinter(QtPrinters::PdfFile());
    ScopedPrinters scoped{printers};
    Unattended services;
    ScopedServices unattended{services};
    MainForm form;
    form.show();
    form.Command2->click();
    FormPrint& dialog = *form.PrintDialog();
    dialog.Combo1->setCurrentIndex(dialog.Combo1->findText(QtPrinters::PdfFile()));
    dialog.PaperList->setCurrentIndex(dialog.PaperList->findText(QStringLiteral("A3")));
    dialog.ActualSizeOption->click();
    dialog.WidthMm->setValue(900);
    dialog.HeightMm->setValue(400);
    dialog.DpiBox->setValue(300);
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
        tick.start();
        sinceTick.start();
        dialog.Command1->click();
        while (dialog.Printing().Running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        longest = std::max(longest, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        if (!QFileInfo::exists(path)) state.SkipWithError("no PDF file was written");
    }
    state.counters["longest_wait_ms"] = longest;
}

}  // namespace

BENCHMARK(BM_WindowPrintLongestWait)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
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
