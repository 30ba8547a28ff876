#include "output/QtPrinters.h"

#include <QFile>
#include <QPainter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include "output/AtomicFile.h"

namespace velmora {

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kTwipsPerPoint = kTwipsPerInch / 72;

bool IsInstalled(const QString& deviceName) {
    return QPrinterInfo::availablePrinterNames().contains(deviceName);
}

// Draws `picture` stretched to `target` (1/1440 inch from the drawing origin) as the one page of a job on
// `printer`, and ends the job. Nothing on success, the reason otherwise.
std::optional<QString> PrintPage(QPrinter& printer, const QString& deviceName, const QImage& picture,
                                 const PageRect& target) {
    QPainter painter;
    if (!painter.begin(&printer)) return QStringLiteral("\"%1\" could not start the print job.").arg(deviceName);
    const double deviceUnitsPerTwip = printer.resolution() / kTwipsPerInch;
    painter.scale(deviceUnitsPerTwip, deviceUnitsPerTwip);
    // The picture is a texture: keep every pixel rather than let the PDF stream use JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QRectF(target.left, target.top, target.width, target.height), picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("\"%1\" could not finish the print job.").arg(deviceName);
    return std::nullopt;
}

}  // namespace

const QString QtPrinters::kPdfFile = QStringLiteral("PDF file");

QtPrinters::QtPrinters(PdfPathChooser choosePdfPath) : choosePdfPath_(std::move(choosePdfPath)) {
    const QString systemDefault = QPrinterInfo::defaultPrinterName();
    MakeCurrent(systemDefault.isEmpty() ? kPdfFile : systemDefault);
}

QtPrinters::~QtPrinters() = default;

QStringList QtPrinters::DeviceNames() const {
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.append(kPdfFile);
    return names;
}

bool QtPrinters::SelectPrinter(const QString& deviceName) {
    if (!DeviceNames().contains(deviceName)) return false;
    MakeCurrent(deviceName);
    return true;
}

void QtPrinters::MakeCurrent(const QString& deviceName) {
    current_ = deviceName;
    if (deviceName == kPdfFile) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer_ = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(deviceName), QPrinter::HighResolution);
    }
}

PageSize QtPrinters::CurrentPageSize() const {
    const QRectF page = printer_->pageRect(QPrinter::Point);
    return {static_cast<float>(page.width() * kTwipsPerPoint), static_cast<float>(page.height() * kTwipsPerPoint)};
}

PrintOutcome QtPrinters::PrintPicture(const QString& jobName, const QImage& picture, const PageRect& target) {
    printer_->setDocName(jobName);
    return current_ == kPdfFile ? PrintToPdf(jobName, picture, target) : PrintOnPrinter(picture, target);
}

PrintOutcome QtPrinters::PrintOnPrinter(const QImage& picture, const PageRect& target) {
    if (!IsInstalled(current_))
        return PrintOutcome::Failed(QStringLiteral("The printer \"%1\" is not installed any more.").arg(current_));
    if (auto failure = PrintPage(*printer_, current_, picture, target)) return PrintOutcome::Failed(*failure);
    return PrintOutcome::Printed();
}

// The page is written to a scratch file first and then put in place whole, so a failed or interrupted job
// never leaves a damaged PDF under the user's name. The scratch file has no name where the system allows, so a
// killed program leaves none behind.
PrintOutcome QtPrinters::PrintToPdf(const QString& jobName, const QImage& picture, const PageRect& target) {
    const std::optional<QString> path = choosePdfPath_(jobName + QStringLiteral(".pdf"));
    if (!path || path->isEmpty()) return PrintOutcome::Cancelled();
    const ScratchFile unnamed;
    std::optional<QTemporaryDir> folder;
    QString scratchPdf = QString::fromStdString(unnamed.Path());
    if (scratchPdf.isEmpty()) {
        folder.emplace();
        if (!folder->isValid()) return PrintOutcome::Failed(folder->errorString());
        scratchPdf = folder->filePath(QStringLiteral("page.pdf"));
    }
    printer_->setOutputFileName(scratchPdf);
    if (auto failure = PrintPage(*printer_, current_, picture, target)) return PrintOutcome::Failed(*failure);
    QFile written(scratchPdf);
    if (!written.open(QIODevice::ReadOnly)) return PrintOutcome::Failed(written.errorString());
    const QByteArray bytes = written.readAll();
    if (auto reason = WriteFileAtomically(QFile::encodeName(*path).toStdString(), bytes.toStdString()))
        return PrintOutcome::Failed(QStringLiteral("%1: %2").arg(*path, QString::fromStdString(*reason)));
    return PrintOutcome::Printed();
}

}  // namespace velmora
