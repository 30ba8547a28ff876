#include <gtest/gtest.h>

#include "output/PictureFile.h"

using velmora::PictureFileName;
using velmora::PictureFormat;
using velmora::PictureFormatFor;

TEST(PictureFileName, BmpExtensionInAnyCaseIsKept) {
    EXPECT_EQ(PictureFileName("Fractal"), "Fractal.bmp");
    EXPECT_EQ(PictureFileName("a.BMP"), "a.BMP");
    EXPECT_EQ(PictureFileName("a.bMp"), "a.bMp");
    EXPECT_EQ(PictureFileName("a.bmp.txt"), "a.bmp.txt.bmp");
    EXPECT_EQ(PictureFileName("picture.bm"), "picture.bm.bmp");
    EXPECT_EQ(PictureFileName(""), ".bmp");
    EXPECT_EQ(PictureFileName("bmp"), "bmp.bmp");
    EXPECT_EQ(PictureFileName(".bmp"), ".bmp");
    EXPECT_EQ(PictureFileName("絵.BMP"), "絵.BMP");
}

TEST(PictureFormatFor, ExtensionInAnyCaseChoosesTheFormat) {
    EXPECT_EQ(PictureFormatFor("/w/Fractal"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatFor("/w/a.PNG"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatFor("a.Bmp"), PictureFormat::Bmp);
    EXPECT_EQ(PictureFormatFor("a.jpg"), PictureFormat::Jpeg);
    EXPECT_EQ(PictureFormatFor("a.JPEG"), PictureFormat::Jpeg);
    EXPECT_EQ(PictureFormatFor("/w/v1.5/Fractal"), PictureFormat::Png);  // a dot in a folder is no extension
    EXPECT_EQ(PictureFormatFor("a.gif"), PictureFormat::None);
    EXPECT_EQ(PictureFormatFor("a.png.txt"), PictureFormat::None);
}
