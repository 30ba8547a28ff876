#include <gtest/gtest.h>

#include "records/DataFile.h"
#include "records/Module_ini.h"
#include "tests/TempFolder.h"

using namespace velmora;
using velmora::testing::ReadAll;
using velmora::testing::TempFolder;
using velmora::testing::WriteAll;

namespace {

// Settings after start-up with other choices, so that a kept choice shows.
PictureSettings Changed() {
    auto s = StartupSettings();
    ApplyPattern(s, 3);
    s.highResolution = true;
    s.colourIndex = 6;
    return s;
}

PictureSettings Loaded(const std::string& contents) {
    TempFolder folder;
    WriteAll(folder / "p_dat.txt", contents);
    auto s = Changed();
    EXPECT_FALSE(ApplyDataFile(s, folder / "p_dat.txt"));
    return s;
}

}  // namespace

TEST(DataFile, SaveWritesTheKeysInOrderAndLoadsBack) {
    TempFolder folder;
    Module_ini::IniFileName = folder / "Fractal_dat.txt";
    const DataFileRecord record{2, 1, 7, "0.29", "-0.11", "11", "-5", "1", " -15x"};
    ASSERT_FALSE(Module_ini::WriteIniEntries(DataFileEntries(record, "2026/12/07 5:30:00")));
    EXPECT_EQ(ReadAll(Module_ini::IniFileName),
              "[Main]\r\nApp=Velmora Generator1.1Rev6\r\nDate=2026/12/07 5:30:00\r\n"
              "[Initial]\r\nPtn=2\r\nHiRes=1\r\nColor=7\r\na=0.29\r\nb=-0.11\r\nx0=11\r\nx1=-5\r\ny0=1\r\ny1= -15x\r\n");
    auto s = StartupSettings();
    ASSERT_FALSE(ApplyDataFile(s, Module_ini::IniFileName));
    EXPECT_EQ(s.patternTag, "2");
    EXPECT_EQ(s.kernelTag, "1");
    EXPECT_FALSE(s.parameterPlane);
    EXPECT_TRUE(s.highResolution);
    EXPECT_EQ(s.colourIndex, 7);
    EXPECT_EQ((std::vector{s.a, s.b, s.xh, s.xl, s.yh, s.yl}),
              (std::vector<std::string>{"0.29", "-0.11", "11", "-5", "1", "-15x"}));
}

TEST(DataFile, MissingKeysReadAsNoEnt) {
    const auto s = Loaded("[Initial]\r\nPtn=2\r\n");
    EXPECT_EQ(s.kernelTag, "1");  // pattern 2's own kernel mode
    EXPECT_FALSE(s.highResolution);
    EXPECT_EQ(s.colourIndex, 0);
    for (const auto& text : {s.a, s.b, s.xh, s.xl, s.yh, s.yl}) EXPECT_EQ(text, "no ent");

    std::string picture = "BM\x36\x10\0\0\0\0\0\0\x36\0\0\0";
    picture += std::string(4096, '\xC8');
    const auto fromPicture = Loaded(picture);
    EXPECT_EQ(fromPicture.patternTag, "0");
    EXPECT_EQ(fromPicture.kernelTag, "3");
    EXPECT_EQ(fromPicture.colourIndex, 0);
    EXPECT_EQ(fromPicture.a, "no ent");
}

TEST(DataFile, StoredNumbersAreRoundedHalfToEven) {
    EXPECT_EQ(Loaded("[Initial]\nPtn=2.5\n").patternTag, "2");
    EXPECT_EQ(Loaded("[Initial]\nPtn=3.5\n").patternTag, "4");
    EXPECT_EQ(Loaded("[Initial]\nPtn=1abc\n").patternTag, "1");
    EXPECT_EQ(Loaded("[Initial]\nColor=4\n").colourIndex, 4);
    EXPECT_EQ(Loaded("[Initial]\nColor=-1\n").colourIndex, -1);
    EXPECT_FALSE(Loaded("[Initial]\nHiRes=2\n").highResolution);
}

TEST(DataFile, ValuesTheControlsCannotTakeAreIgnored) {
    const auto before = Changed();
    for (const char* file : {"[Initial]\nPtn=6\nHiRes=3\nColor=8\n", "[Initial]\nPtn=-1\nHiRes=-1\nColor=-2\n",
                             "[Initial]\nPtn=65536\nHiRes=65537\nColor=1E30\n", "[Initial]\nPtn=&H10000\nHiRes=40000\nColor=-40000\n"}) {
        const auto s = Loaded(file);
        EXPECT_EQ(s.patternTag, before.patternTag) << file;
        EXPECT_EQ(s.kernelTag, before.kernelTag) << file;
        EXPECT_EQ(s.highResolution, before.highResolution) << file;
        EXPECT_EQ(s.colourIndex, before.colourIndex) << file;
    }
}

TEST(DataFile, UnreadableFileIsReported) {
    TempFolder folder;
    auto s = Changed();
    EXPECT_TRUE(ApplyDataFile(s, folder / "missing_dat.txt"));
    EXPECT_TRUE(ApplyDataFile(s, folder.path().string()));
    EXPECT_EQ(s.a, Changed().a);
}
