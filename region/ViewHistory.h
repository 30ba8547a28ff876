#pragma once
#include <cstddef>
#include <deque>
#include <string>

namespace velmora {

// What a render draws, as the controls held it when the render read them.
struct View {
    std::string a, b, xh, xl, yh, yl;
    int pattern = 0;         // the selected pattern option, -1 for none
    std::string kernelTag;   // PtFrame tag
    float randomExponent = 0;
    bool parameterPlane = false;

    bool operator==(const View&) const = default;
};

// The views drawn, oldest first, with a position that Back and Forward move.
// Nothing persists across runs.
class ViewHistory {
public:
    static constexpr std::size_t kLimit = 1000;

    // Records the view a render draws. A view equal to the one at the position
    // records nothing, so rendering a view that Back or Forward brought back
    // keeps the list as it is. Otherwise the views ahead of the position are
    // dropped, the view is appended and becomes the position; past kLimit the
    // oldest view goes.
    void Record(const View& view);

    bool CanGoBack() const { return position_ > 0; }
    bool CanGoForward() const { return position_ + 1 < views_.size(); }
    // Moves one view back (forward) and returns it; null when there is none.
    const View* Back();
    const View* Forward();

    std::size_t Size() const { return views_.size(); }
    // Index of the current view; 0 when the list is empty.
    std::size_t Position() const { return position_; }

private:
    std::deque<View> views_;
    std::size_t position_ = 0;
};

}  // namespace velmora
