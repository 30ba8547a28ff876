#include "print/PrintLayout.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace velmora {

PageRect PlaceOnPage(PageSize page, float canvasWidth, float canvasHeight) {
    const auto pageWidth = static_cast<float>(page.width);
    const auto pageHeight = static_cast<float>(page.height);
    const float marginX = pageWidth / 100.0f;
    const float marginY = pageHeight / 100.0f;
    const float width = pageWidth - marginX;
    const float height = width * canvasHeight / canvasWidth;
    return {marginX, marginY, width, height};
}

namespace {

bool SameLetters(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

std::optional<double> PositiveNumber(const char* first, const char* last) {
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !(value > 0) || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The printable area of a portrait sheet turned a quarter turn for landscape: the picture's top runs along the
// sheet's left edge, so the portrait margins left, top, right, bottom become top, right, bottom, left.
PageRect TurnedPrintable(const Paper& paper) {
    const PageRect& p = paper.printable;
    const double right = paper.sheet.width - p.Right();
    const double bottom = paper.sheet.height - p.Bottom();
    return {bottom, p.left, paper.sheet.height - bottom - p.top, paper.sheet.width - p.left - right};
}

// The tiles of a length split with a fixed overlap: how many tiles of `tile` cover `length`.
int TileCount(double length, double tile, double overlap) {
    if (length <= tile) return 1;
    return static_cast<int>(std::ceil((length - overlap) / (tile - overlap) - 1e-9));
}

// The whole pixels of the picture that reach the span [from, to) of the visible area, where pixel 0 starts at
// `offset` and each pixel is `scale` long; clamped to the picture.
std::pair<int, int> PixelSpan(double from, double to, double offset, double scale, int pixels) {
    const double first = std::floor((from - offset) / scale + 1e-6);
    const double last = std::ceil((to - offset) / scale - 1e-6);
    const int a = static_cast<int>(std::clamp(first, 0.0, static_cast<double>(pixels)));
    const int b = static_cast<int>(std::clamp(last, static_cast<double>(a), static_cast<double>(pixels)));
    return {a, b};
}

}  // namespace

std::optional<PageSize> SizeInMm(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    const auto width = PositiveNumber(text.data(), text.data() + x);
    const auto height = PositiveNumber(text.data() + x + 1, text.data() + text.size());
    if (!width || !height) return std::nullopt;
    return PageSize{TwipsFromMm(*width), TwipsFromMm(*height)};
}

std::optional<PageSize> PaperSizeNamed(const std::string& name) {
    for (const NamedPaper& paper : kNamedPapers)
        if (SameLetters(name, paper.name)) return PageSize{TwipsFromMm(paper.widthMm), TwipsFromMm(paper.heightMm)};
    return SizeInMm(name);
}

PageLayout LayOutPages(const PrintedPicture& picture, const PrintChoices& choices) {
    PageLayout layout;
    const bool landscape = choices.orientation == PaperOrientation::Landscape;
    const PageSize& sheet = choices.paper.sheet;
    layout.sheet = landscape ? PageSize{sheet.height, sheet.width} : sheet;
    layout.printable = landscape ? TurnedPrintable(choices.paper) : choices.paper.printable;
    const PageRect& area = layout.printable;
    const int pw = picture.width, ph = picture.height;
    if (pw <= 0 || ph <= 0 || area.width <= 0 || area.height <= 0) return layout;

    if (choices.scale == PrintScale::PageWidth) {
        PageRect placed = PlaceOnPage({area.width, area.height}, picture.unitsWide, picture.unitsHigh);
        placed.left += area.left;
        placed.top += area.top;
        layout.pages.push_back({0, 0, {0, 0, pw, ph}, placed, placed, {}, std::nullopt});
        layout.printedSize = {placed.width, placed.height};
        layout.dotsPerInch = pw * kTwipsPerInch / placed.width;
        return layout;
    }

    const PageSize box = choices.size;
    if (!(box.width > 0) || !(box.height > 0)) return layout;
    // Twips per picture pixel, the same across and down.
    const double fitScale = std::min(box.width / pw, box.height / ph);
    const double scale = choices.cover == PrintCover::Fill ? std::max(box.width / pw, box.height / ph) : fitScale;
    const bool fill = choices.cover == PrintCover::Fill;
    // The visible picture, and where the picture's pixel 0 lies in it (before it, for the overhang of Fill).
    const PageSize visible = fill ? box : PageSize{pw * scale, ph * scale};
    const double offsetX = fill ? (box.width - pw * scale) / 2 : 0;
    const double offsetY = fill ? (box.height - ph * scale) / 2 : 0;
    layout.printedSize = visible;
    layout.dotsPerInch = kTwipsPerInch / scale;

    // A size that matches the printable area but for rounding to a tenth of a millimetre still fits on one page.
    const double slack = TwipsFromMm(0.1);
    const bool fitsArea = visible.width <= area.width + slack && visible.height <= area.height + slack;
    const bool fitsSheet = visible.width <= layout.sheet.width + slack && visible.height <= layout.sheet.height + slack;
    const bool onePage = fitsArea || (choices.borderless && fitsSheet);
    layout.needsBorderless = onePage && !fitsArea;
    layout.fitsBorderless = !onePage && fitsSheet;
    const double band = onePage ? 0 : std::min({kPosterBand, area.width / 4, area.height / 4});
    const double tileWidth = onePage ? visible.width : area.width - 2 * band;
    const double tileHeight = onePage ? visible.height : area.height - 2 * band;
    const double overlap = onePage ? 0 : std::clamp(choices.overlap, 0.0, std::min(tileWidth, tileHeight) / 2);
    layout.columns = TileCount(visible.width, tileWidth, overlap);
    layout.rows = TileCount(visible.height, tileHeight, overlap);
    const double stepX = tileWidth - overlap, stepY = tileHeight - overlap;

    double originX = area.left + band, originY = area.top + band;
    if (onePage) {
        // Kept inside the printable area, or on the sheet when it needs borderless printing.
        const PageRect& room = fitsArea ? area : PageRect{0, 0, layout.sheet.width, layout.sheet.height};
        originX = std::clamp((layout.sheet.width - visible.width) / 2, room.left,
                             std::max(room.left, room.Right() - visible.width));
        originY = std::clamp((layout.sheet.height - visible.height) / 2, room.top,
                             std::max(room.top, room.Bottom() - visible.height));
    }
    const double gap = TwipsFromMm(1), tick = TwipsFromMm(4);
    for (int r = 0; r < layout.rows; ++r) {
        for (int c = 0; c < layout.columns; ++c) {
            const double x0 = c * stepX, y0 = r * stepY;
            const double x1 = std::min(x0 + tileWidth, visible.width), y1 = std::min(y0 + tileHeight, visible.height);
            PrintedPage page;
            page.row = r;
            page.column = c;
            page.clip = {originX, originY, x1 - x0, y1 - y0};
            const auto [px0, px1] = PixelSpan(x0, x1, offsetX, scale, pw);
            const auto [py0, py1] = PixelSpan(y0, y1, offsetY, scale, ph);
            page.part = {px0, py0, px1 - px0, py1 - py0};
            page.placed = {originX + offsetX + px0 * scale - x0, originY + offsetY + py0 * scale - y0,
                           (px1 - px0) * scale, (py1 - py0) * scale};
            if (!onePage) {
                const PageRect& t = page.clip;
                // Where the neighbours' tiles begin and end on this one.
                std::vector<double> across, down;
                if (c > 0) across.push_back(t.left + overlap);
                if (c + 1 < layout.columns) across.push_back(t.left + (c + 1) * stepX - x0);
                if (r > 0) down.push_back(t.top + overlap);
                if (r + 1 < layout.rows) down.push_back(t.top + (r + 1) * stepY - y0);
                for (const double x : across) {
                    page.marks.push_back({x, t.top - gap - tick, x, t.top - gap});
                    page.marks.push_back({x, t.Bottom() + gap, x, t.Bottom() + gap + tick});
                }
                for (const double y : down) {
                    page.marks.push_back({t.left - gap - tick, y, t.left - gap, y});
                    page.marks.push_back({t.Right() + gap, y, t.Right() + gap + tick, y});
                }
                page.label = PageLabel{t.left + (c > 0 ? overlap : 0) + TwipsFromMm(2), t.Bottom() + TwipsFromMm(4),
                                       7 * kTwipsPerInch / 72,
                                       "row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1) + " of " +
                                           std::to_string(layout.rows) + " \u00D7 " + std::to_string(layout.columns)};
            }
            layout.pages.push_back(std::move(page));
        }
    }
    return layout;
}

}  // namespace velmora

namespace velmora {

PageLayout ProductPage(const PrintedPicture& picture, PageSize trim, double bleed, bool cropMarks) {
    const double margin = cropMarks ? TwipsFromMm(kCropMarginMm) : 0;
    const PageRect bleedBox{margin, margin, trim.width + 2 * bleed, trim.height + 2 * bleed};
    const PageRect trimBox{margin + bleed, margin + bleed, trim.width, trim.height};
    PageLayout layout;
    layout.sheet = {bleedBox.width + 2 * margin, bleedBox.height + 2 * margin};
    layout.printable = {0, 0, layout.sheet.width, layout.sheet.height};
    layout.printedSize = {bleedBox.width, bleedBox.height};
    layout.dotsPerInch = picture.width * kTwipsPerInch / bleedBox.width;
    PrintedPage page;
    page.part = {0, 0, picture.width, picture.height};
    page.placed = page.clip = bleedBox;
    if (bleed > 0 || cropMarks) {
        page.trim = trimBox;
        page.bleed = bleedBox;
    }
    if (cropMarks) {
        // Each corner: a mark along either trim line, from the gap outside the bleed outward.
        const double gap = TwipsFromMm(kCropMarkGapMm), length = TwipsFromMm(kCropMarkMm);
        for (const double x : {trimBox.left, trimBox.Right()})
            for (const double y : {trimBox.top, trimBox.Bottom()}) {
                const double out = x == trimBox.left ? -1 : 1, down = y == trimBox.top ? -1 : 1;
                const double bleedX = out < 0 ? bleedBox.left : bleedBox.Right();
                const double bleedY = down < 0 ? bleedBox.top : bleedBox.Bottom();
                page.marks.push_back({bleedX + out * gap, y, bleedX + out * (gap + length), y});
                page.marks.push_back({x, bleedY + down * gap, x, bleedY + down * (gap + length)});
            }
    }
    layout.pages.push_back(std::move(page));
    return layout;
}

const SizePreset* ProductOfSize(double widthMm, double heightMm) {
    const auto near = [](double a, double b) { return std::fabs(a - b) < 0.05; };
    for (const SizePreset& preset : kSizePresets)
        if ((near(widthMm, preset.widthMm) && near(heightMm, preset.heightMm)) ||
            (near(widthMm, preset.heightMm) && near(heightMm, preset.widthMm)))
            return &preset;
    return nullptr;
}

}  // namespace velmora
