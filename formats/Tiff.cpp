#include "formats/Tiff.h"

#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "files/AtomicFile.h"
#include "formats/ColourProfile.h"

namespace velmora {

namespace {

constexpr std::size_t kStripBytes = 256 * 1024;
constexpr std::size_t kCopyBytes = 1 << 20;

int KeepMessage(TIFF*, void* user, const char* module, const char* format, va_list arguments) {
    auto& message = *static_cast<std::string*>(user);
    if (!message.empty()) return 1;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    message = std::string(module ? module : "libtiff") + ": " + text;
    return 1;
}

int IgnoreMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

std::optional<std::string> WriteTiff(const std::string& path, const PictureRows& rows, double dpi) {
    std::string message;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepMessage, &message);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreMessage, nullptr);
    TIFF* tiff = TIFFOpenExt(path.c_str(), TiffNeedsBigTiff(rows.width, rows.height) ? "w8" : "w", options);
    TIFFOpenOptionsFree(options);
    if (!tiff) return message.empty() ? "the TIFF file could not be made" : message;

    const std::size_t rowBytes = static_cast<std::size_t>(rows.width) * 3;
    const auto stripRows = static_cast<std::uint32_t>(std::max<std::size_t>(1, kStripBytes / rowBytes));
    const std::string& icc = FileColourProfile().icc;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(rows.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(rows.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, stripRows);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(dpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(dpi));
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Velmora Generator");
    if (!icc.empty()) TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(icc.size()), icc.data());

    std::vector<unsigned char> rgb(rowBytes);
    bool written = true;
    for (int y = 0; y < rows.height && written; ++y) {
        const Pixel* row = rows.row(y);
        unsigned char* out = rgb.data();
        for (int x = 0; x < rows.width; ++x) {
            *out++ = static_cast<unsigned char>(row[x] >> 16);
            *out++ = static_cast<unsigned char>(row[x] >> 8);
            *out++ = static_cast<unsigned char>(row[x]);
        }
        written = TIFFWriteScanline(tiff, rgb.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    written = written && TIFFWriteDirectory(tiff) == 1;
    TIFFClose(tiff);
    if (written && message.empty()) return std::nullopt;
    return message.empty() ? "the TIFF file could not be written" : message;
}

}  // namespace

bool TiffNeedsBigTiff(std::int64_t width, std::int64_t height) {
    const double pixelBytes = static_cast<double>(width) * static_cast<double>(height) * 3;
    // Room for the strips' tables and Deflate's worst case on data that does not compress.
    return pixelBytes + pixelBytes / 256 + (1 << 24) > 4294967295.0;
}

std::optional<std::string> EncodeTiff(const PictureRows& rows, double dpi,
                                      const std::function<bool(std::string_view)>& write) {
    if (rows.width < 1 || rows.height < 1) return "a TIFF picture has at least one pixel on each side";
    ScratchFile scratch;
    if (scratch.Path().empty()) return "no scratch file for the TIFF file could be made";
    if (auto error = WriteTiff(scratch.Path(), rows, dpi)) return error;
    const int file = ::open(scratch.Path().c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return "the TIFF file could not be read back";
    std::vector<char> buffer(kCopyBytes);
    std::optional<std::string> error;
    for (;;) {
        const ssize_t got = ::read(file, buffer.data(), buffer.size());
        if (got < 0) {
            error = "the TIFF file could not be read back";
            break;
        }
        if (got == 0) break;
        if (!write({buffer.data(), static_cast<std::size_t>(got)})) {
            error = "the file could not be written";
            break;
        }
    }
    ::close(file);
    return error;
}

}  // namespace velmora
