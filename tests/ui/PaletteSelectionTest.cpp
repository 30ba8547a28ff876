#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include <QImage>

#include "app/MainForm.h"
#include "app/toolkit/FileDrop.h"
#include "tests/TempFolder.h"
#include "tests/ui/EncodedPictures.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

// A strip picture whose every row differs, so the row each column samples shows.
ColorValue TestColour(int x, int y) { return Rgb(x % 256, 40 * y % 256, 255 - x % 256); }

QImage TestPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.setPixel(x, y, PixelOf(TestColour(x, y)));
    return picture;
}

// What the strip box shows after a drop: the picture at the top left, the
// background colour where it does not reach.
class ExpectedStrip final : public StripImage {
public:
    ExpectedStrip(int width, int height, ColorValue background) : w_(width), h_(height), background_(background) {}
    ColorValue PixelAt(int x, int y) const override { return x < w_ && y < h_ ? TestColour(x, y) : background_; }

private:
    int w_, h_;
    ColorValue background_;
};

class PaletteSelectionTest : public ::testing::Test {
protected:
    ::velmora::ColorTable TableB(const StripImage& strip) {
        ::velmora::ColorTable table;
        coltableB(table, strip);
        return table;
    }
    ::velmora::ColorTable TableA(const StripImage& strip) {
        ::velmora::ColorTable table;
        coltableA(table, strip);
        return table;
    }
    QString SavedPicture(int width, int height, const char* name = "strip.bmp") {
        const QString path = QString::fromStdString(folder / name);
        EXPECT_TRUE(TestPicture(width, height).save(path));
        return path;
    }
    QString Path(const char* name) const { return QString::fromStdString(folder / name); }
    ColorValue Background() const { return ColorOfPixel(form.gra->Background().rgb()); }

    testing::ScriptedServices services;
    ScopedServices scoped{services};
    testing::TempFolder folder;
    MainForm form;
};

TEST_F(PaletteSelectionTest, OptionsBuildTheirPalettesFromTheDefaultStrip) {
    const DefaultStrip strip;
    form.palettOption[0]->click();
    EXPECT_EQ(form.ColorTable.column, TableB(strip).column);
    EXPECT_EQ(form.ColorTable.column[2][0], Rgb(0, 0, 0));
    form.palettOption[1]->click();
    EXPECT_EQ(form.ColorTable.column, TableA(strip).column);
    EXPECT_EQ(form.ColorTable.column[2][0], Rgb(255, 255, 255));
    form.DefaultPalett->click();
    ::velmora::ColorTable defaults;
    coltable(defaults);
    EXPECT_EQ(form.ColorTable.column, defaults.column);
}

TEST_F(PaletteSelectionTest, DroppedStripIsShownUnscaledAndSampledWithTheSelectedOption) {
    EXPECT_TRUE(form.gra->acceptDrops());
    form.palettOption[0]->click();
    // Rows 1 and 2 differ: the 128-colour column of "Palett A" reads row 1, every other column row 2.
    ASSERT_TRUE(DeliverDrop(form.gra, {SavedPicture(256, 8)}));
    const ExpectedStrip dropped(256, 8, Background());
    EXPECT_EQ(form.ColorTable.column, TableB(dropped).column);
    EXPECT_EQ(form.ColorTable.column[7][1], TestColour(2, 1));
    EXPECT_EQ(form.ColorTable.column[6][1], TestColour(4, 2));
    EXPECT_EQ(form.gra->PixelAt(10, 7), TestColour(10, 7));
    EXPECT_TRUE(form.palettOption[0]->Value());

    // The dropped strip stays for later choices.
    form.palettOption[1]->click();
    EXPECT_EQ(form.ColorTable.column, TableA(dropped).column);
    EXPECT_EQ(form.ColorTable.column[7][0], TestColour(255, 2));
}

TEST_F(PaletteSelectionTest, DropWhileDefaultIsSelectedSamplesRightToLeft) {
    ASSERT_TRUE(DeliverDrop(form.gra, {SavedPicture(256, 8)}));
    EXPECT_TRUE(form.DefaultPalett->Value());
    EXPECT_FALSE(form.palettOption[0]->Value());
    EXPECT_FALSE(form.palettOption[1]->Value());
    EXPECT_EQ(form.ColorTable.column, TableA(ExpectedStrip(256, 8, Background())).column);
}

