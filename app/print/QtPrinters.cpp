#include "app/print/QtPrinters.h"

#include <QFile>
#include <QPainter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include "output/AtomicFile.h"
#include "app/print/PrintJobs.h"

namespace velmora {

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kTwipsPerPoint = kTwipsPerInch / 72;

// Draws `picture` stretched to `target` (1/1440 inch from the drawing origin of `layout`) as the one page of a
// PDF file at `path`. Nothing on success, the reason otherwise.
std::optional<QString> WritePdfPage(const QString& path, const QPageLayout& layout, const QString& jobName,
                                    const QString& deviceName, const QImage& picture, const PageRect& target) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setDocName(jobName);
    printer.setOutputFileName(path);
    QPainter painter;
    if (!printer.setPageLayout(layout) || !painter.begin(&printer))
        return QStringLiteral("\"%1\" could not start the print job.").arg(deviceName);
    const double deviceUnitsPerTwip = printer.resolution() / kTwipsPerInch;
    painter.scale(deviceUnitsPerTwip, deviceUnitsPerTwip);
    // The picture is a texture: keep every pixel rather than let the PDF stream use JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QRectF(target.left, target.top, target.width, target.height), picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("\"%1\" could not finish the print job.").arg(deviceName);
    return std::nullopt;
}

// Writes the file at `from` to `to` whole, replacing what is there. Nothing on success, the reason otherwise.
std::optional<QString> PutInPlace(const QString& from, const QString& to) {
    QFile written(from);
    if (!written.open(QIODevice::ReadOnly)) return written.errorString();
    const QByteArray bytes = written.readAll();
    if (auto reason = WriteFileAtomically(QFile::encodeName(to).toStdString(), bytes.toStdString()))
        return QStringLiteral("%1: %2").arg(to, QString::fromStdString(*reason));
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

// Every job is drawn into a scratch PDF file first. A printer's job then goes to the printing
// system, whose answer is what the user sees when it refuses the job; a "PDF file" job is put in place whole, so
// a failed or interrupted job never leaves a damaged PDF under the user's name.
PrintOutcome QtPrinters::PrintPicture(const QString& jobName, const QImage& picture, const PageRect& target) {
    std::optional<QString> pdfPath;
    if (current_ == kPdfFile) {
        pdfPath = choosePdfPath_(jobName + QStringLiteral(".pdf"));
        if (!pdfPath || pdfPath->isEmpty()) return PrintOutcome::Cancelled();
    }
    // The scratch file has no name where the system allows, so a killed program leaves none behind.
    const ScratchFile unnamed;
    std::optional<QTemporaryDir> folder;
    QString page = QString::fromStdString(unnamed.Path());
    if (page.isEmpty()) {
        folder.emplace();
        if (!folder->isValid()) return PrintOutcome::Failed(folder->errorString());
        page = folder->filePath(QStringLiteral("page.pdf"));
    }
    const QPageLayout layout = printer_->pageLayout();
    if (auto failure = WritePdfPage(page, layout, jobName, current_, picture, target))
        return PrintOutcome::Failed(*failure);
    const std::optional<QString> failure =
        pdfPath ? PutInPlace(page, *pdfPath) : SubmitPdfJob(current_, jobName, page, layout.pageSize().key());
    return failure ? PrintOutcome::Failed(*failure) : PrintOutcome::Printed();
}

}  // namespace velmora
