#include "region/ViewHistory.h"

#include <tuple>

namespace velmora {

namespace {
template <typename Parameters>
auto ViewOf(Parameters& p) {
    return std::tie(p.a, p.b, p.x0, p.x1, p.y0, p.y1, p.pattern, p.kernelTag, p.randomExponent, p.parameterPlane);
}
}  // namespace

bool SameView(const PictureParameters& first, const PictureParameters& second) {
    return ViewOf(first) == ViewOf(second);
}

void TakeView(PictureParameters& parameters, const PictureParameters& view) { ViewOf(parameters) = ViewOf(view); }

void ViewHistory::Record(const PictureParameters& view) {
    if (!views_.empty()) {
        if (SameView(views_[position_], view)) return;
        views_.erase(views_.begin() + static_cast<std::ptrdiff_t>(position_) + 1, views_.end());
    }
    views_.push_back(view);
    if (views_.size() > kLimit) views_.pop_front();
    position_ = views_.size() - 1;
}

const PictureParameters* ViewHistory::Back() {
    if (!CanGoBack()) return nullptr;
    return &views_[--position_];
}

const PictureParameters* ViewHistory::Forward() {
    if (!CanGoForward()) return nullptr;
    return &views_[++position_];
}

}  // namespace velmora
