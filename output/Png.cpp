#include "output/Png.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace velmora {

namespace {

// Where libpng's output and its error message go. Plain data only: libpng
// reports errors by longjmp, which must not skip any destructor.
struct PngTarget {
    const std::function<bool(std::string_view)>* write;
    char error[160];
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* target = static_cast<PngTarget*>(png_get_io_ptr(png));
    bool kept = false;
    try {
        kept = (*target->write)({reinterpret_cast<const char*>(data), length});
    } catch (...) {
    }
    if (!kept) png_error(png, "the file could not be written");
}

void NoFlush(png_structp) {}

[[noreturn]] void KeepError(png_structp png, png_const_charp message) {
    auto* target = static_cast<PngTarget*>(png_get_error_ptr(png));
    std::strncpy(target->error, message, sizeof target->error - 1);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Runs the encoder; false with target.error set when libpng gave up.
bool Encode(const PictureRows& rows, std::uint32_t pixelsPerMetre, PngTarget& target) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &target, KeepError, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &target, AppendBytes, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width), static_cast<png_uint_32>(rows.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (pixelsPerMetre > 0) png_set_pHYs(png, info, pixelsPerMetre, pixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    // A pixel is the little-endian word 0xFFRRGGBB: bytes B, G, R and an
    // unused fourth byte, which the filler setting drops.
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < rows.height; ++y) png_write_row(png, reinterpret_cast<png_const_bytep>(rows.row(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::optional<std::string> EncodePng(const PictureRows& rows, std::uint32_t pixelsPerMetre,
                                     const std::function<bool(std::string_view)>& write) {
    PngTarget target{&write, "the PNG encoder failed"};
    if (Encode(rows, pixelsPerMetre, target)) return std::nullopt;
    return std::string(target.error);
}

std::optional<std::string> EncodePng(const PictureRows& rows, std::uint32_t pixelsPerMetre, std::string& bytes) {
    bytes.clear();
    auto error = EncodePng(rows, pixelsPerMetre, [&bytes](std::string_view piece) {
        bytes.append(piece);
        return true;
    });
    if (error) bytes.clear();
    return error;
}

}  // namespace velmora
