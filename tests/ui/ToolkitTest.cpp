#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

#include "app/toolkit/Controls.h"
#include "app/toolkit/FileDrop.h"
#include "app/toolkit/PictureBox.h"
#include "app/toolkit/PictureFiles.h"
#include "app/toolkit/ScrollBar.h"
#include "tests/ui/EncodedPictures.h"

namespace velmora {
namespace {

struct ChangeCounter {
    explicit ChangeCounter(ScrollBar& bar) { QObject::connect(&bar, &ScrollBar::Change, [this] { ++changes; }); }
    int changes = 0;
};

TEST(ScrollBarTest, BackwardsRangeRunsFromMinimumAtTheLeftToNegativeMaximumAtTheRight) {
    QWidget parent;
    ScrollBar bar(Qt::Horizontal, &parent);
    bar.SetMin(0);
    bar.SetMax(-236);
    bar.SetSmallChange(30);
    bar.SetLargeChange(119);
    ChangeCounter counter(bar);

    bar.Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar.Value(), -30);
    bar.Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar.Value(), -149);
    bar.Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(bar.Value(), -236);
    bar.Bar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(bar.Value(), -117);
    EXPECT_EQ(counter.changes, 4);

    bar.SetValue(-117);
    EXPECT_EQ(counter.changes, 4) << "setting the current value raises nothing";
    bar.SetValue(5);
    EXPECT_EQ(bar.Value(), 0) << "values outside the range move to the nearer end";
    EXPECT_EQ(bar.Bar()->value(), 0);
}

TEST(ScrollBarTest, NewRangeMovesTheValueInsideAndRaisesChange) {
    QWidget parent;
    ScrollBar bar(Qt::Vertical, &parent);
    bar.SetMax(115);
    bar.SetValue(100);
    ChangeCounter counter(bar);
    bar.SetMax(17);
    EXPECT_EQ(bar.Value(), 17);
    EXPECT_EQ(counter.changes, 1);
    bar.SetMax(-63);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(counter.changes, 2);
    EXPECT_EQ(bar.Bar()->maximum(), 63);
}

TEST(ControlsTest, CheckBoxAndOptionNotificationsFollowValueChanges) {
    QWidget parent;
    CheckBox box(QStringLiteral("box"), &parent);
    int clicks = 0;
    QObject::connect(&box, &CheckBox::Click, [&] { ++clicks; });
    box.SetValue(1);
    box.SetValue(1);
    EXPECT_EQ(clicks, 1);
    box.SetValue(2);
    EXPECT_EQ(box.Value(), 2);
    box.SetValue(0);
    EXPECT_EQ(clicks, 3);

    OptionButton first(QStringLiteral("first"), &parent), second(QStringLiteral("second"), &parent);
    int firstClicks = 0;
    QObject::connect(&first, &OptionButton::Click, [&] { ++firstClicks; });
    first.SetValue(true);
    second.SetValue(true);
    EXPECT_FALSE(first.Value()) << "one group per container";
    second.SetValue(false);
    EXPECT_FALSE(first.Value());
    EXPECT_FALSE(second.Value()) << "clearing leaves no button selected";
    first.SetValue(true);
    EXPECT_EQ(firstClicks, 2);
}

