#include "tracking/Suggestions.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "canvas/CanvasGeometry.h"
#include "common/Numbers.h"
#include "region/RegionNav.h"
#include "render/PointPicture.h"
#include "render/Random.h"

namespace velmora {

namespace {

// The resolutions a picture of a chosen printed size is tried at.
constexpr std::array<double, 6> kDpiSteps = {100, 150, 200, 300, 400, 600};
constexpr double kWorthAPoint = 0.01;
// Frames of the quick check of each change: its share is within about a point of the full check's.
constexpr int kTriedFrames = 2048;

bool RandomColours(const PictureParameters& parameters) { return ToInt32(Val(parameters.kernelTag)) == 6; }

Region RegionOf(const PictureParameters& p) { return {Val(p.x0), Val(p.x1), Val(p.y0), Val(p.y1)}; }

void SetRegion(PictureParameters& p, const Region& region) {
    p.x0 = NumText(region.x0);
    p.x1 = NumText(region.x1);
    p.y0 = NumText(region.y0);
    p.y1 = NumText(region.y1);
}

bool SidesInRange(CanvasSize pixels) {
    return pixels.width >= kPictureSideMin && pixels.height >= kPictureSideMin && pixels.width <= kPictureSideMax &&
           pixels.height <= kPictureSideMax;
}

}  // namespace

CheckedPicture CanvasAtPageWidth(const PictureParameters& parameters) {
    const CanvasSize pixels = SizeForValue(parameters.sizeValue);
    return {parameters, pixels, PageWidthOnA4(pixels.width, pixels.height), 0};
}

CheckedPicture PictureAtSize(const PictureParameters& parameters, PrintedSize printed, double dpi) {
    return {parameters, PixelsForMillimetres(printed.widthMm, printed.heightMm, dpi), printed, dpi};
}

std::vector<PictureChange> ChangesToTry(const CheckedPicture& picture) {
    const PictureParameters& p = picture.parameters;
    std::vector<PictureChange> changes{{ChangeKind::Resolution, p.HighResolution() ? 0 : 1}};
    if (picture.dpi > 0) {
        const auto above = std::find_if(kDpiSteps.begin(), kDpiSteps.end(), [&](double dpi) { return dpi > picture.dpi; });
        const auto below = std::find_if(kDpiSteps.rbegin(), kDpiSteps.rend(), [&](double dpi) { return dpi < picture.dpi; });
        if (below != kDpiSteps.rend()) changes.push_back({ChangeKind::Dpi, static_cast<int>(*below)});
        if (above != kDpiSteps.end()) changes.push_back({ChangeKind::Dpi, static_cast<int>(*above)});
    } else {
        for (const int step : {-2, -1, 1, 2})
            if (p.sizeValue + step >= kSizeMin && p.sizeValue + step <= kSizeMax)
                changes.push_back({ChangeKind::Size, p.sizeValue + step});
    }
    if (!RandomColours(p)) {
        for (int zoom = 0; zoom < 2; ++zoom) changes.push_back({ChangeKind::Zoom, zoom});
        for (int direction = 0; direction < 4; ++direction) changes.push_back({ChangeKind::Move, direction});
        if (p.colourIndex >= 0 && p.colourIndex + 1 < kColourChoices)
            changes.push_back({ChangeKind::Colours, p.colourIndex + 1});
    }
    return changes;
}

std::optional<CheckedPicture> Changed(const CheckedPicture& picture, PictureChange change) {
    CheckedPicture changed = picture;
    PictureParameters& p = changed.parameters;
    switch (change.kind) {
    case ChangeKind::Resolution: p.highResolution = change.value; break;
    case ChangeKind::Size:
        if (change.value < kSizeMin || change.value > kSizeMax) return std::nullopt;
        p.sizeValue = change.value;
        changed = CanvasAtPageWidth(p);
        break;
    case ChangeKind::Dpi:
        if (change.value <= 0) return std::nullopt;
        changed = PictureAtSize(picture.parameters, picture.printed, change.value);
        if (!SidesInRange(changed.pixels)) return std::nullopt;
        break;
    case ChangeKind::Zoom: {
        const auto region = ZoomRegion(RegionOf(p), change.value);
        if (!region) return std::nullopt;
        SetRegion(p, *region);
        break;
    }
    case ChangeKind::Move: {
        auto region = MoveRegion(RegionOf(p), change.value);
        if (region) region = MoveRegion(*region, change.value);
        if (!region) return std::nullopt;
        SetRegion(p, *region);
        break;
    }
    case ChangeKind::Colours:
        if (change.value < 0 || change.value >= kColourChoices) return std::nullopt;
        p.colourIndex = change.value;
        break;
    }
    return changed;
}

TrackingResult CheckPicture(const CheckedPicture& picture, const ColorTable& table, const SensorModel& model,
                            int threads, const std::atomic<bool>* stop, int mostFrames) {
    PictureParameters parameters = picture.parameters;
    parameters.pictureEffect = false;
    const int colourIndex = std::clamp(parameters.colourIndex, 0, kColourChoices - 1);
    const PictureGrid grid = PictureGridFor(picture.pixels, parameters.HighResolution());
    UniformSource random;
    const PointPicture drawn(WalkCovering(ReadRenderParams(parameters, grid.grid.width, grid.grid.height, grid.regionHeight),
                                          picture.pixels, grid.grid.dot),
                             picture.pixels.width, picture.pixels.height, grid.grid.dot,
                             {table.column[static_cast<std::size_t>(colourIndex)].data(),
                              kColourCounts[static_cast<std::size_t>(colourIndex)].colours, &random,
                              parameters.randomExponent});
    return CheckTracking(drawn, picture.printed, model, threads, stop, mostFrames);
}

std::vector<Suggestion> SuggestChanges(const CheckedPicture& picture, const ColorTable& table, double tracks,
                                       const SensorModel& model, int threads, const std::atomic<bool>* stop,
                                       int most) {
    return SuggestChanges(picture, table, tracks, ChangesToTry(picture), model, threads, stop, most);
}

std::vector<Suggestion> SuggestChanges(const CheckedPicture& picture, const ColorTable& table, double tracks,
                                       const std::vector<PictureChange>& changes, const SensorModel& model,
                                       int threads, const std::atomic<bool>* stop, int most) {
    std::vector<Suggestion> suggestions;
    if (tracks >= kGoodTracking) return suggestions;
    for (const PictureChange change : changes) {
        const auto changed = Changed(picture, change);
        if (!changed) continue;
        const TrackingResult result = CheckPicture(*changed, table, model, threads, stop, kTriedFrames);
        if (result.stopped) return {};
        if (result.FrameCount() > 0 && result.tracks >= tracks + kWorthAPoint)
            suggestions.push_back({change, result.tracks});
    }
    std::stable_sort(suggestions.begin(), suggestions.end(),
                     [](const Suggestion& a, const Suggestion& b) { return a.tracks > b.tracks; });
    if (static_cast<int>(suggestions.size()) > most) suggestions.resize(static_cast<std::size_t>(most));
    return suggestions;
}

}  // namespace velmora

