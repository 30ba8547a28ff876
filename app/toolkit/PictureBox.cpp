#include "app/toolkit/PictureBox.h"

#include "app/toolkit/Controls.h"
#include "region/RegionNav.h"

#include <QBitmap>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <set>

namespace velmora {

PictureBox::PictureBox(QWidget* parent, QColor background) : QFrame(parent), background_(background) {
    setFrameStyle(QFrame::NoFrame);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

bool PictureBox::SetGeometry(int x, int y, int width, int height) {
    move(x, y);
    return SetSize(width, height);
}

bool PictureBox::SetSize(int width, int height) {
    const int border = 2 * frameWidth();
    const QSize inner(std::max(width - border, 0), std::max(height - border, 0));
    if (inner != image_.size()) {
        QImage grown(inner, QImage::Format_RGB32);
        if (!inner.isEmpty() && grown.isNull()) return false;
        grown.fill(background_);
        QPainter(&grown).drawImage(0, 0, image_);
        const bool followsPixels = scaleWidth_ == image_.width() && scaleHeight_ == image_.height();
        image_ = std::move(grown);
        overlay_ = QImage();
        overlayAreas_.clear();
        if (followsPixels) SetScale(inner.width(), inner.height());
    }
    resize(width, height);
    if (childArea_) childArea_->setGeometry(contentsRect());
    return true;
}

void PictureBox::SetBorder(QFrame::Shadow shadow, int width) {
    const QSize outer = size();
    setFrameStyle(width > 0 ? (QFrame::Panel | shadow) : QFrame::NoFrame);
    setLineWidth(width);
    SetSize(outer.width(), outer.height());
}

QWidget* PictureBox::ChildArea() {
    if (!childArea_) {
        childArea_ = new QWidget(this);
        childArea_->setGeometry(contentsRect());
    }
    return childArea_;
}

Raster RasterOf(QImage& image) {
    return {reinterpret_cast<Pixel*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(Pixel))};
}

Raster PictureBox::RasterView() { return RasterOf(image_); }

void PictureBox::Clear() {
    overlay_ = QImage();
    overlayAreas_.clear();
    image_.fill(background_);
    if (!picture_.isNull()) QPainter(&image_).drawImage(0, 0, picture_);
    update();
}

void PictureBox::SetScale(double width, double height) {
    scaleWidth_ = width;
    scaleHeight_ = height;
}

void PictureBox::Plot(std::int64_t px, std::int64_t py, ColorValue colour) {
    PlotPoint(RasterView(), dotWidth_, mode_, px, py, colour);
}

void PictureBox::DrawStretched(const QImage& picture, double x, double y, double width, double height,
                               const QRect& source) {
    if (picture.isNull() || scaleWidth_ == 0 || scaleHeight_ == 0) return;
    const double sx = image_.width() / scaleWidth_, sy = image_.height() / scaleHeight_;
    QPainter painter(&image_);
    painter.drawImage(QRectF(x * sx, y * sy, width * sx, height * sy), picture,
                      source.isEmpty() ? QRectF(picture.rect()) : QRectF(source));
}

void PictureBox::DrawPixels(const QImage& picture, QPoint at) { QPainter(&image_).drawImage(at, picture); }

ColorValue PictureBox::PixelAt(int x, int y) const {
    if (!image_.valid(x, y)) return ColorOfPixel(background_.rgb());
    return ColorOfPixel(image_.pixel(x, y));
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture.convertToFormat(QImage::Format_RGB32);
    if (autoSize_) SetSize(picture_.width() + 2 * frameWidth(), picture_.height() + 2 * frameWidth());
    Clear();
}

void PictureBox::SetOverlay(const QImage& overlay) {
    overlay_ = overlay;
    overlayAreas_.clear();
    if (!overlay_.isNull() && !image_.isNull()) {
        const QImage cover = overlay_.convertToFormat(QImage::Format_ARGB32).scaled(image_.size(), Qt::IgnoreAspectRatio,
                                                                                   Qt::FastTransformation);
        std::set<QRgb> colours;
        for (int y = 0; y < overlay_.height(); ++y)
            for (int x = 0; x < overlay_.width(); ++x)
                if (qAlpha(overlay_.pixel(x, y)) != 0) colours.insert(overlay_.pixel(x, y));
        for (const QRgb colour : colours) {
            QPainterPath area;
            area.addRegion(QRegion(QBitmap::fromImage(cover.createMaskFromColor(colour, Qt::MaskInColor))));
            overlayAreas_.push_back(area.simplified());
        }
    }
    update();
}

namespace {
// Black lines beside white ones show on every colour; the pattern is in screen pixels, so it keeps its fineness
// whatever the picture's size.
void HatchArea(QPainter& painter, const QPainterPath& area, Qt::BrushStyle style) {
    painter.fillPath(area, QBrush(Qt::white, style));
    painter.setBrushOrigin(1, 0);
    painter.fillPath(area, QBrush(Qt::black, style));
    painter.setBrushOrigin(0, 0);
    painter.strokePath(area, QPen(Qt::white, 3));
    painter.strokePath(area, QPen(Qt::black, 1));
}
}  // namespace

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inner = contentsRect();
    const QRect area = event->rect() & inner;
    painter.fillRect(area, background_);
    const QRect source = area.translated(-inner.topLeft()) & image_.rect();
    painter.drawImage(source.translated(inner.topLeft()), image_, source);
    if (!overlayAreas_.empty()) {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::BDiagPattern, Qt::FDiagPattern, Qt::DiagCrossPattern};
        painter.setClipRect(area);
        painter.translate(inner.topLeft());
        for (std::size_t i = 0; i < overlayAreas_.size(); ++i)
            HatchArea(painter, overlayAreas_[i], kHatches[std::min<std::size_t>(i, 2)]);
        painter.resetTransform();
        painter.setClipping(false);
    }
    const QRect outline = Outline();
    if (!outline.isEmpty()) {
        // White under black dashes shows on dark and light pictures alike.
        painter.setClipRect(inner);
        const QRect edge = outline.translated(inner.topLeft()).adjusted(0, 0, -1, -1);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(edge);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(edge);
        painter.setClipping(false);
    }
    if (frameWidth() > 0) drawFrame(&painter);
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    if (dragging_ && event->key() == Qt::Key_Escape) EndDrag();
    // Taken here: a container box must not see its child's keys a second time.
    event->accept();
    emit KeyDown(KeyCodeOf(*event), ShiftStateOf(*event));
}

