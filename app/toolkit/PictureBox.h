#pragma once
#include <QColor>
#include <QFrame>
#include <QImage>
#include <QRectF>

#include <functional>
#include <optional>
#include <QPainterPath>
#include <QString>
#include <vector>

#include "common/Colour.h"
#include "render/Raster.h"

namespace velmora {

// A raster view over the pixels of an RGB32 image.
Raster RasterOf(QImage& image);

// A picture box with a persistent image: everything drawn lands in a 32-bit
// image (QImage::Format_RGB32, the layout of Raster), the widget repaints from
// it on request, and copying, saving and printing take it. A logical extent
// maps onto the inner pixels; points are plotted with a dot width in copy or
// exclusive-or mode.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent, QColor background);

    // Outer geometry in the container's pixels; the image follows the inner
    // size and keeps what it held. False (nothing changed) when the image for
    // that size cannot be allocated.
    bool SetGeometry(int x, int y, int width, int height);
    bool SetSize(int width, int height);

    // A border of `width` pixels inside the outer size (0 for none).
    void SetBorder(QFrame::Shadow shadow, int width);

    // A child area covering the inner pixels, clipping what is placed in it.
    QWidget* ChildArea();

    const QImage& Image() const { return image_; }
    Raster RasterView();

    QColor Background() const { return background_; }
    void Clear();

    // Logical units across the inner pixels (the pixel size until set).
    void SetScale(double width, double height);
    double ScaleWidth() const { return scaleWidth_; }
    double ScaleHeight() const { return scaleHeight_; }

    int DotWidth() const { return dotWidth_; }
    void SetDotWidth(int pixels) { dotWidth_ = pixels; }
    DrawMode Mode() const { return mode_; }
    void SetDrawMode(DrawMode mode) { mode_ = mode; }

    // Plots logical point (px, py) as a dot of the dot width in the draw mode.
    void Plot(std::int64_t px, std::int64_t py, ColorValue colour);

    // Draws `picture` (or its pixels `source`, when not empty) stretched into the logical rectangle (x, y,
    // width, height).
    void DrawStretched(const QImage& picture, double x, double y, double width, double height,
                       const QRect& source = QRect());

    // Draws `picture` unscaled with its top-left corner at inner pixel `at`.
    void DrawPixels(const QImage& picture, QPoint at);

    ColorValue PixelAt(int x, int y) const;

    // The box's picture, shown at the top-left corner at its own size. With
    // auto-size on the box takes the picture's size.
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    void SetAutoSize(bool on) { autoSize_ = on; }

    // Shows the image's current contents on the screen (the visible part only).
    void Refresh();

    // How large the image shows on the screen: 1 shows its own pixels, below 1 it is reduced (smoothly), above 1
    // enlarged. The box takes the scaled size; the image, and everything drawn into or read from it, keeps its
    // own pixels, and pointer positions are read in them.
    void SetViewScale(double scale);
    double ViewScale() const { return viewScale_; }

    // Areas marked over the box's image on the screen only, never drawn into it, so copying, saving and printing
    // do not see them. `overlay` is stretched to cover the image; the area of each colour that is not fully
    // transparent is hatched in black and white screen pixels and outlined, so that it shows on a picture of any
    // colour at any size: the lowest colour by / lines, the next by \ lines, any other crossed. A null image,
    // Clear or a new size takes them away.
    void SetOverlay(const QImage& overlay);
    const QImage& Overlay() const { return overlay_; }

    // The colours the image shows on the screen only: each row of pixels painted passes through `colours`
    // (the pixels in, the pixels shown out, their count and the screen position of the first, in the box's
    // inner pixels) after any reduction for the view scale. Null shows the image's own colours.
    using ScreenColours = std::function<void(const Pixel* in, Pixel* out, int count, int x, int y)>;
    void SetScreenColours(ScreenColours colours);
    bool ScreenColoursSet() const { return static_cast<bool>(screenColours_); }

    // A product's frame over the image, on the screen only, in the image's pixels: what lies outside the trim
    // dimmed, the bleed dashed, the trim with its corners rounded by `radius`, the safe margin dotted.
    struct ProductFrame {
        QRectF trim, bleed, safe;
        double radius = 0;
    };
    void SetProductFrame(std::optional<ProductFrame> frame);
    const std::optional<ProductFrame>& ShownProductFrame() const { return productFrame_; }

    // With gestures on, a left-button drag shows the rectangle it covers as an
    // outline drawn on the screen only, never into the image, and raises
    // RubberBand on release; Escape or the right button cancels it, and a
    // press and release closer than a few pixels stays a plain click. The
    // right button or the menu key raises ContextMenu.
    void SetPointerGestures(bool on) { gestures_ = on; }
    // The outline of the drag under way, in inner pixels; empty when none shows.
    QRect Outline() const;

    QString Tag;

signals:
    // A key pressed while the box has the focus: virtual key code and shift state.
    void KeyDown(int keyCode, int shift);
    // The inner pixels a finished drag covered, clipped to the image.
    void RubberBand(const QRect& pixels);
    void ContextMenu(const QPoint& globalPosition);
    // The wheel turned with Ctrl held, by `steps` notches (positive away from the user) over inner pixel `at`.
    void ZoomWheel(int steps, const QPoint& at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage image_;
    QImage picture_;
    QImage overlay_;
    std::vector<QPainterPath> overlayAreas_;  // one per colour of the overlay, in the image's pixels
    QColor background_;
    double scaleWidth_ = 0, scaleHeight_ = 0;
    int dotWidth_ = 1;
    DrawMode mode_ = DrawMode::Copy;
    bool autoSize_ = false;
    QWidget* childArea_ = nullptr;

    double viewScale_ = 1;
    std::optional<ProductFrame> productFrame_;
    ScreenColours screenColours_;
    // Draws the pixels `source` of `picture` at `at` through the screen colours.
    void DrawShown(QPainter& painter, QPoint at, const QImage& picture, const QRect& source);
    void PaintProductFrame(QPainter& painter) const;
    int wheelTurned_ = 0;  // eighths of a degree not yet taken as whole notches
    // The image reduced for the screen, made again when the image changed since.
    QImage shown_;
    bool shownStale_ = true;
    void ImageChanged() { shownStale_ = true; }
    // The box's outer size for the image's size at the view scale.
    QSize ShownSize() const;
    // Inner pixels of the image as a rectangle on the box.
    QRect OnScreen(const QRect& pixels) const;

    QPoint InnerPixel(const QMouseEvent& event) const;
    // Ends the drag under way and takes its outline off the screen.
    void EndDrag();
    bool gestures_ = false;
    bool dragging_ = false;
    // Set when the right button cancelled a drag: the menu it also asks for is not shown.
    bool menuCancelled_ = false;
    QPoint dragFrom_, dragTo_;
    QRect outlineShown_;
};

}  // namespace velmora
