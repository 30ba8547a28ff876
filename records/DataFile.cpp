#include "records/DataFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstring>

#include "canvas/CanvasGeometry.h"
#include "common/Numbers.h"
#include "palette/ColorTable.h"
#include "records/Module_ini.h"
#include "render/Patterns.h"

namespace velmora {

namespace {

std::optional<int> StoredChoice(const std::string& text, int lowest, int highest) {
    const auto n = ToInt16(Val(text));
    if (!n || *n < lowest || *n > highest) return std::nullopt;
    return *n;
}

constexpr const char* kPaletteNames[] = {"Default", "A", "B"};
constexpr const char* kDefaultStripName = "Default";
constexpr const char* kPictureStripName = "Picture";
// Colours of a strip row per key: 32 colours of six hexadecimal digits stay
// below the 255 bytes a value may hold.
constexpr int kStripColoursPerKey = 32;
constexpr int kStripKeysPerRow = kStripWidth / kStripColoursPerKey;

std::string StripKey(int row, int part) { return "Row" + std::to_string(row + 1) + "_" + std::to_string(part); }

// "RRGGBB" for each colour.
std::string HexColours(const ColorValue* colours, int count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < count; ++i) {
        const ColorValue c = colours[i];
        for (const unsigned channel : {c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu}) {
            text += kDigits[channel >> 4];
            text += kDigits[channel & 15];
        }
    }
    return text;
}

bool ReadHexColours(const std::string& text, ColorValue* colours, int count) {
    if (text.size() != static_cast<std::size_t>(count) * 6) return false;
    for (int i = 0; i < count; ++i) {
        unsigned rgb = 0;
        const char* begin = text.data() + 6 * i;
        const auto [end, error] = std::from_chars(begin, begin + 6, rgb, 16);
        if (error != std::errc() || end != begin + 6) return false;
        colours[i] = ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
    }
    return true;
}

// The shortest text that reads back as `value`.
std::string NumberText(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A number written by NumberText, or nothing when the text is not wholly a finite number.
std::optional<double> StoredNumber(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<ProductChoice> StoredProduct() {
    using Module_ini::ReadIni;
    const auto width = StoredNumber(ReadIni("Product", "Width"));
    const auto height = StoredNumber(ReadIni("Product", "Height"));
    const auto dpi = StoredNumber(ReadIni("Product", "Dpi"));
    const auto bleed = StoredNumber(ReadIni("Product", "Bleed"));
    if (!width || !height || !dpi || !bleed || *width <= 0 || *height <= 0 || *dpi <= 0 || *bleed < 0)
        return std::nullopt;
    std::string profile = ReadIni("Product", "Profile");
    if (profile == Module_ini::kNoEntry) profile.clear();
    return ProductChoice{*width, *height, *dpi, *bleed, profile};
}

std::optional<StripRows> StoredStrip() {
    StripRows strip;
    for (int row = 0; row < 2; ++row)
        for (int part = 0; part < kStripKeysPerRow; ++part)
            if (!ReadHexColours(Module_ini::ReadIni("Strip", StripKey(row, part)),
                                strip.rows[row].data() + part * kStripColoursPerKey, kStripColoursPerKey))
                return std::nullopt;
    return strip;
}

}  // namespace

ColorValue StoredStripImage::PixelAt(int x, int y) const {
    if (x < 0 || x >= kStripWidth) return 0;
    return rows_.rows[y <= 1 ? 0 : 1][static_cast<std::size_t>(x)];
}

std::string DataFilePath(const std::string& folder, const std::string& nameText) {
    return folder + "/" + nameText + kDataFileSuffix;
}

std::vector<ProfileEntry> DataFileEntries(const PictureParameters& p, const std::string& dateText,
                                          const DataFileExtras& extras) {
    std::vector<ProfileEntry> entries{
        {"Main", "App", kDataFileApp},
        {"Main", "Date", dateText},
        {"Initial", "Ptn", std::to_string(p.pattern)},
        {"Initial", "HiRes", std::to_string(p.highResolution)},
        {"Initial", "Color", std::to_string(p.colourIndex)},
        {"Initial", "a", p.a},
        {"Initial", "b", p.b},
        {"Initial", "x0", p.x0},
        {"Initial", "x1", p.x1},
        {"Initial", "y0", p.y0},
        {"Initial", "y1", p.y1},
        {"Initial", "Size", std::to_string(p.sizeValue)},
        {"Initial", "Palette", kPaletteNames[static_cast<int>(p.palette)]},
        {"Initial", "Strip", extras.strip ? kPictureStripName : kDefaultStripName},
    };
    if (extras.strip)
        for (int row = 0; row < 2; ++row)
            for (int part = 0; part < kStripKeysPerRow; ++part)
                entries.push_back({"Strip", StripKey(row, part),
                                   HexColours(extras.strip->rows[row].data() + part * kStripColoursPerKey,
                                              kStripColoursPerKey)});
    if (const auto& product = extras.product) {
        entries.push_back({"Product", "Width", NumberText(product->widthMm)});
        entries.push_back({"Product", "Height", NumberText(product->heightMm)});
        entries.push_back({"Product", "Dpi", NumberText(product->dpi)});
        entries.push_back({"Product", "Bleed", NumberText(product->bleedMm)});
        entries.push_back({"Product", "Profile", product->profile});
    }
    return entries;
}

void ApplyStoredParameters(PictureParameters& p) {
    using Module_ini::ReadIni;
    if (const auto pattern = StoredChoice(ReadIni("Initial", "Ptn"), 0, kPatternCount - 1)) ApplyPattern(p, *pattern);
    if (const auto highResolution = StoredChoice(ReadIni("Initial", "HiRes"), 0, 2)) p.highResolution = *highResolution;
    if (const auto colour = StoredChoice(ReadIni("Initial", "Color"), -1, kColourChoices - 1)) p.colourIndex = *colour;
    p.a = ReadIni("Initial", "a");
    p.b = ReadIni("Initial", "b");
    p.x0 = ReadIni("Initial", "x0");
    p.x1 = ReadIni("Initial", "x1");
    p.y0 = ReadIni("Initial", "y0");
    p.y1 = ReadIni("Initial", "y1");
    if (const auto size = StoredChoice(ReadIni("Initial", "Size"), kSizeMin, kSizeMax)) p.sizeValue = *size;
    const std::string palette = ReadIni("Initial", "Palette");
    for (int i = 0; i < 3; ++i)
        if (palette == kPaletteNames[i]) p.palette = static_cast<PaletteChoice>(i);
}

DataFileExtras StoredExtras() {
    DataFileExtras extras;
    const std::string strip = Module_ini::ReadIni("Initial", "Strip");
    extras.defaultStrip = strip == kDefaultStripName;
    if (strip == kPictureStripName) extras.strip = StoredStrip();
    extras.product = StoredProduct();
    return extras;
}

std::optional<std::string> ApplyDataFile(PictureParameters& p, const std::string& path, DataFileExtras* extras) {
    if (!ReadProfileFile(path)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return std::string(std::strerror(errno));
        ::close(fd);
        return std::string("not a regular file");
    }
    Module_ini::IniFileName = path;
    ApplyStoredParameters(p);
    if (extras) *extras = StoredExtras();
    return std::nullopt;
}

}  // namespace velmora