QRect PictureBox::Outline() const {
    if (!dragging_) return {};
    const auto r = DraggedRectangle(dragFrom_.x(), dragFrom_.y(), dragTo_.x(), dragTo_.y(), image_.width(),
                                    image_.height());
    return r ? QRect(QPoint(r->left, r->top), QPoint(r->right, r->bottom)) : QRect();
}

QPoint PictureBox::InnerPixel(const QMouseEvent& event) const {
    return event.position().toPoint() - contentsRect().topLeft();
}

void PictureBox::EndDrag() {
    dragging_ = false;
    update(outlineShown_.translated(contentsRect().topLeft()));
    outlineShown_ = QRect();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (!gestures_) return QFrame::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        menuCancelled_ = false;
        dragFrom_ = dragTo_ = InnerPixel(*event);
    } else if (event->button() == Qt::RightButton && dragging_) {
        EndDrag();
        menuCancelled_ = true;
    }
    event->accept();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (!gestures_ || !dragging_) return QFrame::mouseMoveEvent(event);
    dragTo_ = InnerPixel(*event);
    // Only the old and the new outline are painted again, not the whole canvas.
    const QRect outline = Outline();
    update((outlineShown_ | outline).translated(contentsRect().topLeft()));
    outlineShown_ = outline;
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (!gestures_ || !dragging_ || event->button() != Qt::LeftButton) return QFrame::mouseReleaseEvent(event);
    dragTo_ = InnerPixel(*event);
    const QRect pixels = Outline();
    EndDrag();
    event->accept();
    if (!pixels.isEmpty()) emit RubberBand(pixels);
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
    if (!gestures_) return QFrame::contextMenuEvent(event);
    event->accept();
    const bool cancelled = menuCancelled_;
    menuCancelled_ = false;
    if (!cancelled && !dragging_) emit ContextMenu(event->globalPos());
}

}  // namespace velmora
