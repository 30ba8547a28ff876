#include "export/PictureExport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <new>

#include "common/Numbers.h"
#include "files/AtomicFile.h"
#include "colour/PrintedRows.h"
#include "formats/Bitmap.h"
#include "formats/ColourProfile.h"
#include "formats/Jpeg.h"
#include "formats/PdfWriter.h"
#include "formats/Png.h"
#include "formats/Tiff.h"
#include "render/RenderEngine.h"
#include "render/Random.h"
#include "render/SpeckleRows.h"

namespace velmora {

namespace {

std::uint64_t BmpBytes(CanvasSize pixels) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(pixels.width) * 3 + 3) & ~std::uint64_t{3};
    return 54 + rowBytes * static_cast<std::uint64_t>(pixels.height);
}

}  // namespace

std::optional<std::string> ProfileLimit(PictureFormat format, const OutputProfile* profile) {
    if (profile && profile->Cmyk() && (format == PictureFormat::Png || format == PictureFormat::Bmp))
        return "PNG and BMP files cannot hold CMYK; choose TIFF, JPEG or PDF";
    if (profile && format == PictureFormat::Bmp)
        return "a BMP file cannot carry a colour profile; choose PNG, TIFF, JPEG or PDF";
    return std::nullopt;
}

std::optional<std::string> FormatLimit(PictureFormat format, CanvasSize pixels, const OutputProfile* profile) {
    if (auto limit = ProfileLimit(format, profile)) return limit;
    switch (format) {
    case PictureFormat::Bmp:
        if (BmpBytes(pixels) > 0xFFFFFFFFu) return "a BMP file holds at most 4 GB; choose PNG or a smaller size";
        return std::nullopt;
    case PictureFormat::Jpeg:
        if (pixels.width > kJpegSideMax || pixels.height > kJpegSideMax)
            return "a JPEG picture is at most 65535 pixels on each side; choose PNG or a smaller size";
        return std::nullopt;
    case PictureFormat::Png:
    case PictureFormat::Pdf:
    case PictureFormat::Tiff:
        return std::nullopt;
    case PictureFormat::None:
        break;
    }
    return "pictures are written as PNG (.png), BMP (.bmp), JPEG (.jpg, .jpeg), PDF (.pdf) or TIFF (.tif, .tiff)";
}

CanvasSize FilePixels(CanvasSize pixels, const PictureFileOptions& file) {
    const int bleed = BleedPixels(file.bleedMm, file.dpi);
    return {pixels.width + 2 * bleed, pixels.height + 2 * bleed};
}

PageLayout OwnPage(const PrintedPicture& picture, PageSize trim, const PictureFileOptions& file) {
    return ProductPage(picture, trim, file.bleedMm > 0 ? TwipsFromMm(file.bleedMm) : 0, file.cropMarks);
}

bool ExportRows::Report(double done) {
    done_ = done;
    cancelled_ = cancelled_ || (progress_ && progress_(done));
    return cancelled_;
}

ExportRows::ExportRows(const PictureExport& job, CountEngine* engine) : progress_(job.progress) {
    const CanvasSize written = FilePixels(job.pixels, job.file);
    const int bleed = (written.width - job.pixels.width) / 2;
    // The bleed is drawn in whole points left of and above the trim's point 0 (so each point keeps its place
    // in the plane and its count); what they cover beyond the bleed is cut off.
    const int points = (bleed + job.dot - 1) / job.dot;
    const int cut = points * job.dot - bleed;
    const int width = job.pixels.width + 2 * points * job.dot, height = job.pixels.height + 2 * points * job.dot;
    Draw(job, WalkCovering(job.whole, job.pixels, job.dot, points), width, height, engine);
    if (cut > 0) {
        const PictureRows drawn = rows_;
        const auto part = [drawn, cut](int y, int x, int count) { return RowPart(drawn, y + cut, x + cut, count); };
        rows_ = {written.width, written.height, [part, written](int y) { return part(y, 0, written.width); }, part};
    }
}