namespace velmora {

std::vector<FoundRegion> FindRegions(const CheckedPicture& picture, const ColorTable& table, double tracks,
                                     const std::function<bool(double done)>& progress, int most,
                                     const SensorModel& model, int threads) {
    std::vector<FoundRegion> found;
    const Region here = RegionOf(picture.parameters);
    // Zoomed out, as it is, zoomed in; each moved by whole half pictures of its own extent.
    std::vector<Region> regions;
    for (const int zoom : {1, -1, 0}) {
        const auto zoomed = zoom < 0 ? std::optional<Region>(here) : ZoomRegion(here, zoom);
        if (!zoomed) continue;
        for (int row = -kRegionReach; row <= kRegionReach; ++row)
            for (int column = -kRegionReach; column <= kRegionReach; ++column) {
                if (zoom < 0 && row == 0 && column == 0) continue;
                const double dx = (zoomed->x1 - zoomed->x0) / 2 * column, dy = (zoomed->y1 - zoomed->y0) / 2 * row;
                const Region moved{zoomed->x0 + dx, zoomed->x1 + dx, zoomed->y0 + dy, zoomed->y1 + dy};
                if (std::isfinite(moved.x0) && std::isfinite(moved.x1) && std::isfinite(moved.y0) &&
                    std::isfinite(moved.y1))
                    regions.push_back(moved);
            }
    }
    for (std::size_t i = 0; i < regions.size(); ++i) {
        CheckedPicture candidate = picture;
        SetRegion(candidate.parameters, regions[i]);
        const TrackingResult result = CheckPicture(candidate, table, model, threads, nullptr, kTriedFrames);
        if (result.FrameCount() > 0 && result.tracks >= tracks + kWorthAPoint)
            found.push_back({candidate.parameters, result.tracks});
        if (progress && progress(static_cast<double>(i + 1) / regions.size())) break;
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const FoundRegion& a, const FoundRegion& b) { return a.tracks > b.tracks; });
    if (static_cast<int>(found.size()) > most) found.resize(static_cast<std::size_t>(most));
    return found;
}

std::vector<Pixel> DrawThumbnail(const PictureParameters& parameters, const ColorTable& table, CanvasSize pixels) {
    PictureParameters p = parameters;
    p.pictureEffect = false;
    p.highResolution = 0;
    const int colourIndex = std::clamp(p.colourIndex, 0, kColourChoices - 1);
    const PictureGrid grid = PictureGridFor(pixels, false);
    UniformSource random;
    const PointPicture drawn(WalkCovering(ReadRenderParams(p, grid.grid.width, grid.grid.height, grid.regionHeight), pixels,
                                          grid.grid.dot),
                             pixels.width,
                             pixels.height, grid.grid.dot,
                             {table.column[static_cast<std::size_t>(colourIndex)].data(),
                              kColourCounts[static_cast<std::size_t>(colourIndex)].colours, &random, p.randomExponent});
    std::vector<Pixel> out(static_cast<std::size_t>(pixels.width) * pixels.height);
    drawn.Draw(0, 0, pixels.width, pixels.height, out.data());
    return out;
}

}  // namespace velmora
