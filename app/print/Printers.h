#pragma once
#include <QImage>
#include <memory>
#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "colour/OutputProfile.h"
#include "print/PrintLayout.h"
#include "render/Raster.h"

namespace velmora {

// How one print job ended.
struct PrintOutcome {
    enum class Kind { Printed, Cancelled, Failed };
    Kind kind = Kind::Printed;
    QString failure;  // the platform's description when kind is Failed
    QString file;     // the file the pages were written to, when the printer writes one
    int job = 0;      // the printing system's number for the job, when it gave one

    static PrintOutcome Printed(QString file = {}, int job = 0) { return {Kind::Printed, {}, std::move(file), job}; }
    static PrintOutcome Cancelled() { return {Kind::Cancelled, {}, {}}; }
    static PrintOutcome Failed(QString description) { return {Kind::Failed, std::move(description), {}}; }
};

// Where one job goes: a printer, or the file the "PDF file" entry writes.
struct PrintTarget {
    QString printer;
    QString pdfPath;  // empty for a printer
    // The printer's profile the pages are converted through and tagged with; sRGB as they are without one.
    std::shared_ptr<const OutputProfile> profile;
};

// Thrown by a picture's rows to end a print job the user cancelled: it leaves no file and no job.
struct PrintCancelled {};

// A paper the current printer takes: its name for the user and for the printing system, the sheet upright and
// the part of it the printer can print on.
struct PaperChoice {
    QString name;
    QString media;
    Paper paper;
};

// The installed printers and the one program-wide current printer. Pages are measured in 1/1440 inch from the
// sheet's top-left corner. Tests substitute their own list and a recording printer.
class Printers {
public:
    virtual ~Printers() = default;

    // Device names of the installed printers, in the platform's order.
    virtual QStringList DeviceNames() const = 0;
    virtual QString CurrentDeviceName() const = 0;
    // Makes the first installed printer named exactly `deviceName` current; returns false and changes nothing
    // when no printer has that name.
    virtual bool SelectPrinter(const QString& deviceName) = 0;
    // The papers the current printer takes, its default first; never empty.
    virtual QList<PaperChoice> Papers() const = 0;
    // Where a job named `jobName` on the current printer goes, asked on the window's thread before its pages
    // are drawn (the "PDF file" entry asks for the file, suggesting the job's name); nothing when the user
    // cancelled.
    virtual std::optional<PrintTarget> Target(const QString& jobName) = 0;
    // Prints the pages of `layout` showing `picture` at `target` as one job named `jobName` on paper `media`.
    // Runs on a worker thread, reading the picture's rows as it writes; PrintCancelled thrown by a row passes
    // on, and leaves no file and no job.
    virtual PrintOutcome PrintPages(const PrintTarget& target, const QString& jobName, const PictureRows& picture,
                                    const PageLayout& layout, const QString& media) = 0;
};

// The printers in force: the platform's, unless a test installed others.
Printers& CurrentPrinters();

// Installs `printers` for the lifetime of this object, then restores the previous ones.
class ScopedPrinters {
public:
    explicit ScopedPrinters(Printers& printers);
    ~ScopedPrinters();
    ScopedPrinters(const ScopedPrinters&) = delete;
    ScopedPrinters& operator=(const ScopedPrinters&) = delete;

private:
    Printers* previous_;
};

}  // namespace velmora
