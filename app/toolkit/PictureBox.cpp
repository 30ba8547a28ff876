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
#include <QWheelEvent>

#include <cmath>
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
        ImageChanged();
    }
    resize(viewScale_ == 1 ? QSize(width, height) : ShownSize());
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

Raster PictureBox::RasterView() {
    ImageChanged();
    return RasterOf(image_);
}

void PictureBox::Refresh() {
    ImageChanged();
    update();
}

QSize PictureBox::ShownSize() const {
    const int border = 2 * frameWidth();
    return {static_cast<int>(std::lround(image_.width() * viewScale_)) + border,
            static_cast<int>(std::lround(image_.height() * viewScale_)) + border};
}

QRect PictureBox::OnScreen(const QRect& pixels) const {
    const QPoint origin = contentsRect().topLeft();
    if (viewScale_ == 1) return pixels.translated(origin);
    const auto at = [this](int v) { return static_cast<int>(std::floor(v * viewScale_)); };
    const auto end = [this](int v) { return static_cast<int>(std::ceil(v * viewScale_)); };
    return QRect(QPoint(at(pixels.left()), at(pixels.top())),
                 QPoint(end(pixels.right() + 1) - 1, end(pixels.bottom() + 1) - 1))
        .translated(origin);
}

void PictureBox::SetViewScale(double scale) {
    if (!(scale > 0) || scale == viewScale_) return;
    viewScale_ = scale;
    shown_ = QImage();
    ImageChanged();
    resize(ShownSize());
    if (childArea_) childArea_->setGeometry(contentsRect());
    update();
}

void PictureBox::Clear() {
    ImageChanged();
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
    ImageChanged();
    PlotPoint(RasterView(), dotWidth_, mode_, px, py, colour);
}

void PictureBox::DrawStretched(const QImage& picture, double x, double y, double width, double height,
                               const QRect& source) {
    if (picture.isNull() || scaleWidth_ == 0 || scaleHeight_ == 0) return;
    const double sx = image_.width() / scaleWidth_, sy = image_.height() / scaleHeight_;
    ImageChanged();
    QPainter painter(&image_);
    painter.drawImage(QRectF(x * sx, y * sy, width * sx, height * sy), picture,
                      source.isEmpty() ? QRectF(picture.rect()) : QRectF(source));
}

void PictureBox::DrawPixels(const QImage& picture, QPoint at) {
    ImageChanged();
    QPainter(&image_).drawImage(at, picture);
}

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

void PictureBox::SetScreenColours(ScreenColours colours) {
    screenColours_ = std::move(colours);
    update();
}

void PictureBox::DrawShown(QPainter& painter, QPoint at, const QImage& picture, const QRect& source) {
    if (!screenColours_ || source.isEmpty()) return painter.drawImage(at, picture, source);
    QImage shown(source.size(), QImage::Format_RGB32);
    const QImage from = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        screenColours_(reinterpret_cast<const Pixel*>(from.constScanLine(source.y() + y)) + source.x(),
                       reinterpret_cast<Pixel*>(shown.scanLine(y)), source.width(), at.x(), at.y() + y);
    painter.drawImage(at, shown);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inner = contentsRect();
    const QRect area = event->rect() & inner;
    painter.fillRect(area, background_);
    if (viewScale_ == 1) {
        const QRect source = area.translated(-inner.topLeft()) & image_.rect();
        DrawShown(painter, source.topLeft() + inner.topLeft(), image_, source);
    } else {
        // Reduced by averaging the pixels each screen pixel covers, enlarged as whole blocks of pixels.
        const QSize size = ShownSize() - QSize(2 * frameWidth(), 2 * frameWidth());
        if (shownStale_ || shown_.size() != size) {
            shown_ = image_.isNull() || size.isEmpty()
                         ? QImage()
                         : image_.scaled(size, Qt::IgnoreAspectRatio,
                                         viewScale_ < 1 ? Qt::SmoothTransformation : Qt::FastTransformation);
            shownStale_ = false;
        }
        const QRect source = area.translated(-inner.topLeft()) & shown_.rect();
        DrawShown(painter, source.topLeft() + inner.topLeft(), shown_, source);
    }
    if (!overlayAreas_.empty()) {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::BDiagPattern, Qt::FDiagPattern, Qt::DiagCrossPattern};
        painter.setClipRect(area);
        painter.translate(inner.topLeft());
        painter.scale(viewScale_, viewScale_);
        for (std::size_t i = 0; i < overlayAreas_.size(); ++i)
            HatchArea(painter, overlayAreas_[i], kHatches[std::min<std::size_t>(i, 2)]);
        painter.resetTransform();
        painter.setClipping(false);
    }
    if (productFrame_) {
        painter.setClipRect(area);
        PaintProductFrame(painter);
        painter.setClipping(false);
    }
    const QRect outline = Outline();
    if (!outline.isEmpty()) {
        // White under black dashes shows on dark and light pictures alike.
        painter.setClipRect(inner);
        const QRect edge = OnScreen(outline).adjusted(0, 0, -1, -1);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(edge);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(edge);
        painter.setClipping(false);
    }
    if (frameWidth() > 0) drawFrame(&painter);
}

void PictureBox::SetProductFrame(std::optional<ProductFrame> frame) {
    productFrame_ = std::move(frame);
    update();
}

void PictureBox::PaintProductFrame(QPainter& painter) const {
    const QPointF origin = contentsRect().topLeft();
    const auto shown = [&](const QRectF& r) {
        return QRectF(origin + r.topLeft() * viewScale_, r.size() * viewScale_);
    };
    const double radius = productFrame_->radius * viewScale_;
    QPainterPath trim;
    trim.addRoundedRect(shown(productFrame_->trim), radius, radius);
    QPainterPath outside;
    outside.addRect(shown(QRectF(image_.rect())));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outside.subtracted(trim), QColor(0, 0, 0, 110));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.drawRect(shown(productFrame_->bleed));
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawPath(trim);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::DotLine));
    painter.drawRect(shown(productFrame_->safe));
    painter.restore();
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
    const QPointF inner = event.position() - QPointF(contentsRect().topLeft());
    if (viewScale_ == 1) return inner.toPoint();
    return {static_cast<int>(std::floor(inner.x() / viewScale_)), static_cast<int>(std::floor(inner.y() / viewScale_))};
}

void PictureBox::EndDrag() {
    dragging_ = false;
    update(OnScreen(outlineShown_));
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
    update(OnScreen(outlineShown_ | outline));
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

void PictureBox::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) return QFrame::wheelEvent(event);
    event->accept();
    wheelTurned_ += event->angleDelta().y();
    const int steps = wheelTurned_ / QWheelEvent::DefaultDeltasPerStep;
    if (steps == 0) return;
    wheelTurned_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    const QPointF inner = event->position() - QPointF(contentsRect().topLeft());
    emit ZoomWheel(steps, QPoint(static_cast<int>(std::floor(inner.x() / viewScale_)),
                                 static_cast<int>(std::floor(inner.y() / viewScale_))));
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
    if (!gestures_) return QFrame::contextMenuEvent(event);
    event->accept();
    const bool cancelled = menuCancelled_;
    menuCancelled_ = false;
    if (!cancelled && !dragging_) emit ContextMenu(event->globalPos());
}

}  // namespace velmora
