#pragma once
#include <chrono>
#include <functional>
#include <optional>

#include "app/print/Printers.h"
#include "print/PrintJobs.h"

namespace velmora {

// The platform's printers (CUPS on Linux) as QtPrintSupport lists them, followed by one more entry, "PDF file",
// which writes the pages into a PDF file the user names. Every job is written as PDF by the program's own
// writer (the picture at its full resolution); a printer's job goes to CUPS through PrintPdf. When no printer
// is installed the PDF entry is the only one and the first current printer. The platform is asked only while the
// printing system answers, so a stopped scheduler costs one bounded wait (away from the window) and leaves the
// PDF entry, not a frozen window.
class QtPrinters final : public Printers {
public:
    // Asks the user for the file a PDF job writes, offering `suggestedName`; nothing when the user cancels.
    using PdfPathChooser = std::function<std::optional<QString>(const QString& suggestedName)>;

    // The name of the entry that writes a PDF file, in the window's language.
    static QString PdfFile();
    // Why the printing system did not take a job for `queue`, in the window's language.
    static QString RefusalText(const PrintRefusal& refusal, const QString& queue);

    explicit QtPrinters(PdfPathChooser choosePdfPath);

    QStringList DeviceNames() const override;
    QString CurrentDeviceName() const override { return current_; }
    bool SelectPrinter(const QString& deviceName) override;
    QList<PaperChoice> Papers() const override;
    std::optional<PrintTarget> Target(const QString& jobName) override;
    PrintOutcome PrintPages(const PrintTarget& target, const QString& jobName, const PictureRows& picture,
                            const PageLayout& layout, const QString& media) override;

private:
    bool SchedulerSilent() const;

    PdfPathChooser choosePdfPath_;
    QString current_;
    mutable std::optional<std::chrono::steady_clock::time_point> silentAt_;
};

// Asks the user for the PDF file to write through the toolkit's save dialog; nothing when cancelled.
std::optional<QString> AskForPdfFile(const QString& suggestedName);

}  // namespace velmora
