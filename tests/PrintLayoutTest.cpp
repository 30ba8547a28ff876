#include <gtest/gtest.h>

#include <utility>

#include "print/PrintLayout.h"
#include "tests/PrintRectOutput.h"

using namespace velmora;

namespace {

// Millimetres in 1/1440 inch, worked by hand: 1 mm = 1440 / 25.4 twips.
constexpr double kMm = 56.692913385826771;
constexpr PageSize kA4{210 * kMm, 297 * kMm};

void ExpectRect(const PageRect& r, double leftMm, double topMm, double widthMm, double heightMm) {
    EXPECT_NEAR(r.left, leftMm * kMm, 1e-6) << ::testing::PrintToString(r);
    EXPECT_NEAR(r.top, topMm * kMm, 1e-6) << ::testing::PrintToString(r);
    EXPECT_NEAR(r.width, widthMm * kMm, 1e-6) << ::testing::PrintToString(r);
    EXPECT_NEAR(r.height, heightMm * kMm, 1e-6) << ::testing::PrintToString(r);
}

PrintChoices ActualSize(PageSize sheet, double widthMm, double heightMm, PrintCover cover) {
    PrintChoices choices;
    choices.paper = WholeSheet(sheet);
    choices.scale = PrintScale::Actual;
    choices.size = {widthMm * kMm, heightMm * kMm};
    choices.cover = cover;
    return choices;
}

}  // namespace

TEST(PlaceOnPage, MarginsFullWidthAndTheCanvasProportions) {
    // 1 % margins and the page's width less the left margin; the height keeps 4 : 3 (11880 * 3 / 4), where it
    // once was 12000 * 3 / 4 - 160 = 8840, a picture 1 % too flat.
    EXPECT_EQ(PlaceOnPage({12000, 16000}, 4, 3), (PageRect{120, 160, 11880, 8910}));
    // The start-up canvas (152 x 107.5 units) in single precision: 10890 * 107.5 / 152 = 7701.80921...
    EXPECT_EQ(PlaceOnPage({11000, 15000}, 152, 107.5), (PageRect{110, 150, 10890, 7701.80908203125}));
    EXPECT_EQ(PlaceOnPage({11001, 15000}, 152, 107.5).left, 110.01f);
    // On a whole A4 sheet turned to landscape the bottom edge lies below the page's, where the printer cuts it.
    const PageRect r = PlaceOnPage({16838, 11906}, 608, 430);
    EXPECT_EQ(r.top, 119.06f);
    EXPECT_GT(r.Bottom(), 11906);
}

TEST(LayOutPages, PageWidthPlacementIsRelativeToThePrintableAreaAndFollowsTheOrientation) {
    PrintChoices choices;
    // Margins left 100, top 200, right 300, bottom 400 on a 12400 x 16600 sheet: a 12000 x 16000 printable area.
    choices.paper = {{12400, 16600}, {100, 200, 12000, 16000}};
    const PageLayout portrait = LayOutPages({608, 456, 4, 3}, choices);
    ASSERT_EQ(portrait.pages.size(), 1u);
    EXPECT_EQ(portrait.pages[0].placed, (PageRect{220, 360, 11880, 8910}));
    EXPECT_EQ(portrait.pages[0].part, (PicturePart{0, 0, 608, 456}));
    EXPECT_NEAR(portrait.dotsPerInch, 608 * 1440 / 11880.0, 1e-9);

    choices.orientation = PaperOrientation::Landscape;
    const PageLayout landscape = LayOutPages({608, 456, 4, 3}, choices);
    EXPECT_EQ(landscape.sheet, (PageSize{16600, 12400}));
    // The picture's top runs along the sheet's left edge: the bottom margin comes first, then left, top, right.
    EXPECT_EQ(landscape.printable, (PageRect{400, 100, 16000, 12000}));
    EXPECT_EQ(landscape.pages[0].placed, (PageRect{560, 220, 15840, 11880}));
}

TEST(LayOutPages, ChosenSizeIsCentredOnTheSheet) {
    // A 25 : 21 picture at 250 x 210 mm on A4 landscape, printable to its edges.
    const PageLayout layout = LayOutPages({2500, 2100, 2500, 2100},
                                          [] {
                                              PrintChoices c = ActualSize(kA4, 250, 210, PrintCover::WholePicture);
                                              c.orientation = PaperOrientation::Landscape;
                                              return c;
                                          }());
    ASSERT_EQ(layout.pages.size(), 1u);
    const PrintedPage& page = layout.pages[0];
    ExpectRect(page.placed, 23.5, 0, 250, 210);
    EXPECT_EQ(page.clip, page.placed);
    EXPECT_EQ(page.part, (PicturePart{0, 0, 2500, 2100}));
    EXPECT_TRUE(page.marks.empty());
    EXPECT_FALSE(page.label);
    EXPECT_NEAR(layout.dotsPerInch, 254, 1e-9);
    EXPECT_NEAR(layout.printedSize.width, 250 * kMm, 1e-6);
}

