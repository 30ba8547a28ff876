#include <gtest/gtest.h>

#include "output/PictureFile.h"

using velmora::PictureFileName;

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
