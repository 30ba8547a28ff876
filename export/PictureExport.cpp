#include "export/PictureExport.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <new>

#include "common/Numbers.h"
#include "files/AtomicFile.h"
#include "formats/Bitmap.h"
#include "formats/Jpeg.h"
#include "formats/PdfWriter.h"
#include "formats/Png.h"
#include "render/RenderEngine.h"
#include "render/SpeckleRows.h"

namespace velmora {

namespace {

std::uint64_t BmpBytes(CanvasSize pixels) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(pixels.width) * 3 + 3) & ~std::uint64_t{3};
    return 54 + rowBytes * static_cast<std::uint64_t>(pixels.height);
}

}  // namespace

std::optional<std::string> FormatLimit(PictureFormat format, CanvasSize pixels) {
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
        return std::nullopt;
    case PictureFormat::None:
        break;
    }
    return "pictures are written as PNG (.png), BMP (.bmp), JPEG (.jpg, .jpeg) or PDF (.pdf)";
}

double EstimatedFileBytes(PictureFormat format, CanvasSize pixels) {
    const double area = static_cast<double>(pixels.width) * pixels.height;
    // Measured on fractal pictures: an indexed PNG, a PDF's deflated RGB, fine detail at high JPEG quality.
    switch (format) {
    case PictureFormat::Bmp: return static_cast<double>(BmpBytes(pixels));
    case PictureFormat::Jpeg: return area * 0.8;
    case PictureFormat::Pdf: return area * 0.3;
    default: return area * 0.2;
    }
}

PageLayout OwnPage(const PrintedPicture& picture, PageSize size) {
    PrintChoices choices;
    choices.paper = WholeSheet(size);
    choices.scale = PrintScale::Actual;
    choices.size = size;
    return LayOutPages(picture, choices);
}

bool ExportRows::Report(double done) {
    done_ = done;
    cancelled_ = cancelled_ || (progress_ && progress_(done));
    return cancelled_;
}

ExportRows::ExportRows(const PictureExport& job, CountEngine* engine) : progress_(job.progress) {
    const int width = job.pixels.width, height = job.pixels.height;
    auto progress = [this](double done) { return Report(done); };
    if (job.whole.kernelMode == 6) {
        // Each row of random colours is computed on its own, the colours the
        // whole render's walk draws.
        const PictureRows speckle = SpeckleRows(job.whole, width, height, job.dot, *job.colours.random,
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
    counts_ = std::make_unique<BandedPicture>(job.whole, width, height, job.dot, *engine, job.colours,
                                              oneBand ? (height + 15) / 16 * 16 : 0);
    counts_->progress = progress;
    rows_ = counts_->Rows();
}

std::vector<Pixel> ExportRows::Colours() {
    if (counts_) return counts_->Colours();
    return PictureColours(rows_).value_or(std::vector<Pixel>{});
}

ExportRows::~ExportRows() = default;

namespace {

ExportResult WritePicture(const std::string& path, const PictureExport& job, CountEngine* engine) {
    const PictureFileOptions& file = job.file;
    if (auto limit = FormatLimit(file.format, job.pixels)) return {false, limit};
    ExportRows picture(job, engine);
    AtomicFileWriter writer(path);
    if (writer.Error()) return {false, writer.Error()};
    const std::function<bool(std::string_view)> write = [&](std::string_view piece) {
        return !picture.CancelRequested() && writer.Write(piece);
    };
    auto writePieces = [&](auto& pieces) {
        for (std::string_view piece = pieces.Next(); !piece.empty() && write(piece); piece = pieces.Next()) {
        }
    };
    const PictureRows rows = picture.Rows();
    const std::uint32_t perMetre = PixelsPerMetre(file.dpi);
    std::optional<std::string> error;
    switch (file.format) {
    case PictureFormat::Png: {
        PngPieces pieces(rows, PngLayout{picture.Colours(), perMetre, job.threads});
        writePieces(pieces);
        break;
    }
    case PictureFormat::Jpeg:
        error = EncodeJpeg(rows, file.quality, static_cast<int>(RoundHalfEven(file.dpi)), write);
        break;
    case PictureFormat::Pdf: {
        const double w = job.pixels.width, h = job.pixels.height;
        const PageSize own = file.widthMm > 0 && file.heightMm > 0
                                 ? PageSize{TwipsFromMm(file.widthMm), TwipsFromMm(file.heightMm)}
                                 : PageSize{w * kTwipsPerInch / file.dpi, h * kTwipsPerInch / file.dpi};
        PdfPieces pieces(rows, file.pages ? *file.pages : OwnPage({job.pixels.width, job.pixels.height,
                                                                   static_cast<float>(w), static_cast<float>(h)}, own),
                         file.title);
        writePieces(pieces);
        break;
    }
    default: {
        Bmp24Pieces pieces(rows, perMetre);
        writePieces(pieces);
        break;
    }
    }
    if (picture.CancelRequested()) return {true, std::nullopt};
    if (writer.Error()) return {false, writer.Error()};
    if (error) return {false, error};
    return {false, writer.Commit()};
}

}  // namespace

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
