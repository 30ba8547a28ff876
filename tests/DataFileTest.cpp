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
              "[Initial]\r\nPtn=2\r\nHiRes=1\r\nColor=7\r\na=0.29\r\nb=-0.11\r\nx0=11\r\nx1=-5\r\ny0=1\r\ny1= -15x\r\n");
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
