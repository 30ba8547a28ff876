#include "formats/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/Numbers.h"

namespace velmora {

namespace {

unsigned Byte(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t Le16(std::string_view b, std::size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
std::uint32_t Le32(std::string_view b, std::size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
std::uint32_t Be16(std::string_view b, std::size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
std::uint32_t Be32(std::string_view b, std::size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }

// Run-length data ends with the end-of-bitmap pair 0, 1.
bool RunLengthComplete(std::string_view data, bool fourBit) {
    for (std::size_t at = 0; at + 2 <= data.size();) {
        const unsigned count = Byte(data, at), code = Byte(data, at + 1);
        at += 2;
        if (count > 0 || code == 0) continue;  // a run, or the end of a line
        if (code == 1) return true;
        if (code == 2) {  // a jump
            at += 2;
            continue;
        }
        const std::size_t literal = fourBit ? (code + 1) / 2 : code;
        at += literal + literal % 2;  // literal pixels, padded to 16 bits
    }
    return false;
}

bool BitmapComplete(std::string_view b) {
    if (b.size() < 18) return false;
    const std::uint32_t header = Le32(b, 14);
    if (header != 12 && header < 40) return true;  // unknown layout: the reader decides
    if (b.size() < 14 + (header == 12 ? 12u : 40u)) return false;
    const bool core = header == 12;
    const std::int64_t width = core ? Le16(b, 18) : static_cast<std::int32_t>(Le32(b, 18));
    const std::int64_t height = core ? Le16(b, 20) : static_cast<std::int32_t>(Le32(b, 22));
    const std::uint32_t bits = Le16(b, core ? 24 : 28), compression = core ? 0 : Le32(b, 30);
    const std::uint64_t offset = Le32(b, 10);
    if (offset > b.size()) return false;
    const std::string_view pixels = b.substr(offset);
    if (compression == 1 || compression == 2) return RunLengthComplete(pixels, compression == 2);
    if (compression != 0 && compression != 3 && compression != 6) return true;  // the reader decides
    const std::uint64_t stride = (static_cast<std::uint64_t>(std::llabs(width)) * bits + 31) / 32 * 4;
    return stride == 0 || static_cast<std::uint64_t>(std::llabs(height)) <= pixels.size() / stride;
}

// The first picture: descriptor, colour table, then data blocks up to an empty one.
bool GifComplete(std::string_view b) {
    if (b.size() < 13) return false;
    std::size_t at = 13;
    auto skipColourTable = [&](unsigned flags) {
        if (flags & 0x80) at += std::size_t{3} << ((flags & 7) + 1);
    };
    auto skipBlocks = [&] {
        while (at < b.size()) {
            const unsigned length = Byte(b, at++);
            if (length == 0) return true;
            at += length;
        }
        return false;
    };
    skipColourTable(Byte(b, 10));
    while (at < b.size()) {
        const unsigned kind = Byte(b, at);
        if (kind == 0x21) {  // an extension: label, then data blocks
            at += 2;
            if (!skipBlocks()) return false;
        } else if (kind == 0x2C) {
            if (at + 10 > b.size()) return false;
            const unsigned flags = Byte(b, at + 9);
            at += 10;
            skipColourTable(flags);
            ++at;  // the code size
            return skipBlocks();
        } else {
            return true;  // no picture, or damage: the reader decides
        }
    }
    return false;
}

// Marker segments, and the coded data after each start-of-scan, up to end-of-image.
bool JpegComplete(std::string_view b) {
    std::size_t at = 2;
    while (at + 1 < b.size()) {
        if (Byte(b, at) != 0xFF) return true;  // damage: the reader decides
        const unsigned marker = Byte(b, at + 1);
        at += marker == 0xFF ? 1 : 2;           // fill bytes before a marker
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
        if (marker == 0xD9) return true;
        if (at + 2 > b.size()) return false;
        at += Be16(b, at);
        if (marker != 0xDA) continue;
        // Coded data holds 0xFF only before 0 (a stuffed byte) or a restart marker.
        auto isMarker = [&](std::size_t i) {
            const unsigned next = Byte(b, i + 1);
            return Byte(b, i) == 0xFF && next != 0 && (next < 0xD0 || next > 0xD7);
        };
        while (at + 1 < b.size() && !isMarker(at)) ++at;
    }
    return false;
}

bool PngComplete(std::string_view b) {
    for (std::size_t at = 8; at + 8 <= b.size();) {
        const std::string_view type = b.substr(at + 4, 4);
        at += 12 + std::size_t{Be32(b, at)};  // length, type, data, check sum
        if (type == "IEND") return at <= b.size();
    }
    return false;
}

// `text` equals the lower-case `lower` in any case.
bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    return std::ranges::equal(text, lower,
                              [](char c, char e) { return std::tolower(static_cast<unsigned char>(c)) == e; });
}
}  // namespace

std::string PictureFileName(const std::string& text) {
    constexpr std::string_view extension = ".bmp";
    const bool hasExtension = text.size() >= extension.size() &&
                              EqualsIgnoringCase(std::string_view(text).substr(text.size() - extension.size()), extension);
    return hasExtension ? text : text + std::string(extension);
}

namespace {
std::string_view FileNameOf(const std::string& path) { return std::string_view(path).substr(path.find_last_of('/') + 1); }
}  // namespace

PictureFormat PictureFormatOfExtension(const std::string& path) {
    const std::string_view name = FileNameOf(path);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return PictureFormat::None;
    const std::string_view extension = name.substr(dot + 1);
    for (const PictureFormatName& f : kPictureFormats)
        for (const std::string_view known : f.extensions)
            if (!known.empty() && EqualsIgnoringCase(extension, known)) return f.format;
    return PictureFormat::None;
}

PictureFormat PictureFormatFor(const std::string& path) {
    if (FileNameOf(path).find('.') == std::string_view::npos) return PictureFormat::Png;
    return PictureFormatOfExtension(path);
}

std::uint32_t PixelsPerMetre(double dpi) {
    const double perMetre = RoundHalfEven(dpi / 0.0254);
    return perMetre >= 0 && perMetre <= 4e9 ? static_cast<std::uint32_t>(perMetre) : 0;
}

bool PictureDataComplete(std::string_view bytes) {
    if (bytes.starts_with("BM")) return BitmapComplete(bytes);
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return GifComplete(bytes);
    if (bytes.starts_with("\xFF\xD8\xFF")) return JpegComplete(bytes);
    if (bytes.starts_with("\x89PNG\r\n\x1A\n")) return PngComplete(bytes);
    return true;
}

}  // namespace velmora