TEST(LayOutPages, WholePictureFitsAndFillCutsTheOverhangEqually) {
    // A 2 : 1 picture of 2000 x 1000 pixels in a 100 x 100 mm square on A4 portrait.
    const PageLayout fit = LayOutPages({2000, 1000, 2000, 1000}, ActualSize(kA4, 100, 100, PrintCover::WholePicture));
    ASSERT_EQ(fit.pages.size(), 1u);
    ExpectRect(fit.pages[0].placed, 55, 123.5, 100, 50);
    EXPECT_EQ(fit.pages[0].part, (PicturePart{0, 0, 2000, 1000}));
    EXPECT_NEAR(fit.dotsPerInch, 508, 1e-9);
    EXPECT_NEAR(LayOutPages({400, 200, 400, 200}, ActualSize(kA4, 100, 100, PrintCover::WholePicture)).dotsPerInch,
                101.6, 1e-9);

    // Fill: 0.1 mm per pixel makes the picture 200 x 100 mm; 50 mm (500 pixels) are cut on each side.
    const PageLayout fill = LayOutPages({2000, 1000, 2000, 1000}, ActualSize(kA4, 100, 100, PrintCover::Fill));
    ASSERT_EQ(fill.pages.size(), 1u);
    ExpectRect(fill.pages[0].clip, 55, 98.5, 100, 100);
    ExpectRect(fill.pages[0].placed, 55, 98.5, 100, 100);
    EXPECT_EQ(fill.pages[0].part, (PicturePart{500, 0, 1000, 1000}));
    EXPECT_NEAR(fill.dotsPerInch, 254, 1e-9);

    // An odd overhang: pixels cut only partly stay in the part, drawn beyond the clip by the same amount.
    const PageLayout odd = LayOutPages({2001, 1000, 2001, 1000}, ActualSize(kA4, 100, 100, PrintCover::Fill));
    EXPECT_EQ(odd.pages[0].part, (PicturePart{500, 0, 1001, 1000}));
    EXPECT_NEAR(odd.pages[0].placed.left - odd.pages[0].clip.left, -0.05 * kMm, 1e-6);
    EXPECT_NEAR(odd.pages[0].clip.Right() - odd.pages[0].placed.Right(), -0.05 * kMm, 1e-6);
}

TEST(LayOutPages, PosterTilesOverlapExactlyWithoutDrift) {
    // A 900 x 400 mm desk mat of 9000 x 4000 pixels (0.1 mm each) on A4 portrait with a 10 mm overlap. A page's
    // tile is the sheet less a 6 mm band: 198 x 285 mm, so tiles step 188 mm across and 275 mm down.
    PrintChoices choices = ActualSize(kA4, 900, 400, PrintCover::WholePicture);
    choices.overlap = 10 * kMm;
    const PageLayout layout = LayOutPages({9000, 4000, 9000, 4000}, choices);
    ASSERT_EQ(layout.rows, 2);
    ASSERT_EQ(layout.columns, 5);
    ASSERT_EQ(layout.pages.size(), 10u);
    const int columnsFrom[] = {0, 1880, 3760, 5640, 7520}, columnsTo[] = {1980, 3860, 5740, 7620, 9000};
    const int rowsFrom[] = {0, 2750}, rowsTo[] = {2850, 4000};
    for (const PrintedPage& page : layout.pages) {
        const int r = page.row, c = page.column;
        EXPECT_EQ(page.part, (PicturePart{columnsFrom[c], rowsFrom[r], columnsTo[c] - columnsFrom[c],
                                        rowsTo[r] - rowsFrom[r]}))
            << r << ", " << c;
        // Tiles start at the band's corner and their pixels start exactly there.
        for (const PageRect& rect : {page.clip, page.placed})
            ExpectRect(rect, 6, 6, (columnsTo[c] - columnsFrom[c]) / 10.0, (rowsTo[r] - rowsFrom[r]) / 10.0);
        ASSERT_TRUE(page.label);
        EXPECT_GT(page.label->y, page.clip.Bottom()) << "the label lies outside the picture";
    }
    EXPECT_EQ(layout.pages[9].label->text, "row 2, column 5 of 2 \u00D7 5");
    EXPECT_NEAR(layout.dotsPerInch, 254, 1e-9);
    EXPECT_NEAR(layout.printedSize.width, 900 * kMm, 1e-6);

    // The marks of the second page of the first row: where the first tile ends (16 mm) and the third begins
    // (194 mm), above and below the tile; where the tile below begins (281 mm), left and right of it.
    const PrintedPage& second = layout.pages[1];
    ASSERT_EQ(second.marks.size(), 6u);
    EXPECT_NEAR(second.marks[0].x1, 16 * kMm, 1e-6);
    EXPECT_NEAR(second.marks[2].x1, 194 * kMm, 1e-6);
    EXPECT_NEAR(second.marks[4].y1, 281 * kMm, 1e-6);
    EXPECT_LT(second.marks[0].y2, second.clip.top);
    EXPECT_GT(second.marks[1].y1, second.clip.Bottom());
}

