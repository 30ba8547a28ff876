#pragma once
#include <map>
#include <string>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

namespace velmora::testing {

// A GIF of `picture` in its own 256-colour table (pixels keep their red level
// as index). The LZW codes stay 9 bits wide: every code is a single pixel and a
// clear code comes before the table would grow.
inline QByteArray EncodeGif(const QImage& picture) {
    QByteArray gif("GIF89a");
    auto u16 = [&gif](int v) { gif.append(char(v & 0xFF)).append(char(v >> 8)); };
    u16(picture.width());
    u16(picture.height());
    gif.append("\xF7\0\0", 3);  // global table of 256 colours
    for (int i = 0; i < 256; ++i) gif.append(char(i)).append(char(255 - i)).append(char(i / 2));
    gif.append(char(0x2C));
    u16(0);
    u16(0);
    u16(picture.width());
    u16(picture.height());
    gif.append(char(0)).append(char(8));
    QByteArray codes;
    unsigned bits = 0, pending = 0, count = 0;
    auto put = [&](unsigned code) {
        bits |= code << pending;
        for (pending += 9; pending >= 8; pending -= 8, bits >>= 8) codes.append(char(bits & 0xFF));
    };
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x, ++count) {
            if (count % 250 == 0) put(256);
            put(qRed(picture.pixel(x, y)));
        }
    put(257);
    if (pending) codes.append(char(bits & 0xFF));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    return gif.append('\0').append(char(0x3B));
}

// A picture encoded in each format whose readers return partly filled
// pictures for files cut short, by extension.
inline std::map<std::string, QByteArray> EncodedPictures() {
    QImage picture(47, 29, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb((x * 5 + y * 3) % 256, 0, 0));
    std::map<std::string, QByteArray> files{{"gif", EncodeGif(picture)}};
    for (const std::string name : {"bmp", "png", "jpg", "progressive.jpg"}) {
        QBuffer buffer(&files[name]);
        QImageWriter writer(&buffer, QByteArray::fromStdString(name.substr(name.rfind('.') + 1)));
        writer.setProgressiveScanWrite(name.starts_with("progressive"));
        writer.write(picture);
    }
    return files;
}

}  // namespace velmora::testing
