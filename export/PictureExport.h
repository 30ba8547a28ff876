#pragma once
#include <functional>
#include <optional>
#include <string>

#include <memory>

#include "canvas/CanvasGeometry.h"
#include "colour/OutputProfile.h"
#include "formats/PictureFile.h"
#include "print/PrintLayout.h"
#include "render/BandedPicture.h"

namespace velmora {

// How a picture file is written: its format, the resolution it records, the
// physical size chosen for it (`widthMm` x `heightMm`, 0 where none was)
// and, for a PDF, its pages.
struct PictureFileOptions {
    PictureFormat format = PictureFormat::Png;
    double dpi = kDefaultDpi;
    double widthMm = 0, heightMm = 0;
    int quality = 95;  // JPEG
    // The picture runs this far past its size on every side, to be cut at its size (the trim).
    double bleedMm = 0;
    bool cropMarks = false;  // PDF: trim marks around the bleed
    std::optional<PageLayout> pages;
    std::string title = "Fractal";  // the PDF document's name
    // The printer's profile the pixels are converted through and the file is tagged with (CMYK or RGB); the
    // pixels as they are, tagged sRGB, without one.
    std::shared_ptr<const OutputProfile> profile;
};

// The pixels of the file: the picture's `pixels` and its bleed at the file's resolution on every side.
CanvasSize FilePixels(CanvasSize pixels, const PictureFileOptions& file);

// The page of a picture of its own: its size `trim` (widthMm x heightMm, or the picture at its resolution
// without them) with the bleed and crop marks of `file`; `picture` is the picture as the file holds it.
PageLayout OwnPage(const PrintedPicture& picture, PageSize trim, const PictureFileOptions& file);

// Why a file in `format` cannot hold pixels converted through `profile`:
// CMYK in PNG or BMP, any profile in BMP (which carries none). Nothing when it can.
std::optional<std::string> ProfileLimit(PictureFormat format, const OutputProfile* profile);

// Why a picture of `pixels` cannot be written in `format`: a side beyond
// the format's limit, a file beyond its largest size, or the ProfileLimit of
// `profile`. Nothing when it can.
std::optional<std::string> FormatLimit(PictureFormat format, CanvasSize pixels,
                                       const OutputProfile* profile = nullptr);


// One picture of any size rendered to a file.
struct PictureExport {
    RenderParams whole;  // the render of the whole picture (ReadRenderParams)
    CanvasSize pixels{};
    int dot = 4;
    PointColours colours;
    PictureFileOptions file;
    int threads = 0;  // computing threads, 0: one per core
    int bandHeight = 0;  // pixel rows drawn at a time (a multiple of 16); 0 chooses them for the size
    // Runs now and then with the part done (0 to 1); returning true cancels.
    std::function<bool(double done)> progress;
};

// The picture of an export, computed as its rows are read (for a writer
// other than a file, such as a print job): counts drawn in bands, random
// colours row by row. Once cancelled, the rows left are white. Its bleed
// extends the render at the same spacing: inside the trim a fractal picture
// is the one without bleed pixel for pixel. Every column and row is drawn,
// except that the series' sizes keep their pictures as the canvas draws them.
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
    // The rows drawn together, and the bands of counts drawn so far.
    int BandHeight() const;
    int BandsDrawn() const;

private:
    bool Report(double done);
    void Draw(const PictureExport& job, const RenderParams& whole, int width, int height, CountEngine* engine);

    std::function<bool(double done)> progress_;
    double done_ = 0;
    double rowsWritten_ = 0;  // the share of a one-band picture's rows read so far
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

// Streams `rows` (the picture as the file holds it, bleed included) into the
// file of `job` at `path`, which is replaced only once complete; `colours`
// gives an indexed PNG's palette and `cancelled` is asked after each piece and
// once more before the file is put in place.
ExportResult WriteRows(const std::string& path, const PictureRows& rows, const std::function<std::vector<Pixel>()>& colours,
                       const PictureExport& job, const std::function<bool()>& cancelled);

// The size in bytes of the file ExportPicture writes for `job`: exact for BMP,
// for the others from strips across the picture drawn and written as the file
// is, scaled to its area. Nothing when it cannot tell.
std::optional<double> EstimatedFileBytes(const PictureExport& job);

// Renders the picture in bands and streams it into the file at `path`, which
// is replaced only once complete: a failed or cancelled export leaves any
// earlier file as it was and no file of its own. Cancel is asked while the
// picture is drawn, encoded and written, and once more before the file is put
// in place. The counts come from
// `engine`, or from MakeEngine(job.threads) when it is null.
ExportResult ExportPicture(const std::string& path, const PictureExport& job, CountEngine* engine = nullptr);

}  // namespace velmora