// A4 landscape with margins of 5 mm (the printable area 287 x 200 mm): a 250 x 210 mm pad fits the sheet only.
// It becomes a poster whose marks and labels lie inside the printable area, or, printed borderless, one page.
TEST(LayOutPages, MarginsMakeAPosterOrABorderlessPage) {
    PrintChoices choices = ActualSize(kA4, 250, 210, PrintCover::WholePicture);
    choices.orientation = PaperOrientation::Landscape;
    choices.paper.printable = {5 * kMm, 5 * kMm, 200 * kMm, 287 * kMm};
    const PageLayout poster = LayOutPages({2500, 2100, 2500, 2100}, choices);
    ASSERT_TRUE(poster.Poster());
    EXPECT_TRUE(poster.fitsBorderless);
    EXPECT_EQ(poster.rows, 2);
    EXPECT_FALSE(poster.needsBorderless);
    const PageRect& area = poster.printable;
    for (const PrintedPage& page : poster.pages) {
        for (const PageLine& mark : page.marks)
            for (const auto& [x, y] : {std::pair{mark.x1, mark.y1}, std::pair{mark.x2, mark.y2}}) {
                EXPECT_GE(x, area.left);
                EXPECT_LE(x, area.Right());
                EXPECT_GE(y, area.top);
                EXPECT_LE(y, area.Bottom());
            }
        ASSERT_TRUE(page.label);
        EXPECT_LE(page.label->y, area.Bottom());
        EXPECT_GE(page.label->x, area.left);
    }

    choices.borderless = true;
    const PageLayout borderless = LayOutPages({2500, 2100, 2500, 2100}, choices);
    ASSERT_EQ(borderless.pages.size(), 1u);
    ExpectRect(borderless.pages[0].placed, 23.5, 0, 250, 210);
    EXPECT_TRUE(borderless.needsBorderless);
    EXPECT_FALSE(borderless.fitsBorderless);
    choices.paper.printable = {0, 0, kA4.width, kA4.height};
    const PageLayout whole = LayOutPages({2500, 2100, 2500, 2100}, choices);
    EXPECT_FALSE(whole.needsBorderless || whole.fitsBorderless || whole.Poster());
}

TEST(LayOutPages, SizesAndPapersReadInMillimetres) {
    const auto size = SizeInMm("180x127.28");
    ASSERT_TRUE(size);
    EXPECT_NEAR(size->width, 10204.724409448819, 1e-9);
    EXPECT_NEAR(size->height, 7215.8740157480315, 1e-9);
    EXPECT_EQ(PaperSizeNamed("a4"), (PageSize{210 * 1440 / 25.4, 297 * 1440 / 25.4}));
    const auto letter = PaperSizeNamed("Letter");
    ASSERT_TRUE(letter);
    EXPECT_NEAR(letter->width, 8.5 * 1440, 1e-9);
    EXPECT_NEAR(letter->height, 11 * 1440, 1e-9);
    EXPECT_TRUE(PaperSizeNamed("100X50"));
    for (const char* bad : {"", "A6", "x", "100x", "0x50", "-1x50", "10x20x30", "1e400x5", "nanx5"})
        EXPECT_FALSE(PaperSizeNamed(bad)) << bad;
}

// A product's page: trim centred in the bleed, the picture over the bleed; crop marks at the trim lines in the
// margin, none reaching into the bleed or off the sheet.
TEST(ProductPage, TrimInsideTheBleedAndMarksOutsideIt) {
    const PrintedPicture picture{10700, 4794, 10700, 4794};
    const PageLayout plain = ProductPage(picture, {900 * kMm, 400 * kMm}, 3 * kMm, false);
    EXPECT_NEAR(plain.sheet.width, 906 * kMm, 1e-6);
    EXPECT_NEAR(plain.sheet.height, 406 * kMm, 1e-6);
    ASSERT_EQ(plain.pages.size(), 1u);
    ExpectRect(*plain.pages[0].trim, 3, 3, 900, 400);
    ExpectRect(*plain.pages[0].bleed, 0, 0, 906, 406);
    EXPECT_EQ(plain.pages[0].placed, *plain.pages[0].bleed);
    EXPECT_TRUE(plain.pages[0].marks.empty());

    const PageLayout marked = ProductPage(picture, {900 * kMm, 400 * kMm}, 3 * kMm, true);
    EXPECT_NEAR(marked.sheet.width, 922 * kMm, 1e-6);
    ExpectRect(*marked.pages[0].trim, 11, 11, 900, 400);
    const PageRect bleed = *marked.pages[0].bleed;
    ASSERT_EQ(marked.pages[0].marks.size(), 8u);
    for (const PageLine& line : marked.pages[0].marks) {
        EXPECT_TRUE(line.x1 == line.x2 || line.y1 == line.y2);
        for (const auto& [x, y] : {std::pair{line.x1, line.y1}, std::pair{line.x2, line.y2}}) {
            EXPECT_TRUE(x < bleed.left || x > bleed.Right() || y < bleed.top || y > bleed.Bottom());
            EXPECT_TRUE(x >= 0 && x <= marked.sheet.width && y >= 0 && y <= marked.sheet.height);
        }
    }
}