TEST(PictureBoxTest, PlotsClearsStretchesAndKeepsItsImageAcrossResizes) {
    QWidget parent;
    PictureBox box(&parent, Qt::white);
    box.SetGeometry(0, 0, 16, 8);
    box.SetScale(4, 2);
    box.SetDotWidth(4);
    box.Plot(1, 1, Rgb(255, 0, 0));
    EXPECT_EQ(box.PixelAt(4, 4), Rgb(255, 0, 0));
    EXPECT_EQ(box.PixelAt(7, 7), Rgb(255, 0, 0));
    EXPECT_EQ(box.PixelAt(3, 4), Rgb(255, 255, 255));
    box.SetDrawMode(DrawMode::Xor);
    box.Plot(1, 1, Rgb(255, 255, 0));
    EXPECT_EQ(box.PixelAt(5, 5), Rgb(0, 255, 0));

    ASSERT_TRUE(box.SetSize(20, 10));
    EXPECT_EQ(box.PixelAt(5, 5), Rgb(0, 255, 0));
    EXPECT_EQ(box.PixelAt(19, 9), Rgb(255, 255, 255));

    QImage blue(2, 2, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    box.DrawStretched(blue, 0, 0, 2, 1);  // 5 pixels per unit across 20 x 10 pixels
    EXPECT_EQ(box.PixelAt(9, 4), Rgb(0, 0, 255));
    EXPECT_EQ(box.PixelAt(10, 4), Rgb(255, 255, 255));
    EXPECT_EQ(box.PixelAt(9, 5), Rgb(255, 255, 255));
    box.Clear();
    EXPECT_EQ(box.PixelAt(5, 5), Rgb(255, 255, 255));
}

TEST(FileDropTest, DeliveredDropsReachTheHandlerWithTheirPaths) {
    QWidget target, other;
    QStringList received;
    int drops = 0;
    AcceptFileDrops(&target, [&](const QStringList& paths) {
        received = paths;
        ++drops;
    });
    EXPECT_TRUE(target.acceptDrops());
    EXPECT_TRUE(DeliverDrop(&target, {QStringLiteral("/tmp/a.bmp"), QStringLiteral("/tmp/b.bmp")}));
    EXPECT_EQ(received, QStringList({QStringLiteral("/tmp/a.bmp"), QStringLiteral("/tmp/b.bmp")}));
    EXPECT_TRUE(DeliverDrop(&target, {}));
    EXPECT_TRUE(received.isEmpty());
    EXPECT_EQ(drops, 2);
    EXPECT_FALSE(DeliverDrop(&other, {QStringLiteral("/tmp/a.bmp")}));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/c.png")), QUrl(QStringLiteral("https://example.org/x"))});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    EXPECT_EQ(received, QStringList({QStringLiteral("/tmp/c.png")})) << "only local files are handed on";
    EXPECT_TRUE(drop.isAccepted());
}

// A 2 x 2 bitmap of 8-bit run-length data: a run of colour 1, then of colour 0, each ending its line, then the end mark.
QByteArray RunLengthBitmap() {
    QByteArray bytes(62, '\0');
    auto put = [&bytes](int at, unsigned value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = char(value >> 8 * i & 0xFF);
    };
    bytes.replace(0, 2, "BM");
    put(10, 62);
    put(14, 40);
    put(18, 2);
    put(22, 2);
    put(26, 1 | 8 << 16);  // planes, bits per pixel
    put(30, 1);            // 8-bit run-length data
    put(46, 2);            // colours in the table
    put(58, 0xFF0000);     // colour 1: red
    bytes.append("\x02\x01\0\0\x02\0\0\0\0\x01", 10);
    put(2, unsigned(bytes.size()));
    return bytes;
}

// Cut short anywhere, a picture decodes to nothing rather than to a picture partly
// made of memory never written; whole, it decodes to the picture.
TEST(PictureFilesTest, PicturesCutShortAnywhereDecodeToNothing) {
    auto files = testing::EncodedPictures();
    files["rle.bmp"] = RunLengthBitmap();
    for (const auto& [format, bytes] : files) {
        const QImage whole = DecodeWholePicture(bytes);
        ASSERT_FALSE(whole.isNull()) << format;
        if (!format.ends_with("jpg") && format != "rle.bmp") {
            EXPECT_EQ(qRed(whole.pixel(46, 28)), (46 * 5 + 28 * 3) % 256);
        }
        // A GIF without its last byte, the trailer, still holds the whole picture.
        const qsizetype complete = format == "gif" ? bytes.size() - 1 : bytes.size();
        for (qsizetype cut = 0; cut < complete; ++cut)
            ASSERT_TRUE(DecodeWholePicture(bytes.left(cut)).isNull()) << format << " cut to " << cut;
    }
    const QImage runLength = DecodeWholePicture(files["rle.bmp"]);
    EXPECT_EQ(runLength.pixel(0, 1), qRgb(255, 0, 0));  // bottom-up: the first line is the lower one
    EXPECT_EQ(runLength.pixel(1, 0), qRgb(0, 0, 0));
}

// A file larger than the bound (sparse, with a picture's header, so only its
// size tells) and a named pipe without a writer are refused at once, without
// the memory of the file. Each read runs on a thread so that a hang fails the
// test rather than stopping it.
TEST(PictureFilesTest, HugeFilesAndPipesAreRefusedWithoutWaiting) {
    QTemporaryDir folder;
    const QString huge = folder.filePath(QStringLiteral("huge.bmp"));
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(testing::EncodedPictures()["bmp"]);
    ASSERT_TRUE(file.resize(qint64{8} << 30));
    file.close();
    const QString pipe = folder.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& path : {huge, pipe}) {
        auto refused = std::make_shared<std::promise<bool>>();
        auto answer = refused->get_future();
        std::thread([path, refused] { refused->set_value(ReadWholePicture(path).isNull()); }).detach();
        ASSERT_EQ(answer.wait_for(std::chrono::seconds(60)), std::future_status::ready) << path.toStdString();
        EXPECT_TRUE(answer.get()) << path.toStdString();
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 1 << 20) << "peak memory in KiB";
}

}  // namespace
}  // namespace velmora
