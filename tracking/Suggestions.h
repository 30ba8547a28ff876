#pragma once
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "palette/ColorTable.h"
#include "render/PictureParameters.h"
#include "tracking/SensorCheck.h"

namespace velmora {

// A picture as it prints: its parameters, its pixels and its printed size. A canvas printed at page width on A4
// (dpi 0) takes its pixels from the size value; a picture of a chosen printed size, from that size and its dpi.
struct CheckedPicture {
    PictureParameters parameters;
    CanvasSize pixels{};
    PrintedSize printed{};
    double dpi = 0;
};

// The canvas of `parameters` (its size value) printed at page width on A4.
CheckedPicture CanvasAtPageWidth(const PictureParameters& parameters);
// The picture of `parameters` printed at `printed` with `dpi` dots per inch.
CheckedPicture PictureAtSize(const PictureParameters& parameters, PrintedSize printed, double dpi);

// One change a user can make to a picture that tracks badly.
enum class ChangeKind : std::uint8_t {
    Resolution,  // value: 1 high resolution, 0 normal
    Size,        // value: the size value
    Dpi,         // value: the dots per inch
    Zoom,        // value: 0 zoom in 2x, 1 zoom out 2x about the centre (as the In and Out buttons)
    Move,        // value: 0 left, 1 right, 2 up, 3 down, half a picture (two presses of an arrow)
    Colours,     // value: the colour-count list index
};
struct PictureChange {
    ChangeKind kind;
    int value;
    bool operator==(const PictureChange&) const = default;
};

// The changes worth trying on `picture`: the other resolution, one and two sizes up and down (or the
// neighbouring dpi for a picture of a chosen printed size), zooming in and out, the regions half a picture away
// and more colours. Random colours have no region to zoom or move.
std::vector<PictureChange> ChangesToTry(const CheckedPicture& picture);
// `picture` with `change` made; nothing when the change cannot be made (a region that is not finite).
std::optional<CheckedPicture> Changed(const CheckedPicture& picture, PictureChange change);

// The sensor check of `picture`, drawn only where the frames read it with the colours of `table`, on at most
// `mostFrames` frames.
TrackingResult CheckPicture(const CheckedPicture& picture, const ColorTable& table, const SensorModel& model = {},
                            int threads = 0, const std::atomic<bool>* stop = nullptr, int mostFrames = kMaxFrames);

// A change tried, with the share of the frames its picture tracks on (0 to 1), from a quicker check on fewer
// frames: within about a point of the full check's.
struct Suggestion {
    PictureChange change;
    double tracks;
};
// Below kGoodTracking, the changes that track at least a point better than `tracks` (the picture's own
// share), the best first, at most `most`; none above it or when stopped.
std::vector<Suggestion> SuggestChanges(const CheckedPicture& picture, const ColorTable& table, double tracks,
                                       const SensorModel& model = {}, int threads = 0,
                                       const std::atomic<bool>* stop = nullptr, int most = 4);
// The same, trying only `changes`.
std::vector<Suggestion> SuggestChanges(const CheckedPicture& picture, const ColorTable& table, double tracks,
                                       const std::vector<PictureChange>& changes, const SensorModel& model = {},
                                       int threads = 0, const std::atomic<bool>* stop = nullptr, int most = 4);

}  // namespace velmora

namespace velmora {

// How far FindRegions looks: zoomed out 2x, as it is and zoomed in 2x, each moved by up to this many half
// pictures along each axis.
inline constexpr int kRegionReach = 2;

// A region near the picture's, with the share of the frames it tracks on (from the quicker check).
struct FoundRegion {
    PictureParameters parameters;
    double tracks;
};
// The regions around `picture`'s within kRegionReach that track better than `tracks`, the best first, at most
// `most`. `progress` runs after each region checked with the part done (0 to 1) and returns true to stop; a
// stopped search returns what it found so far.
std::vector<FoundRegion> FindRegions(const CheckedPicture& picture, const ColorTable& table, double tracks,
                                     const std::function<bool(double done)>& progress, int most = 8,
                                     const SensorModel& model = {}, int threads = 0);

// `parameters`' picture drawn width x height pixels large in normal resolution, for a thumbnail.
std::vector<Pixel> DrawThumbnail(const PictureParameters& parameters, const ColorTable& table, CanvasSize pixels);

}  // namespace velmora
