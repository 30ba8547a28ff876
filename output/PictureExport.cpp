#include "output/PictureExport.h"

#include <cmath>
#include <cstdint>

#include "common/Numbers.h"
#include "output/AtomicFile.h"
#include "output/Bitmap.h"
#include "output/Jpeg.h"
#include "output/Png.h"
#include "render/RenderEngine.h"

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
        return std::nullopt;
    case PictureFormat::Pdf:
    case PictureFormat::None:
        break;
    }
    return "pictures are written as PNG (.png), BMP (.bmp) or JPEG (.jpg, .jpeg)";
}

double EstimatedFileBytes(PictureFormat format, CanvasSize pixels) {
    const double area = static_cast<double>(pixels.width) * pixels.height;
    switch (format) {
    case PictureFormat::Bmp: return static_cast<double>(BmpBytes(pixels));
    case PictureFormat::Jpeg: return area * 0.8;  // fine speckle at high quality
    default: return area * 0.6;                   // deflated rows of a fractal picture
    }
}

ExportResult ExportPicture(const std::string& path, const PictureExport& job, CountEngine* engine) {
    if (auto limit = FormatLimit(job.file.format, job.pixels)) return {false, limit};
    const auto ownEngine = engine ? nullptr : MakeEngine(job.threads);
    if (!engine) engine = ownEngine.get();
    // Random colours are drawn in the order of the walk: a picture no larger
    // than the largest canvas is drawn as one band, so it gets the colours a
    // whole render draws.
    const CanvasSize largest = SizeForValue(kSizeMax);
    const bool oneBand = job.whole.kernelMode == 6 && static_cast<double>(job.pixels.width) * job.pixels.height <=
                                                          static_cast<double>(largest.width) * largest.height;
    BandedPicture picture(job.whole, job.pixels.width, job.pixels.height, job.dot, *engine, job.colours,
                          oneBand ? (job.pixels.height + 15) / 16 * 16 : 0);
    bool cancelled = false;
    picture.progress = [&](double done) {
        cancelled = cancelled || (job.progress && job.progress(done));
        return cancelled;
    };

    AtomicFileWriter writer(path);
    if (writer.Error()) return {false, writer.Error()};
    const std::function<bool(std::string_view)> write = [&](std::string_view piece) {
        return !cancelled && writer.Write(piece);
    };
    const PictureRows rows = picture.Rows();
    const std::uint32_t perMetre = PixelsPerMetre(job.file.dpi);
    std::optional<std::string> error;
    switch (job.file.format) {
    case PictureFormat::Png: error = EncodePng(rows, perMetre, write); break;
    case PictureFormat::Jpeg:
        error = EncodeJpeg(rows, job.file.quality, static_cast<int>(RoundHalfEven(job.file.dpi)), write);
        break;
    default: {
        Bmp24Pieces pieces(rows, perMetre);
        for (std::string_view piece = pieces.Next(); !piece.empty() && write(piece); piece = pieces.Next()) {
        }
        break;
    }
    }
    if (cancelled) return {true, std::nullopt};
    if (writer.Error()) return {false, writer.Error()};
    if (error) return {false, error};
    return {false, writer.Commit()};
}

}  // namespace velmora
