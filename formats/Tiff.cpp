#include "formats/Tiff.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "files/AtomicFile.h"
#include "formats/ColourProfile.h"

namespace velmora {

namespace {

constexpr std::size_t kStripBytes = 256 * 1024;
constexpr std::size_t kCopyBytes = 1 << 20;
// libdeflate's level for CMYK strips: a random picture's inks compress in half the time of level 6, a
// fractal's files grow by about 3 %.
constexpr int kCmykDeflateLevel = 4;

int KeepMessage(TIFF*, void* user, const char* module, const char* format, va_list arguments) {
    auto& message = *static_cast<std::string*>(user);
    if (!message.empty()) return 1;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    message = std::string(module ? module : "libtiff") + ": " + text;
    return 1;
}

int IgnoreMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Writes the CMYK picture's strips, each pixel holding its inks in file order: the strips are predicted and
// compressed by libdeflate on `threads` threads (0: one per core) while the next are read, and written in
// order as raw strips. Inks are a third more data than RGB; shared among the cores they take less time.
bool WriteStrips(TIFF* tiff, const PictureRows& rows, std::uint32_t stripRows, int threads) {
    struct Strip {
        std::vector<unsigned char> raw, packed;
        std::size_t packedSize = 0;
        bool done = false;
    };
    const std::size_t rowBytes = static_cast<std::size_t>(rows.width) * 4;
    const int workers = std::max(1, threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency()));
    const std::size_t inFlight = static_cast<std::size_t>(2 * workers);
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Strip>> waiting, order;  // to compress; every strip not yet written, in order
    bool stop = false;
    std::vector<std::jthread> pool;
    for (int w = 0; w < workers; ++w)
        pool.emplace_back([&] {
            libdeflate_compressor* compressor = libdeflate_alloc_compressor(kCmykDeflateLevel);
            for (;;) {
                std::shared_ptr<Strip> strip;
                {
                    std::unique_lock held(lock);
                    changed.wait(held, [&] { return stop || !waiting.empty(); });
                    if (waiting.empty()) break;
                    strip = waiting.front();
                    waiting.pop_front();
                }
                // Horizontal prediction: each ink less the same ink of the pixel to its left.
                std::vector<unsigned char>& raw = strip->raw;
                for (std::size_t row = 0; row < raw.size(); row += rowBytes)
                    for (std::size_t i = rowBytes - 1; i >= 4; --i) raw[row + i] -= raw[row + i - 4];
                strip->packed.resize(libdeflate_zlib_compress_bound(compressor, raw.size()));
                strip->packedSize = compressor ? libdeflate_zlib_compress(compressor, raw.data(), raw.size(),
                                                                          strip->packed.data(), strip->packed.size())
                                               : 0;
                const std::lock_guard held(lock);
                strip->done = true;
                changed.notify_all();
            }
            libdeflate_free_compressor(compressor);
        });
    bool written = true;
    std::uint32_t next = 0;  // the next strip to write
    // Writes the strips done at the front of the order; with `all`, waits for every strip.
    auto writeDone = [&](bool all) {
        for (;;) {
            std::shared_ptr<Strip> strip;
            {
                std::unique_lock held(lock);
                changed.wait(held, [&] {
                    return order.empty() || order.front()->done || (!all && order.size() < inFlight);
                });
                if (order.empty() || !order.front()->done) return;
                strip = order.front();
                order.pop_front();
            }
            written = written && strip->packedSize > 0 &&
                      TIFFWriteRawStrip(tiff, next++, strip->packed.data(), static_cast<tmsize_t>(strip->packedSize)) >= 0;
        }
    };
    for (int top = 0; top < rows.height && written; top += static_cast<int>(stripRows)) {
        auto strip = std::make_shared<Strip>();
        const int count = std::min(rows.height - top, static_cast<int>(stripRows));
        strip->raw.resize(rowBytes * static_cast<std::size_t>(count));
        for (int y = 0; y < count; ++y) std::memcpy(strip->raw.data() + rowBytes * y, rows.row(top + y), rowBytes);
        {
            const std::lock_guard held(lock);
            waiting.push_back(strip);
            order.push_back(strip);
            changed.notify_all();
        }
        writeDone(false);
    }
    writeDone(true);
    {
        const std::lock_guard held(lock);
        stop = true;
        waiting.clear();
        changed.notify_all();
    }
    return written;
}

std::optional<std::string> WriteTiff(const std::string& path, const PictureRows& rows, double dpi,
                                     const ColourProfile& profile, int threads) {
    const bool cmyk = profile.components == 4;
    std::string message;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepMessage, &message);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreMessage, nullptr);
    TIFF* tiff = TIFFOpenExt(path.c_str(), TiffNeedsBigTiff(rows.width, rows.height, cmyk ? 4 : 3) ? "w8" : "w", options);
    TIFFOpenOptionsFree(options);
    if (!tiff) return message.empty() ? "the TIFF file could not be made" : message;

    const std::size_t rowBytes = static_cast<std::size_t>(rows.width) * (cmyk ? 4 : 3);
    const auto stripRows = static_cast<std::uint32_t>(std::max<std::size_t>(1, kStripBytes / rowBytes));
    const std::string& icc = profile.icc;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(rows.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(rows.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, cmyk ? 4 : 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, cmyk ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
    if (cmyk) TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, stripRows);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(dpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(dpi));
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Velmora Generator");
    if (!icc.empty()) TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(icc.size()), icc.data());

    bool written = true;
    if (cmyk) written = WriteStrips(tiff, rows, stripRows, threads);
    std::vector<unsigned char> rgb(cmyk ? 0 : rowBytes);
    for (int y = 0; !cmyk && y < rows.height && written; ++y) {
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

bool TiffNeedsBigTiff(std::int64_t width, std::int64_t height, int components) {
    const double pixelBytes = static_cast<double>(width) * static_cast<double>(height) * components;
    // Room for the strips' tables and Deflate's worst case on data that does not compress.
    return pixelBytes + pixelBytes / 256 + (1 << 24) > 4294967295.0;
}

std::optional<std::string> EncodeTiff(const PictureRows& rows, double dpi, const ColourProfile& profile, int threads,
                                      const std::function<bool(std::string_view)>& write) {
    if (rows.width < 1 || rows.height < 1) return "a TIFF picture has at least one pixel on each side";
    ScratchFile scratch;
    if (scratch.Path().empty()) return "no scratch file for the TIFF file could be made";
    if (auto error = WriteTiff(scratch.Path(), rows, dpi, profile, threads)) return error;
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
