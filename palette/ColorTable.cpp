#include "palette/ColorTable.h"

#include <cmath>
#include <cstdlib>

#include "common/Numbers.h"

namespace velmora {

namespace {

int Floor(double v) { return static_cast<int>(std::floor(v)); }
int NonNegative(int v) { return v < 0 ? 0 : v; }

void SetFixedColumns(ColorTable& t) {
    t.column[0][0] = Rgb(0, 0, 0);
    t.column[0][1] = Rgb(255, 255, 255);

    t.column[1][0] = Rgb(0, 0, 0);
    t.column[1][1] = Rgb(255, 255, 255);
    t.column[1][2] = Rgb(255, 0, 255);

    t.column[2][0] = Rgb(0, 0, 0);
    t.column[2][1] = Rgb(255, 255, 0);
    t.column[2][2] = Rgb(255, 0, 0);
    t.column[2][3] = Rgb(0, 0, 255);

    const ColorValue eight[8] = {Rgb(10, 20, 10),  Rgb(32, 32, 64),    Rgb(0, 64, 64),    Rgb(64, 64, 128),
                                 Rgb(0, 128, 128), Rgb(128, 128, 200), Rgb(64, 200, 255), Rgb(128, 180, 255)};
    for (int i = 0; i < 8; ++i) t.column[3][i] = eight[i];
}

void SetSixteen(ColorTable& t) {
    for (int step = 2; step <= 17; ++step) {
        const double s = step;
        int r = Floor(std::sin((s / 16) * 6.283 * 1.25) * 255);
        int b = Floor(std::sin(((s - 4) / 16) * 6.283 * 1.5) * 255);
        int g = Floor(std::sin(((s - 8) / 16) * 6.283 * 1.25) * 255);
        if (step > 8) g = std::abs(g);
        t.column[4][17 - step] = Rgb(NonNegative(r), NonNegative(g), NonNegative(b));
    }
}

void SetThirtyTwo(ColorTable& t) {
    t.column[5][0] = Rgb(0, 0, 0);
    t.column[5][31] = Rgb(255, 255, 255);
    for (int step = 2; step <= 31; ++step) {
        const double s = step;
        const int r = Floor(std::sin((s / 32) * 6.283 * 1.27) * 255);
        double b = Floor(std::sin(((s - 6) / 32) * 6.283 * 1.4) * 255);
        int g = Floor(std::sin(((s - 12) / 32) * 6.283 * 1.2) * 255);
        if (step > 16) g = std::abs(g);
        if (step > 20) b = std::fabs(b) * (s - 16) / 14;
        if (b < 0) b = 0;
        t.column[5][32 - step] = Rgb(NonNegative(r), NonNegative(g), static_cast<int>(RoundHalfEven(b)));
    }
}

void SetWave(ColorTable& t, int k, int m) {
    const double phi = 3.1415926 / 2;
    t.column[k][0] = Rgb(0, 0, 0);
    t.column[k][m - 1] = Rgb(255, 255, 255);
    for (int step = 2; step <= m - 1; ++step) {
        const double s = static_cast<double>(step) / m;
        const int r = Floor((std::sin(s * 3.1415 * 3 - phi) + 1) * 255 / 2);
        const int g = Floor((std::sin(s * 3.1415 * 1 - phi) + 1) * 255 / 2);
        const int b = Floor((std::sin(s * 3.1415 * 2 - phi) + 1) * 255 / 2);
        t.column[k][m - step] = Rgb(r, g, b);
    }
}

// Samples every strip-sampled column; row of the strip by column index.
template <class SampleColumn>
void SampleStrip(ColorTable& t, const StripImage& strip, SampleColumn sampleColumn, bool rowOneForLast) {
    for (int k = 1; k < kColourChoices; ++k) {
        const int m = kColourCounts[k].colours;
        const int stripRow = (rowOneForLast && k == 7) ? 1 : 2;
        for (int i = 0; i < m; ++i) {
            // A fractional column (127.5 for three colours) takes the nearest one.
            const double x = sampleColumn(static_cast<double>(i) * 255 / (m - 1));
            t.column[k][i] = strip.PixelAt(static_cast<int>(RoundHalfEven(x)), stripRow);
        }
    }
}

}  // namespace

std::optional<int> ColourIndexOf(long colours) {
    for (int k = 0; k < kColourChoices; ++k)
        if (kColourCounts[k].colours == colours) return k;
    return std::nullopt;
}

int ColourCountAt(int index) {
    return index >= 0 && index < kColourChoices ? kColourCounts[static_cast<std::size_t>(index)].colours : 16;
}

void coltable(ColorTable& table) {
    SetFixedColumns(table);
    SetSixteen(table);
    SetThirtyTwo(table);
    SetWave(table, 6, 64);
    SetWave(table, 7, 128);
}

void coltableB(ColorTable& table, const StripImage& strip) {
    table.column[0][0] = Rgb(0, 0, 0);
    table.column[0][1] = Rgb(255, 255, 255);
    SampleStrip(table, strip, [](double x) { return x; }, true);
}

void coltableA(ColorTable& table, const StripImage& strip) {
    table.column[0][0] = Rgb(255, 255, 255);
    table.column[0][1] = Rgb(0, 0, 0);
    SampleStrip(table, strip, [](double x) { return 255 - x; }, false);
}

namespace {
struct StripStop {
    int x, red, green, blue;
};
constexpr StripStop kStripStops[] = {
    {0, 0, 0, 0},          {5, 49, 0, 0},        {7, 80, 0, 0},        {24, 213, 0, 0},      {39, 255, 0, 0},
    {43, 255, 3, 1},       {46, 255, 34, 17},    {64, 255, 134, 73},   {73, 255, 80, 150},   {81, 253, 6, 206},
    {95, 217, 0, 226},     {111, 164, 10, 246},  {129, 80, 24, 255},   {130, 52, 30, 255},   {161, 107, 197, 255},
    {174, 127, 255, 252},  {184, 134, 255, 207}, {200, 155, 255, 105}, {224, 246, 255, 90},  {251, 255, 255, 255},
};
int Mix(int from, int to, int num, int den) {
    return static_cast<int>(RoundHalfEven(from + static_cast<double>(to - from) * num / den));
}
}  // namespace

ColorValue DefaultStripColour(int x) {
    if (x <= 0) return Rgb(0, 0, 0);
    if (x >= 251) return Rgb(255, 255, 255);
    const StripStop* lo = &kStripStops[0];
    for (const StripStop& stop : kStripStops) {
        if (stop.x == x) return Rgb(stop.red, stop.green, stop.blue);
        if (stop.x > x) {
            const int num = x - lo->x, den = stop.x - lo->x;
            return Rgb(Mix(lo->red, stop.red, num, den), Mix(lo->green, stop.green, num, den),
                       Mix(lo->blue, stop.blue, num, den));
        }
        lo = &stop;
    }
    return Rgb(255, 255, 255);
}

}  // namespace velmora