TEST_F(PaletteSelectionTest, SmallPicturesLeaveTheBackgroundAndLargeOnesAreCut) {
    form.palettOption[0]->click();
    // Narrow and low: columns from 100 on and row 2 read the window colour.
    ASSERT_TRUE(DeliverDrop(form.gra, {SavedPicture(100, 2)}));
    EXPECT_EQ(form.gra->Image().size(), QSize(256, 8));
    EXPECT_EQ(form.gra->PixelAt(150, 0), Background());
    EXPECT_EQ(form.gra->PixelAt(50, 1), TestColour(50, 1));
    EXPECT_EQ(form.ColorTable.column, TableB(ExpectedStrip(100, 2, Background())).column);
    EXPECT_EQ(form.ColorTable.column[7][1], TestColour(2, 1));
    EXPECT_EQ(form.ColorTable.column[2][1], Background());

    ASSERT_TRUE(DeliverDrop(form.gra, {SavedPicture(600, 40, "large.png")}));
    EXPECT_EQ(form.gra->Image().size(), QSize(256, 8));
    EXPECT_EQ(form.gra->PixelAt(255, 7), TestColour(255, 7));
    EXPECT_EQ(form.ColorTable.column, TableB(ExpectedStrip(256, 8, Background())).column);

    // Transparent pixels show the background.
    QImage clear(256, 8, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QString path = QString::fromStdString(folder / "clear.png");
    ASSERT_TRUE(clear.save(path));
    ASSERT_TRUE(DeliverDrop(form.gra, {path}));
    EXPECT_EQ(form.gra->PixelAt(128, 2), Background());
}

TEST_F(PaletteSelectionTest, NextPictureIsDrawnInTheDroppedStripsPalette) {
    ASSERT_TRUE(DeliverDrop(form.gra, {SavedPicture(256, 8)}));
    form.palettOption[1]->click();
    form.Strt_Click();
    const auto table = TableA(ExpectedStrip(256, 8, Background()));
    const auto& sixteen = table.column[4];
    const std::set<ColorValue> palette(sixteen.begin(), sixteen.begin() + 16);
    std::set<ColorValue> drawn;
    const QImage& canvas = form.Pic1->Image();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) drawn.insert(ColorOfPixel(canvas.pixel(x, y)));
    EXPECT_TRUE(std::includes(palette.begin(), palette.end(), drawn.begin(), drawn.end()));
    EXPECT_GT(drawn.size(), 4u);
}

// A header claiming 60000 x 60000 pixels: more than the loader is allowed to allocate.
std::string HugeBitmapHeader() {
    std::string bytes(54, '\0');
    const auto put = [&](int at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, 60000, 4);
    put(22, 60000, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    return bytes;
}

TEST_F(PaletteSelectionTest, FailedDropsChangeNothingAndSayNothing) {
    form.palettOption[0]->click();
    const QImage strip = form.gra->Image();
    const ::velmora::ColorTable table = form.ColorTable;
    const QImage canvas = form.Pic1->Image();
    testing::WriteAll(folder / "notes.txt", "not a picture\n");
    const std::string whole = testing::ReadAll(SavedPicture(256, 8, "whole.bmp").toStdString());
    testing::WriteAll(folder / "cut.bmp", whole.substr(0, 30));
    testing::WriteAll(folder / "huge.bmp", HugeBitmapHeader());
    ASSERT_EQ(::mkfifo((folder / "pipe.bmp").c_str(), 0600), 0);  // no writer: opening it would wait
    const QString picture = SavedPicture(256, 8);
    // Only the first file counts, also when a picture follows it.
    std::vector<QStringList> failing = {{},
                                   {Path("notes.txt"), picture},
                                   {Path("missing.bmp")},
                                   {Path("cut.bmp")},
                                   {Path("huge.bmp")},
                                   {QString::fromStdString(folder.path().string())},
                                   {Path("pipe.bmp")}};
    for (const auto& [format, bytes] : testing::EncodedPictures()) {  // cut short, mid-way through the pixels
        testing::WriteAll(folder / ("cut." + format), bytes.left(bytes.size() / 2).toStdString());
        failing.push_back({Path(("cut." + format).c_str())});
    }
    for (const QStringList& paths : failing) {
        ASSERT_TRUE(DeliverDrop(form.gra, paths));
        EXPECT_EQ(form.gra->Image(), strip) << paths.join(' ').toStdString();
        EXPECT_EQ(form.ColorTable.column, table.column) << paths.join(' ').toStdString();
    }
    EXPECT_TRUE(services.messages.empty());

    // Palette changes never draw: the canvas is untouched and nothing yielded or beeped.
    ASSERT_TRUE(DeliverDrop(form.gra, {picture}));
    form.DefaultPalett->click();
    EXPECT_EQ(form.Pic1->Image(), canvas);
    EXPECT_EQ(services.doEventsCalls, 0);
    EXPECT_EQ(services.beeps, 0);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("16"));
}

// The strip and the canvas take pictures, the region and parameter controls
// data files; nothing else in the window takes a drop.
TEST_F(PaletteSelectionTest, OnlyTheDropTargetsAcceptDrops) {
    std::set<const QWidget*> expected = {form.gra,   form.Pic1, form.Frame1, form.Frame2, form.texta,
                                         form.textb, form.XH,   form.XL,     form.YH,     form.YL};
    expected.insert(form.tyuu.begin(), form.tyuu.end());
    expected.insert(form.CommandZoom.begin(), form.CommandZoom.end());
    expected.insert(form.Commandpos.begin(), form.Commandpos.end());
    std::set<const QWidget*> accepting;
    for (const QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->acceptDrops()) continue;
        accepting.insert(widget);
        EXPECT_TRUE(expected.count(widget)) << widget->metaObject()->className() << " at " << widget->x() << ", "
                                            << widget->y();
    }
    EXPECT_EQ(accepting.size(), expected.size());
}

}  // namespace
}  // namespace velmora