void ExportRows::Draw(const PictureExport& job, const RenderParams& whole, int width, int height,
                      CountEngine* engine) {
    auto progress = [this](double done) { return Report(done); };
    if (job.whole.kernelMode == 6) {
        // Each row of random colours is computed on its own, the colours the
        // whole render's walk draws.
        const PictureRows speckle = SpeckleRows(whole, width, height, job.dot, *job.colours.random,
                                                job.colours.randomExponent, job.threads);
        white_.assign(static_cast<std::size_t>(width), 0xFFFFFFFFu);
        rows_ = {width, height, [this, speckle, progress, height](int y) -> const Pixel* {
                     if (y % 64 == 0) progress(static_cast<double>(y) / height);
                     return cancelled_ ? white_.data() : speckle.row(y);
                 }};
        return;
    }
    if (!engine) {
        ownEngine_ = MakeEngine(job.threads);
        engine = ownEngine_.get();
    }
    // A picture no larger than the largest canvas is one band: its counts
    // take at most a quarter of its pixels' memory, and its colours are known
    // exactly before it is written.
    const CanvasSize largest = SizeForValue(kSizeMax);
    const bool oneBand = static_cast<double>(width) * height <= static_cast<double>(largest.width) * largest.height;
    const int bandHeight = job.bandHeight > 0 ? job.bandHeight
                           : oneBand        ? (height + 15) / 16 * 16
                                            : BandedPicture::BandHeightFor(width);
    // A poster's pages come back to the rows of their neighbours: the bands one page spans are kept.
    int keptBands = 1;
    if (job.file.pages && job.file.pages->Poster())
        for (const PrintedPage& page : job.file.pages->pages)
            keptBands = std::max(keptBands, (page.part.height + bandHeight - 2) / bandHeight + 2);
    counts_ = std::make_unique<BandedPicture>(whole, width, height, job.dot, *engine, job.colours, bandHeight,
                                              keptBands);
    counts_->progress = progress;
    rows_ = counts_->Rows();
    if (bandHeight < height) return;
    // One band is drawn whole before its first row is written: the drawing is the first half of the progress,
    // the writing the second.
    counts_->progress = [progress](double done) { return progress(done / 2); };
    const PictureRows drawn = rows_;
    const auto part = [this, drawn, progress](int y, int x, int count) {
        if (y % 64 == 63 || y + 1 == drawn.height) {
            rowsWritten_ = std::max(rowsWritten_, static_cast<double>(y + 1) / drawn.height);
            progress(0.5 + rowsWritten_ / 2);
        }
        return RowPart(drawn, y, x, count);
    };
    rows_ = {drawn.width, drawn.height, [part, width = drawn.width](int y) { return part(y, 0, width); }, part};
}

std::vector<Pixel> ExportRows::Colours() {
    if (counts_) return counts_->Colours();
    return PictureColours(rows_).value_or(std::vector<Pixel>{});
}

int ExportRows::BandHeight() const { return counts_ ? counts_->BandHeight() : kSpeckleBandRows; }

int ExportRows::BandsDrawn() const { return counts_ ? counts_->BandsDrawn() : 0; }

ExportRows::~ExportRows() = default;

namespace {

using Write = std::function<bool(std::string_view)>;

// Writes the picture's `rows` in the file's format; `colours` gives its colours for an indexed PNG. The
// encoder's reason on failure.
std::optional<std::string> Encode(const PictureRows& picture, const std::function<std::vector<Pixel>()>& pictureColours,
                                  const PictureExport& job, const Write& write) {
    const PictureFileOptions& file = job.file;
    // Through a printer's profile the file holds the printer's values, tagged with its profile.
    const ColourProfile& tag = file.profile ? file.profile->File() : FileColourProfile();
    const PictureRows rows = file.profile ? PrintedRows(picture, file.profile, job.threads) : picture;
    const std::function<std::vector<Pixel>()> colours =
        file.profile ? std::function<std::vector<Pixel>()>([&] { return PrintedColours(pictureColours(), *file.profile); })
                     : pictureColours;
    const CanvasSize written = FilePixels(job.pixels, file);
    auto writePieces = [&](auto& pieces) {
        for (std::string_view piece = pieces.Next(); !piece.empty() && write(piece); piece = pieces.Next()) {
        }
    };
    const std::uint32_t perMetre = PixelsPerMetre(file.dpi);
    switch (file.format) {
    case PictureFormat::Png: {
        PngPieces pieces(rows, PngLayout{colours(), perMetre, job.threads, &tag});
        writePieces(pieces);
        return std::nullopt;
    }
    case PictureFormat::Jpeg:
        return EncodeJpeg(rows, file.quality, static_cast<int>(RoundHalfEven(file.dpi)), tag, write);
    case PictureFormat::Pdf: {
        const double w = job.pixels.width, h = job.pixels.height;
        const PageSize trim = file.widthMm > 0 && file.heightMm > 0
                                  ? PageSize{TwipsFromMm(file.widthMm), TwipsFromMm(file.heightMm)}
                                  : PageSize{w * kTwipsPerInch / file.dpi, h * kTwipsPerInch / file.dpi};
        const PrintedPicture printed{written.width, written.height, static_cast<float>(written.width),
                                     static_cast<float>(written.height)};
        PdfPieces pieces(rows, file.pages ? *file.pages : OwnPage(printed, trim, file), file.title, &tag);
        writePieces(pieces);
        return std::nullopt;
    }
    case PictureFormat::Tiff:
        return EncodeTiff(rows, file.dpi, tag, job.threads, write);
    default: {
        Bmp24Pieces pieces(rows, perMetre);
        writePieces(pieces);
        return std::nullopt;
    }
    }
}

ExportResult WritePicture(const std::string& path, const PictureExport& job, CountEngine* engine) {
    if (auto limit = FormatLimit(job.file.format, FilePixels(job.pixels, job.file), job.file.profile.get())) return {false, limit};
    ExportRows picture(job, engine);
    return WriteRows(path, picture.Rows(), [&picture] { return picture.Colours(); }, job,
                     [&picture] { return picture.CancelRequested(); });
}

}  // namespace

