#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "palette/ColorTable.h"

using namespace velmora;

namespace {

struct Triple {
    int r, g, b;
};

void ExpectRows(const ColorTable& table, int column, const std::vector<Triple>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(table.column[column][i], Rgb(rows[i].r, rows[i].g, rows[i].b)) << "column " << column << " row " << i;
}

ColorTable DefaultTable() {
    ColorTable table;
    coltable(table);
    return table;
}

// A strip whose every pixel tells where it was read: red = x, green = row.
class CoordinateStrip final : public StripImage {
public:
    ColorValue PixelAt(int x, int y) const override { return Rgb(x, y, 0); }
};

}  // namespace

TEST(DefaultPalette, FixedColumns) {
    const ColorTable t = DefaultTable();
    ExpectRows(t, 0, {{0, 0, 0}, {255, 255, 255}});
    ExpectRows(t, 1, {{0, 0, 0}, {255, 255, 255}, {255, 0, 255}});
    ExpectRows(t, 2, {{0, 0, 0}, {255, 255, 0}, {255, 0, 0}, {0, 0, 255}});
    ExpectRows(t, 3, {{10, 20, 10}, {32, 32, 64}, {0, 64, 64}, {64, 64, 128}, {0, 128, 128}, {128, 128, 200},
                      {64, 200, 255}, {128, 180, 255}});
}

TEST(DefaultPalette, SineRampColumnsGiveTheListedRows) {
    const ColorTable t = DefaultTable();
    ExpectRows(t, 4, {{224, 245, 250}, {254, 181, 180}, {224, 74, 49}, {141, 49, 0}, {24, 161, 0}, {0, 235, 0},
                      {0, 253, 0}, {0, 212, 0}, {0, 120, 49}, {0, 0, 180}, {0, 0, 250}, {49, 0, 235}, {161, 0, 141},
                      {235, 0, 0}, {253, 0, 0}, {212, 0, 0}});
    ExpectRows(t, 5, {{0, 0, 0},       {253, 248, 151}, {237, 228, 78}, {207, 194, 8},  {164, 150, 51},
                      {110, 98, 98},   {50, 40, 129},   {0, 20, 143},   {0, 78, 142},   {0, 133, 128},
                      {0, 180, 104},   {0, 217, 76},    {0, 242, 0},    {0, 254, 0},    {0, 251, 0},
                      {0, 235, 29},    {0, 206, 97},    {0, 165, 157},  {0, 115, 206},  {0, 59, 239},
                      {37, 0, 254},    {98, 0, 250},    {153, 0, 227},  {199, 0, 187},  {232, 0, 133},
                      {251, 0, 69},    {254, 0, 0},     {241, 0, 0},    {214, 0, 0},    {173, 0, 0},
                      {121, 0, 0},     {255, 255, 255}});
    const std::array<std::pair<int, Triple>, 8> sixtyFour = {{{0, {0, 0, 0}},
                                                              {1, {253, 254, 0}},
                                                              {2, {249, 254, 2}},
                                                              {16, {37, 217, 127}},
                                                              {32, {127, 127, 254}},
                                                              {48, {217, 37, 127}},
                                                              {62, {5, 0, 2}},
                                                              {63, {255, 255, 255}}}};
    const std::array<std::pair<int, Triple>, 8> oneTwentyEight = {{{0, {0, 0, 0}},
                                                                   {1, {254, 254, 0}},
                                                                   {2, {253, 254, 0}},
                                                                   {32, {37, 217, 127}},
                                                                   {64, {127, 127, 254}},
                                                                   {96, {217, 37, 127}},
                                                                   {126, {1, 0, 0}},
                                                                   {127, {255, 255, 255}}}};
    for (const auto& [row, c] : sixtyFour) EXPECT_EQ(t.column[6][row], Rgb(c.r, c.g, c.b)) << "64 colours, row " << row;
    for (const auto& [row, c] : oneTwentyEight)
        EXPECT_EQ(t.column[7][row], Rgb(c.r, c.g, c.b)) << "128 colours, row " << row;
}

