#include "region/ViewHistory.h"

namespace velmora {

void ViewHistory::Record(const View& view) {
    if (!views_.empty()) {
        if (views_[position_] == view) return;
        views_.erase(views_.begin() + static_cast<std::ptrdiff_t>(position_) + 1, views_.end());
    }
    views_.push_back(view);
    if (views_.size() > kLimit) views_.pop_front();
    position_ = views_.size() - 1;
}

const View* ViewHistory::Back() {
    if (!CanGoBack()) return nullptr;
    return &views_[--position_];
}

const View* ViewHistory::Forward() {
    if (!CanGoForward()) return nullptr;
    return &views_[++position_];
}

}  // namespace velmora
