#pragma once
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// Printed pages are measured in twips, 1/1440 inch.
inline constexpr double kTwipsPerInch = 1440;
inline constexpr double kMmPerInch = 25.4;
inline constexpr double TwipsFromMm(double mm) { return mm * kTwipsPerInch / kMmPerInch; }
inline constexpr double MmFromTwips(double twips) { return twips * kMmPerInch / kTwipsPerInch; }

// A page or a sheet, in 1/1440 inch.
struct PageSize {
    double width = 0;
    double height = 0;

    bool operator==(const PageSize&) const = default;
};

// A rectangle on a page, in 1/1440 inch from the page's top-left corner (or the printer's drawing origin).
struct PageRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool operator==(const PageRect&) const = default;
};

// The page-width placement: left and top margins of 1 % of the page's width and height, running to the right
// edge of the page, with the height that keeps the canvas's proportions canvasWidth : canvasHeight (it may run
// below the page's bottom, where the printer cuts it off). Every value is single precision.
PageRect PlaceOnPage(PageSize page, float canvasWidth, float canvasHeight);

// A sheet of paper held upright (portrait) and the part of it the printer can print on.
struct Paper {
    PageSize sheet;
    PageRect printable;

    bool operator==(const Paper&) const = default;
};

// A whole sheet, printable to its edges.
inline Paper WholeSheet(PageSize sheet) { return {sheet, {0, 0, sheet.width, sheet.height}}; }

// Paper sizes known by name, upright, in mm.
struct NamedPaper {
    const char* name;
    double widthMm, heightMm;
};
inline constexpr NamedPaper kNamedPapers[] = {{"A4", 210, 297},        {"A3", 297, 420},
                                              {"A5", 148, 210},        {"Letter", 215.9, 279.4},
                                              {"Legal", 215.9, 355.6}, {"Tabloid", 279.4, 431.8}};

// The paper sizes of kNamedPapers by name (any case), or "WIDTHxHEIGHT" in mm.
std::optional<PageSize> PaperSizeNamed(const std::string& name);

// Reads "WxH" (millimetres, decimal numbers above zero, 'x' or 'X' between) into a size in 1/1440 inch.
std::optional<PageSize> SizeInMm(const std::string& text);

enum class PaperOrientation { Portrait, Landscape };

// How large the picture prints: the page-width placement, or a chosen size on paper.
enum class PrintScale { PageWidth, Actual };

// How the picture meets a chosen size: inside it whole, or covering it with the overhang cut equally on both
// sides. Its proportions are kept either way.
enum class PrintCover { WholePicture, Fill };

// What the print dialog and the command line accept, in mm: the largest size on paper, and the poster overlap.
inline constexpr double kPrintedSizeMaxMm = 5000;
inline constexpr double kPosterOverlapMm = 10, kPosterOverlapMaxMm = 100;

struct PrintChoices {
    Paper paper;
    PaperOrientation orientation = PaperOrientation::Portrait;
    PrintScale scale = PrintScale::PageWidth;
    PageSize size;  // the size on paper, for PrintScale::Actual
    PrintCover cover = PrintCover::WholePicture;
    double overlap = TwipsFromMm(kPosterOverlapMm);  // between neighbouring pages of a poster
    // A size that fits the sheet but not its printable area prints on one page over the sheet's edges, for a
    // printer that prints without margins; otherwise it becomes a poster.
    bool borderless = false;
};

// The picture to print: its pixels, and its drawing area in the canvas's own units (the page-width placement
// keeps their proportions).
struct PrintedPicture {
    int width = 0;
    int height = 0;
    float unitsWide = 0;
    float unitsHigh = 0;
};

// Whole pixels of the picture: columns x to x + width, rows y to y + height.
struct PicturePart {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PicturePart&) const = default;
};

// A thin line on a page, in 1/1440 inch.
struct PageLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A short text on a page: its baseline starts at (x, y); `text` is UTF-8 and holds Latin-1 characters only.
struct PageLabel {
    double x = 0, y = 0;
    double size = 0;  // the letters' size, 1/1440 inch
    std::string text;
};

// One printed page: the pixels `part` of the picture drawn into `placed`, and cut to `clip` (where a part
// holds pixels only partly on the page, or the picture's overhang is cut); the alignment marks and the label
// of a poster's page.
struct PrintedPage {
    int row = 0, column = 0;
    PicturePart part;
    PageRect placed;
    PageRect clip;
    std::vector<PageLine> marks;
    std::optional<PageLabel> label;
    // A product's finished size on the page, and that size with its bleed: where it is cut and how far the
    // picture runs past the cut.
    std::optional<PageRect> trim, bleed;
};

// The pages of one print, on sheets of `sheet` (in the orientation printed, with `printable` on it).
struct PageLayout {
    PageSize sheet;
    PageRect printable;
    int rows = 1, columns = 1;
    std::vector<PrintedPage> pages;  // row by row
    PageSize printedSize;            // of the picture on paper, overlaps counted once
    double dotsPerInch = 0;          // picture pixels per inch on paper
    bool needsBorderless = false;    // one page reaching beyond the printable area
    bool fitsBorderless = false;     // a poster whose picture one sheet printed without margins would hold

    bool Poster() const { return pages.size() > 1; }
};

// Below this resolution on paper the picture's dots show.
inline constexpr double kVisibleDotsBelowDpi = 150;

// The page of a product: `picture` (its bleed included) covering the trim size `trim` and `bleed` (1/1440
// inch) past it on every side, the trim and bleed boxes marked (a page without bleed or marks is the
// picture's own page, with none); with `cropMarks`, a margin around the bleed holding trim marks at the
// corners, which stop short of the bleed.
PageLayout ProductPage(const PrintedPicture& picture, PageSize trim, double bleed, bool cropMarks);
inline constexpr double kCropMarkMm = 5, kCropMarkGapMm = 2, kCropMarginMm = 8;

// Products offered by name, in mm: their size, the bleed a print shop cuts off around it, and the safe
// margin inside it that the cut or a stitched edge may take.
struct SizePreset {
    const char* name;
    double widthMm, heightMm;
    double bleedMm = 3, safeMm = 5;
};
inline constexpr SizePreset kSizePresets[] = {{"Mouse pad", 250, 210},
                                              {"Large mouse pad", 300, 250},
                                              {"Desk mat", 800, 300},
                                              {"Desk mat", 900, 400}};

// The product of kSizePresets whose size this is (either way round, to a tenth of a millimetre), if any.
const SizePreset* ProductOfSize(double widthMm, double heightMm);

// Lays the picture out on pages. The page-width placement prints one page relative to the printable area. A
// chosen size prints centred on the sheet (kept inside the printable area) when it fits the printable area, or
// with `borderless` when it fits the sheet (kept on the sheet); otherwise it becomes a poster: the printable area
// less a band for the marks and the label takes a tile of the picture, tiles start at the band's inner corner, and neighbouring tiles share `overlap` exactly (at most
// half a tile). Every position is computed from the page's row and column, so nothing drifts across pages.
PageLayout LayOutPages(const PrintedPicture& picture, const PrintChoices& choices);

// The band kept free around a poster page's tile for its marks and label.
inline constexpr double kPosterBand = TwipsFromMm(6);

}  // namespace velmora