TEST(StripPalettes, TwoColoursAreFixedAndSwapped) {
    ColorTable t;
    coltableB(t, DefaultStrip());
    ExpectRows(t, 0, {{0, 0, 0}, {255, 255, 255}});
    coltableA(t, DefaultStrip());
    ExpectRows(t, 0, {{255, 255, 255}, {0, 0, 0}});
}

TEST(StripPalettes, SampleColumnsAndRows) {
    const CoordinateStrip strip;
    ColorTable left, right;
    coltableB(left, strip);
    coltableA(right, strip);
    // Three colours sample 0, 127.5 and 255; the half column takes the nearest (even) one.
    ExpectRows(left, 1, {{0, 2, 0}, {128, 2, 0}, {255, 2, 0}});
    ExpectRows(right, 1, {{255, 2, 0}, {128, 2, 0}, {0, 2, 0}});
    ExpectRows(left, 2, {{0, 2, 0}, {85, 2, 0}, {170, 2, 0}, {255, 2, 0}});
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(left.column[4][i], Rgb(17 * i, 2, 0)) << i;
        EXPECT_EQ(right.column[4][i], Rgb(255 - 17 * i, 2, 0)) << i;
    }
    // Only the left-to-right 128-colour column reads strip row 1.
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(GreenOf(left.column[7][i]), 1) << i;
        EXPECT_EQ(GreenOf(right.column[7][i]), 2) << i;
    }
    for (int k = 1; k < 7; ++k)
        for (int i = 0; i < kColourCounts[k].colours; ++i) EXPECT_EQ(GreenOf(left.column[k][i]), 2) << k << "," << i;
    EXPECT_EQ(left.column[7][0], Rgb(0, 1, 0));
    EXPECT_EQ(left.column[7][127], Rgb(255, 1, 0));
}

TEST(StripPalettes, DefaultStripEndsAndReversal) {
    ColorTable left, right;
    coltableB(left, DefaultStrip());
    coltableA(right, DefaultStrip());
    for (int k = 1; k < kColourChoices; ++k) {
        const int m = kColourCounts[k].colours;
        EXPECT_EQ(left.column[k][0], Rgb(0, 0, 0)) << k;
        EXPECT_EQ(left.column[k][m - 1], Rgb(255, 255, 255)) << k;
        EXPECT_EQ(right.column[k][0], Rgb(255, 255, 255)) << k;
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(left.column[2][i], right.column[2][3 - i]) << i;
}

TEST(DefaultStrip, TellingColumns) {
    const std::array<std::array<int, 4>, 20> stops = {{{0, 0, 0, 0},         {5, 49, 0, 0},
                                                       {7, 80, 0, 0},        {24, 213, 0, 0},
                                                       {39, 255, 0, 0},      {43, 255, 3, 1},
                                                       {46, 255, 34, 17},    {64, 255, 134, 73},
                                                       {73, 255, 80, 150},   {81, 253, 6, 206},
                                                       {95, 217, 0, 226},    {111, 164, 10, 246},
                                                       {129, 80, 24, 255},   {130, 52, 30, 255},
                                                       {161, 107, 197, 255}, {174, 127, 255, 252},
                                                       {184, 134, 255, 207}, {200, 155, 255, 105},
                                                       {224, 246, 255, 90},  {251, 255, 255, 255}}};
    const DefaultStrip strip;
    for (const auto& [x, r, g, b] : stops)
        for (int y = 0; y < kStripHeight; ++y) EXPECT_EQ(strip.PixelAt(x, y), Rgb(r, g, b)) << x << "," << y;
    for (int x = 251; x < kStripWidth; ++x) EXPECT_EQ(strip.PixelAt(x, 2), Rgb(255, 255, 255)) << x;
    // Between listed columns the shade lies between its neighbours.
    for (std::size_t s = 0; s + 1 < stops.size(); ++s)
        for (int x = stops[s][0] + 1; x < stops[s + 1][0]; ++x)
            for (int c = 1; c <= 3; ++c) {
                const ColorValue v = strip.PixelAt(x, 2);
                const int channel = c == 1 ? RedOf(v) : c == 2 ? GreenOf(v) : BlueOf(v);
                EXPECT_GE(channel, std::min(stops[s][c], stops[s + 1][c])) << x;
                EXPECT_LE(channel, std::max(stops[s][c], stops[s + 1][c])) << x;
            }
}
