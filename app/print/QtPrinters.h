#pragma once
#include <QPrinter>

#include <functional>
#include <memory>
#include <optional>

#include "app/print/Printers.h"

namespace velmora {

// The printers of the platform (CUPS on Linux) through QtPrintSupport, each job handed to CUPS as a PDF file,
// followed by one more entry, "PDF file", which writes the page into a PDF file the user names. When no printer
// is installed the PDF entry is the only one and the first current printer.
class QtPrinters final : public Printers {
public:
    // Asks the user for the file a PDF job writes, offering `suggestedName`; nothing when the user cancels.
    using PdfPathChooser = std::function<std::optional<QString>(const QString& suggestedName)>;

    static const QString kPdfFile;

    explicit QtPrinters(PdfPathChooser choosePdfPath);
    ~QtPrinters() override;

    QStringList DeviceNames() const override;
    QString CurrentDeviceName() const override { return current_; }
    bool SelectPrinter(const QString& deviceName) override;
    PageSize CurrentPageSize() const override;
    PrintOutcome PrintPicture(const QString& jobName, const QImage& picture, const PageRect& target) override;

private:
    void MakeCurrent(const QString& deviceName);

    PdfPathChooser choosePdfPath_;
    QString current_;
    std::unique_ptr<QPrinter> printer_;
};

// Asks the user for the PDF file to write through the toolkit's save dialog; nothing when cancelled.
std::optional<QString> AskForPdfFile(const QString& suggestedName);

}  // namespace velmora
