#include "app/toolkit/ScrollBar.h"

#include <algorithm>
#include <cstdlib>

#include <QResizeEvent>
#include <QScrollBar>

namespace velmora {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), bar_(new QScrollBar(orientation, this)) {
    setFocusProxy(bar_);
    setFocusPolicy(Qt::StrongFocus);
    Sync();
    connect(bar_, &QScrollBar::valueChanged, this, &ScrollBar::FromBar);
}

std::int16_t ScrollBar::Clamped(int value) const {
    const int low = std::min(min_, max_), high = std::max(min_, max_);
    return static_cast<std::int16_t>(std::clamp(value, low, high));
}

void ScrollBar::SetValue(std::int16_t value) {
    const std::int16_t clamped = Clamped(value);
    if (clamped == value_) return;
    value_ = clamped;
    Sync();
    emit Change();
}

void ScrollBar::SetMin(std::int16_t minimum) {
    min_ = minimum;
    Sync();
    SetValue(value_);
}

void ScrollBar::SetMax(std::int16_t maximum) {
    max_ = maximum;
    Sync();
    SetValue(value_);
}

void ScrollBar::SetSmallChange(std::int16_t step) {
    smallChange_ = std::max<std::int16_t>(step, 1);
    Sync();
}

void ScrollBar::SetLargeChange(std::int16_t step) {
    largeChange_ = std::max<std::int16_t>(step, 1);
    Sync();
}

// The Qt bar always runs forwards from 0 to |max - min|; its position counts
// steps away from the minimum.
void ScrollBar::Sync() {
    syncing_ = true;
    bar_->setRange(0, std::abs(max_ - min_));
    bar_->setSingleStep(smallChange_);
    bar_->setPageStep(largeChange_);
    bar_->setValue(std::abs(Clamped(value_) - min_));
    syncing_ = false;
}

void ScrollBar::FromBar(int position) {
    if (syncing_) return;
    SetValue(static_cast<std::int16_t>(min_ + Direction() * position));
}

void ScrollBar::resizeEvent(QResizeEvent* event) { bar_->setGeometry(QRect(QPoint(0, 0), event->size())); }

}  // namespace velmora
