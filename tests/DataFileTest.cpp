#include <gtest/gtest.h>

#include "records/DataFile.h"
#include "records/Module_ini.h"
#include "tests/TempFolder.h"

using namespace velmora;
using velmora::testing::ReadAll;
using velmora::testing::TempFolder;
using velmora::testing::WriteAll;

TEST(DataFile, SaveWritesTheKeysInOrderAndTheWindowlessLoadReadsThemBack) {
    TempFolder folder;
    Module_ini::IniFileName = DataFilePath(folder.path().string(), "Fractal");
    const PictureParameters record{.a = "0.29", .b = "-0.11", .x0 = "11", .x1 = "-5", .y0 = "1", .y1 = " -15x",
                                   .pattern = 2, .highResolution = 1, .colourIndex = 7};
    ASSERT_FALSE(Module_ini::WriteIniEntries(DataFileEntries(record, "2026/12/07 5:30:00")));
    EXPECT_EQ(ReadAll(folder / "Fractal_dat.txt"),
              "[Main]\r\nApp=Velmora Generator1.1Rev6\r\nDate=2026/12/07 5:30:00\r\n"
              "[Initial]\r\nPtn=2\r\nHiRes=1\r\nColor=7\r\na=0.29\r\nb=-0.11\r\nx0=11\r\nx1=-5\r\ny0=1\r\ny1= -15x\r\n"
              "Size=37\r\nPalette=Default\r\nStrip=Default\r\n");
    auto s = StartupParameters();
    ASSERT_FALSE(ApplyDataFile(s, Module_ini::IniFileName));
    EXPECT_EQ(s.kernelTag, "1");  // pattern 2's own
    EXPECT_TRUE(s.highResolution);
    EXPECT_EQ(s.colourIndex, 7);
    EXPECT_EQ((std::vector{s.a, s.b, s.x0, s.x1, s.y0, s.y1}),
              (std::vector<std::string>{"0.29", "-0.11", "11", "-5", "1", "-15x"}));

    EXPECT_TRUE(ApplyDataFile(s, folder / "missing_dat.txt"));
    EXPECT_TRUE(ApplyDataFile(s, folder.path().string()));
}

TEST(DataFile, ValuesTheControlsCannotTakeAreIgnored) {
    TempFolder folder;
    for (const char* file : {"[Initial]\nPtn=6\nHiRes=3\nColor=8\n", "[Initial]\nPtn=-1\nHiRes=-1\nColor=-2\n",
                             "[Initial]\nPtn=&H10000\nHiRes=40000\nColor=1E30\n"}) {
        WriteAll(folder / "odd_dat.txt", file);
        auto s = StartupParameters();
        ApplyPattern(s, 3);
        s.highResolution = 1;
        s.colourIndex = 6;
        ASSERT_FALSE(ApplyDataFile(s, folder / "odd_dat.txt"));
        EXPECT_EQ(s.pattern, 3) << file;
        EXPECT_TRUE(s.highResolution) << file;
        EXPECT_EQ(s.colourIndex, 6) << file;
        EXPECT_EQ(s.a, "no ent") << file;
    }
}

// After the original keys: the canvas size, the palette, the strip's two sampled rows and the product. Files
// without them leave those choices as they were; a damaged strip or product is not used.
TEST(DataFile, SizePaletteStripAndProductRoundTripAndOldFilesKeepTheChoices) {
    TempFolder folder;
    Module_ini::IniFileName = DataFilePath(folder.path().string(), "mat");
    PictureParameters record = StartupParameters();
    record.sizeValue = 48;
    record.palette = PaletteChoice::B;
    DataFileExtras extras;
    extras.strip.emplace();
    for (int x = 0; x < kStripWidth; ++x) {
        extras.strip->rows[0][x] = Rgb(x, 255 - x, 7);
        extras.strip->rows[1][x] = Rgb(1, x, x / 2);
    }
    extras.product = ProductChoice{900, 400, 300, 3, "sRGB"};
    ASSERT_FALSE(Module_ini::WriteIniEntries(DataFileEntries(record, "now", extras)));
    const std::string file = ReadAll(folder / "mat_dat.txt");
    EXPECT_NE(file.find("Size=48\r\nPalette=B\r\nStrip=Picture\r\n[Strip]\r\nRow1_0=00FF07"), std::string::npos);
    EXPECT_NE(file.find("[Product]\r\nWidth=900\r\nHeight=400\r\nDpi=300\r\nBleed=3\r\nProfile=sRGB\r\n"),
              std::string::npos);

    PictureParameters loaded = StartupParameters();
    DataFileExtras read;
    ASSERT_FALSE(ApplyDataFile(loaded, Module_ini::IniFileName, &read));
    EXPECT_EQ(loaded.sizeValue, 48);
    EXPECT_EQ(loaded.palette, PaletteChoice::B);
    EXPECT_EQ(read.strip, extras.strip);
    EXPECT_EQ(read.product, extras.product);
    const StoredStripImage strip(*read.strip);
    EXPECT_EQ(strip.PixelAt(200, 0), Rgb(200, 55, 7));
    EXPECT_EQ(strip.PixelAt(200, 7), Rgb(1, 200, 100));

    for (const char* old : {"[Initial]\nPtn=1\n", "[Initial]\nSize=53\nPalette=C\nStrip=Picture\n[Strip]\nRow1_0=00\n"
                                                  "[Product]\nWidth=900\nHeight=x\nDpi=300\nBleed=0\n"}) {
        WriteAll(folder / "old_dat.txt", old);
        PictureParameters kept = StartupParameters();
        kept.sizeValue = 44;
        kept.palette = PaletteChoice::A;
        ASSERT_FALSE(ApplyDataFile(kept, folder / "old_dat.txt", &read));
        EXPECT_EQ(kept.sizeValue, 44) << old;
        EXPECT_EQ(kept.palette, PaletteChoice::A) << old;
        EXPECT_FALSE(read.strip) << old;
        EXPECT_FALSE(read.defaultStrip) << old;
        EXPECT_FALSE(read.product) << old;
    }
}
