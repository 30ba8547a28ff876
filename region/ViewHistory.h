#pragma once
#include <cstddef>
#include <deque>

#include "render/PictureParameters.h"

namespace velmora {

// A view is the part of a picture's parameters that Back and Forward bring
// back: the map, the region, the pattern and its state. The canvas size,
// resolution, picture effect, colours and palette are not part of it.
bool SameView(const PictureParameters& first, const PictureParameters& second);
// Copies the view of `view` into `parameters`, leaving the other choices.
void TakeView(PictureParameters& parameters, const PictureParameters& view);

// The views drawn, oldest first, with a position that Back and Forward move.
// Nothing persists across runs.
class ViewHistory {
public:
    static constexpr std::size_t kLimit = 1000;

    // Records the view a render draws. A view the same as the one at the
    // position records nothing, so rendering a view that Back or Forward
    // brought back keeps the list as it is. Otherwise the views ahead of the
    // position are dropped, the view is appended and becomes the position;
    // past kLimit the oldest view goes.
    void Record(const PictureParameters& view);

    bool CanGoBack() const { return position_ > 0; }
    bool CanGoForward() const { return position_ + 1 < views_.size(); }
    // Moves one view back (forward) and returns it; null when there is none.
    const PictureParameters* Back();
    const PictureParameters* Forward();

    std::size_t Size() const { return views_.size(); }
    // Index of the current view; 0 when the list is empty.
    std::size_t Position() const { return position_; }

private:
    std::deque<PictureParameters> views_;
    std::size_t position_ = 0;
};

}  // namespace velmora
