#include "app/print/QtPrinters.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>

#include <atomic>
#include <thread>

#include "colour/PrintedRows.h"
#include "files/AtomicFile.h"
#include "formats/PdfWriter.h"

namespace velmora {

namespace {

PaperChoice ChoiceOf(const QPageSize& size, const QMarginsF& marginsMm) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    const PageSize sheet{TwipsFromMm(mm.width()), TwipsFromMm(mm.height())};
    const PageRect printable{TwipsFromMm(marginsMm.left()), TwipsFromMm(marginsMm.top()),
                             TwipsFromMm(mm.width() - marginsMm.left() - marginsMm.right()),
                             TwipsFromMm(mm.height() - marginsMm.top() - marginsMm.bottom())};
    return {size.name(), size.key(), {sheet, printable}};
}

// The papers of a PDF file: the named sizes, printable to the edges, the platform's default (which follows the
// locale) first. A printing system that does not answer is not asked for its default: the locale gives it.
QList<PaperChoice> PdfPapers(bool askPlatform) {
    const QPageSize preferred =
        askPlatform ? QPrinter(QPrinter::HighResolution).pageLayout().pageSize()
                    : QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                         : QPageSize::A4);
    QList<PaperChoice> papers;
    for (const NamedPaper& named : kNamedPapers) {
        const QPageSize size(QSizeF(named.widthMm, named.heightMm), QPageSize::Millimeter, QString::fromLatin1(named.name),
                             QPageSize::FuzzyMatch);
        PaperChoice choice = ChoiceOf(size, {});
        choice.name = choice.media = QString::fromLatin1(named.name);
        if (size.isEquivalentTo(preferred)) papers.prepend(choice);
        else papers.append(choice);
    }
    return papers;
}

// Runs `work` on a thread of its own and waits for it with the window still painting, so a printing system that
// is slow to answer never freezes the window. Input waits meanwhile: no second job starts and no dialog closes
// under the one being sent.
template <class Work>
auto AwayFromTheWindow(const Work& work) {
    decltype(work()) result{};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = work();
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done) loop.quit();
    });
    // The usual answer comes within milliseconds and needs no event loop of its own; a slower one waits with
    // the window painting.
    for (int i = 0; i < 5 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    poll.start();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    worker.join();
    return result;
}

}  // namespace

QString QtPrinters::PdfFile() { return QCoreApplication::translate("velmora::QtPrinters", "PDF file"); }

QString QtPrinters::RefusalText(const PrintRefusal& refusal, const QString& queue) {
    const QString detail = QString::fromStdString(refusal.detail);
    switch (refusal.kind) {
    case PrintRefusal::Kind::NotInstalled:
        return QCoreApplication::translate("velmora::QtPrinters", "The printer \"%1\" is not installed any more.")
            .arg(queue);
    case PrintRefusal::Kind::NoAnswer:
        return QCoreApplication::translate("velmora::QtPrinters",
                                           "\"%1\" cannot take the print job: the printing system does not answer "
                                           "(%2).")
            .arg(queue, detail);
    case PrintRefusal::Kind::Refused:
        return QCoreApplication::translate("velmora::QtPrinters", "\"%1\" did not take the print job: %2")
            .arg(queue, detail);
    case PrintRefusal::Kind::WriteFailed:
        break;
    }
    return detail;
}

QtPrinters::QtPrinters(PdfPathChooser choosePdfPath) : choosePdfPath_(std::move(choosePdfPath)) {
    const QString systemDefault = SchedulerSilent() ? QString() : QPrinterInfo::defaultPrinterName();
    current_ = systemDefault.isEmpty() ? PdfFile() : systemDefault;
}

// The platform's own lookups wait minutes on a scheduler that takes connections and never answers. Once one has
// been found silent it is not asked again for a while, so the dialog's several lookups wait once.
bool QtPrinters::SchedulerSilent() const {
    constexpr auto kSilentFor = std::chrono::minutes(1);
    const auto now = std::chrono::steady_clock::now();
    if (silentAt_ && now - *silentAt_ < kSilentFor) return true;
    const bool silent = AwayFromTheWindow([] { return PrintingSystemSilent(); });
    silentAt_ = silent ? std::optional(now) : std::nullopt;
    return silent;
}

QStringList QtPrinters::DeviceNames() const {
    QStringList names = SchedulerSilent() ? QStringList() : QPrinterInfo::availablePrinterNames();
    names.append(PdfFile());
    return names;
}

bool QtPrinters::SelectPrinter(const QString& deviceName) {
    // The printer already chosen, or the PDF file, needs no question to the printing system.
    if (deviceName == current_ || deviceName == PdfFile()) {
        current_ = deviceName;
        return true;
    }
    if (!DeviceNames().contains(deviceName)) return false;
    current_ = deviceName;
    return true;
}

QList<PaperChoice> QtPrinters::Papers() const {
    const bool silent = SchedulerSilent();
    if (current_ == PdfFile() || silent) return PdfPapers(!silent);
    const QPrinterInfo info = QPrinterInfo::printerInfo(current_);
    QList<QPageSize> sizes = info.supportedPageSizes();
    const QPageSize preferred = info.defaultPageSize().isValid() ? info.defaultPageSize() : QPageSize(QPageSize::A4);
    sizes.removeIf([&](const QPageSize& size) { return size.isEquivalentTo(preferred); });
    sizes.prepend(preferred);
    // The printable area of each size is what the driver reports as its smallest margins.
    QPrinter printer(info, QPrinter::HighResolution);
    QList<PaperChoice> papers;
    for (const QPageSize& size : sizes) {
        printer.setPageSize(size);
        printer.setPageOrientation(QPageLayout::Portrait);
        QPageLayout layout = printer.pageLayout();
        layout.setUnits(QPageLayout::Millimeter);
        papers.append(ChoiceOf(size, layout.minimumMargins()));
    }
    return papers;
}

std::optional<PrintTarget> QtPrinters::Target(const QString& jobName) {
    if (current_ != PdfFile()) return PrintTarget{current_, {}, nullptr};
    const std::optional<QString> path = choosePdfPath_(jobName + QStringLiteral(".pdf"));
    if (!path || path->isEmpty()) return std::nullopt;
    return PrintTarget{current_, *path, nullptr};
}

PrintOutcome QtPrinters::PrintPages(const PrintTarget& target, const QString& jobName, const PictureRows& picture,
                                    const PageLayout& layout, const QString& media) {
    const auto& profile = target.profile;
    PdfPieces pieces(profile ? PrintedRows(picture, profile) : picture, layout, jobName.toStdString(),
                     profile ? &profile->File() : nullptr);
    const auto next = [&pieces] { return pieces.Next(); };
    // A PDF file is put in place whole, so a failed job never leaves a damaged file under the user's name; a
    // printer's job goes to the printing system, whose answer is what the user sees when it refuses the job.
    if (!target.pdfPath.isEmpty()) {
        if (auto reason = WriteFileAtomically(QFile::encodeName(target.pdfPath).toStdString(), next))
            return PrintOutcome::Failed(QStringLiteral("%1: %2").arg(target.pdfPath, QString::fromStdString(*reason)));
        return PrintOutcome::Printed(target.pdfPath);
    }
    int job = 0;
    if (auto refusal = PrintPdf(target.printer.toStdString(), jobName.toStdString(), media.toStdString(), next,
                                kPrintTimeoutSeconds, &job))
        return PrintOutcome::Failed(RefusalText(*refusal, target.printer));
    return PrintOutcome::Printed({}, job);
}

}  // namespace velmora
