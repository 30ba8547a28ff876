#pragma once
#include <functional>
#include <optional>
#include <string>

#include <memory>

#include "canvas/CanvasGeometry.h"
#include "formats/PictureFile.h"
#include "print/PrintLayout.h"
#include "render/BandedPicture.h"

namespace velmora {

// How a picture file is written: its format, the resolution it records and,
// for a PDF, the pages: `pages` when given, otherwise one page of the
// picture's physical size, `widthMm` x `heightMm`, or its pixels at `dpi`
// where those are 0.
struct PictureFileOptions {
    PictureFormat format = PictureFormat::Png;
    double dpi = kDefaultDpi;
    double widthMm = 0, heightMm = 0;
    int quality = 95;  // JPEG
    std::optional<PageLayout> pages;
    std::string title = "Fractal";  // the PDF document's name
};

// One page of exactly `size` holding the whole picture at that size.
PageLayout OwnPage(const PrintedPicture& picture, PageSize size);

// Why a picture of `pixels` cannot be written in `format`: a side beyond
// the format's limit or a file beyond its largest size. Nothing when it can.
std::optional<std::string> FormatLimit(PictureFormat format, CanvasSize pixels);

// The file's size in bytes, roughly: exact for BMP, typical of a fractal
// picture for the others (random speckle compresses far less).
double EstimatedFileBytes(PictureFormat format, CanvasSize pixels);

// One picture of any size rendered to a file.
struct PictureExport {
    RenderParams whole;  // the render of the whole picture (ReadRenderParams)
    CanvasSize pixels{};
    int dot = 4;
    PointColours colours;
    PictureFileOptions file;
    int threads = 0;  // computing threads, 0: one per core
    // Runs now and then with the part done (0 to 1); returning true cancels.
    std::function<bool(double done)> progress;
};

// The picture of an export, computed as its rows are read (for a writer
// other than a file, such as a print job): counts drawn in bands, random
// colours row by row. Once cancelled, the rows left are white.
class ExportRows {
public:
    explicit ExportRows(const PictureExport& job, CountEngine* engine = nullptr);
    ~ExportRows();
    PictureRows Rows() const { return rows_; }
    // The picture's distinct colours in ascending order for an indexed PNG
    // (every colour a count can have where the picture is drawn in several
    // bands), or none when it has more than 256.
    std::vector<Pixel> Colours();
    bool Cancelled() const { return cancelled_; }
    // Asks the job's progress again, at the share last reported: true once
    // cancelled. For the stages after drawing, such as encoding and writing.
    bool CancelRequested() { return Report(done_); }

private:
    bool Report(double done);

    std::function<bool(double done)> progress_;
    double done_ = 0;
    std::unique_ptr<CountEngine> ownEngine_;
    std::unique_ptr<BandedPicture> counts_;
    PictureRows rows_;
    std::vector<Pixel> white_;
    bool cancelled_ = false;
};

// What an export came to: written, cancelled (nothing written) or failed.
struct ExportResult {
    bool cancelled = false;
    std::optional<std::string> error;
};

// Renders the picture in bands and streams it into the file at `path`, which
// is replaced only once complete: a failed or cancelled export leaves any
// earlier file as it was and no file of its own. Cancel is asked while the
// picture is drawn, encoded and written, and once more before the file is put
// in place. The counts come from
// `engine`, or from MakeEngine(job.threads) when it is null.
ExportResult ExportPicture(const std::string& path, const PictureExport& job, CountEngine* engine = nullptr);

}  // namespace velmora