ExportResult WriteRows(const std::string& path, const PictureRows& rows, const std::function<std::vector<Pixel>()>& colours,
                       const PictureExport& job, const std::function<bool()>& cancelled) {
    if (auto limit = FormatLimit(job.file.format, FilePixels(job.pixels, job.file), job.file.profile.get())) return {false, limit};
    AtomicFileWriter writer(path);
    if (writer.Error()) return {false, writer.Error()};
    const std::optional<std::string> error =
        Encode(rows, colours, job, [&](std::string_view piece) { return !cancelled() && writer.Write(piece); });
    if (cancelled()) return {true, std::nullopt};
    if (writer.Error()) return {false, writer.Error()};
    if (error) return {false, error};
    return {false, writer.Commit()};
}

std::optional<double> EstimatedFileBytes(const PictureExport& job) {
    const CanvasSize written = FilePixels(job.pixels, job.file);
    if (job.file.format == PictureFormat::Bmp) return static_cast<double>(BmpBytes(written));
    if (job.pixels.width < 1 || job.pixels.height < 1) return std::nullopt;
    // Strips of rows spread over the picture, each drawn as the file holds it (its bleed and its place among
    // the dots and the encoder's blocks kept: a strip starts on a row of whole points in every pass, a
    // multiple of 16), written together as one file. The file's fixed part (headers, colour profile) is
    // measured on white rows and counted once.
    constexpr int kStripRows = 32, kStrips = 8;
    std::vector<Pixel> sample;
    try {
        for (int s = 0; s < kStrips; ++s) {
            const int top = job.pixels.height * (2 * s + 1) / (2 * kStrips) / 16 * 16;
            PictureExport strip = job;
            strip.whole = BandOf(job.whole, top / job.dot, kStripRows / job.dot);
            strip.pixels = {job.pixels.width, std::min(kStripRows, job.pixels.height - top)};
            strip.progress = nullptr;
            UniformSource random = job.colours.random ? *job.colours.random : UniformSource();
            strip.colours.random = &random;
            ExportRows picture(strip);
            const PictureRows rows = picture.Rows();
            for (int y = 0; y < std::min(kStripRows, rows.height); ++y)
                sample.insert(sample.end(), rows.row(y), rows.row(y) + rows.width);
        }
        PictureExport file = job;
        file.file.bleedMm = 0;
        file.file.widthMm = file.file.heightMm = 0;
        file.file.cropMarks = false;
        file.file.pages.reset();
        auto bytesOf = [&](std::vector<Pixel>& pixels) -> std::optional<double> {
            const int rows = static_cast<int>(pixels.size() / static_cast<std::size_t>(written.width));
            file.pixels = {written.width, rows};
            const PictureRows picture = RowsOf(Raster{pixels.data(), written.width, rows, written.width});
            double bytes = 0;
            if (Encode(picture, [&] { return PictureColours(picture).value_or(std::vector<Pixel>{}); }, file,
                       [&](std::string_view piece) {
                           bytes += static_cast<double>(piece.size());
                           return true;
                       }))
                return std::nullopt;
            return bytes;
        };
        std::vector<Pixel> white(static_cast<std::size_t>(written.width) * 16, 0xFFFFFFFFu);
        const std::optional<double> fixed = bytesOf(white), sampled = bytesOf(sample);
        if (!fixed || !sampled) return std::nullopt;
        const double sampleRows = static_cast<double>(sample.size() / static_cast<std::size_t>(written.width));
        return *fixed + std::max(0.0, *sampled - *fixed) * written.height / sampleRows;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

ExportResult ExportPicture(const std::string& path, const PictureExport& job, CountEngine* engine) {
    // A band that cannot be allocated ends the export like any other failure;
    // the file is then never put in place.
    try {
        return WritePicture(path, job, engine);
    } catch (const std::bad_alloc&) {
        return {false, std::string("not enough memory")};
    } catch (const std::exception& error) {
        return {false, std::string(error.what())};
    }
}

}  // namespace velmora
