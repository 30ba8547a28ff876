#include "formats/Jpeg.h"

// jpeglib.h needs the size types declared first.
#include <cstddef>
#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "formats/ColourProfile.h"

namespace velmora {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

// The encoder's state that its callbacks reach. Plain data only: libjpeg
// reports errors through longjmp, which must not skip any destructor.
struct JpegTarget {
    jpeg_error_mgr errors;
    jpeg_destination_mgr destination;
    std::jmp_buf jump;
    const std::function<bool(std::string_view)>* write;
    JOCTET* buffer;
    char message[JMSG_LENGTH_MAX];
};

JpegTarget& TargetOf(j_compress_ptr jpeg) { return *static_cast<JpegTarget*>(jpeg->client_data); }

[[noreturn]] void Fail(j_common_ptr jpeg, const char* message) {
    JpegTarget& target = TargetOf(reinterpret_cast<j_compress_ptr>(jpeg));
    std::strncpy(target.message, message, sizeof target.message - 1);
    std::longjmp(target.jump, 1);
}

[[noreturn]] void KeepError(j_common_ptr jpeg) {
    char message[JMSG_LENGTH_MAX] = {};
    jpeg->err->format_message(jpeg, message);
    Fail(jpeg, message);
}

void IgnoreMessage(j_common_ptr, int) {}

void StartOutput(j_compress_ptr jpeg) {
    JpegTarget& target = TargetOf(jpeg);
    target.destination.next_output_byte = target.buffer;
    target.destination.free_in_buffer = kBufferBytes;
}

bool Hand(j_compress_ptr jpeg, std::size_t bytes) {
    JpegTarget& target = TargetOf(jpeg);
    bool kept = false;
    try {
        kept = (*target.write)({reinterpret_cast<const char*>(target.buffer), bytes});
    } catch (...) {
    }
    return kept;
}

boolean EmptyBuffer(j_compress_ptr jpeg) {
    if (!Hand(jpeg, kBufferBytes)) Fail(reinterpret_cast<j_common_ptr>(jpeg), "the file could not be written");
    StartOutput(jpeg);
    return TRUE;
}

void EndOutput(j_compress_ptr jpeg) {
    const std::size_t bytes = kBufferBytes - TargetOf(jpeg).destination.free_in_buffer;
    if (bytes > 0 && !Hand(jpeg, bytes)) Fail(reinterpret_cast<j_common_ptr>(jpeg), "the file could not be written");
}

// Runs the encoder with the buffers the caller owns; false with the reason
// in target.message when libjpeg gave up.
bool Encode(const PictureRows& rows, int quality, int dotsPerInch, const ColourProfile& profile,
            jpeg_compress_struct& jpeg, JpegTarget& target, JSAMPLE* line) {
    const bool cmyk = profile.components == 4;
    jpeg.err = jpeg_std_error(&target.errors);
    target.errors.error_exit = KeepError;
    target.errors.emit_message = IgnoreMessage;
    jpeg.client_data = &target;
    if (setjmp(target.jump)) return false;
    jpeg_create_compress(&jpeg);
    target.destination.init_destination = StartOutput;
    target.destination.empty_output_buffer = EmptyBuffer;
    target.destination.term_destination = EndOutput;
    jpeg.dest = &target.destination;
    jpeg.image_width = static_cast<JDIMENSION>(rows.width);
    jpeg.image_height = static_cast<JDIMENSION>(rows.height);
    // A pixel is the little-endian word 0xFFRRGGBB: bytes B, G, R, unused.
    jpeg.input_components = 4;
    jpeg.in_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_set_defaults(&jpeg);  // CMYK is kept as CMYK, every component at full resolution, with an Adobe marker
    jpeg_set_quality(&jpeg, quality, TRUE);
    // At high quality the chroma keeps every pixel: halving it would blur a texture's fine colour detail.
    if (!cmyk && quality >= kJpegFullChromaQuality)
        for (int c = 0; c < jpeg.num_components; ++c) jpeg.comp_info[c].h_samp_factor = jpeg.comp_info[c].v_samp_factor = 1;
    jpeg.write_JFIF_header = cmyk ? FALSE : TRUE;
    jpeg.density_unit = 1;  // dots per inch
    jpeg.X_density = static_cast<UINT16>(dotsPerInch);
    jpeg.Y_density = static_cast<UINT16>(dotsPerInch);
    jpeg_start_compress(&jpeg, TRUE);
    const std::string& icc = profile.icc;
    jpeg_write_icc_profile(&jpeg, reinterpret_cast<const JOCTET*>(icc.data()), static_cast<unsigned>(icc.size()));
    for (int y = 0; y < rows.height; ++y) {
        std::memcpy(line, rows.row(y), static_cast<std::size_t>(rows.width) * 4);
        if (cmyk)
            for (int i = 0; i < rows.width * 4; ++i) line[i] = static_cast<JSAMPLE>(255 - line[i]);
        JSAMPROW row = line;
        jpeg_write_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_compress(&jpeg);
    return true;
}

}  // namespace

std::optional<std::string> EncodeJpeg(const PictureRows& rows, int quality, int dotsPerInch,
                                      const ColourProfile& profile,
                                      const std::function<bool(std::string_view)>& write) {
    if (rows.width < 1 || rows.height < 1 || rows.width > kJpegSideMax || rows.height > kJpegSideMax)
        return "a JPEG picture is 1 to 65535 pixels on each side";
    std::vector<JOCTET> buffer(kBufferBytes);
    std::vector<JSAMPLE> line(static_cast<std::size_t>(rows.width) * 4);
    jpeg_compress_struct jpeg{};
    JpegTarget target{};
    target.write = &write;
    target.buffer = buffer.data();
    const bool done = Encode(rows, quality, dotsPerInch, profile, jpeg, target, line.data());
    jpeg_destroy_compress(&jpeg);
    if (done) return std::nullopt;
    return std::string(target.message);
}

}  // namespace velmora
