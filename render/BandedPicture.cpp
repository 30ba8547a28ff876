#include "render/BandedPicture.h"

#include <algorithm>

namespace velmora {

void BatchingSink::PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) {
    if (pending_ == kBatch) Flush();
    pass_ = pass;
    rows_ = rows;
    kept_[pending_].assign(counts, counts + rows);
    px_[pending_++] = px;
}

bool BatchingSink::PassEnds(int pass) {
    Flush();
    return passEnds_ && passEnds_(pass);
}

void BatchingSink::Flush() {
    const std::uint8_t* columns[kBatch];
    for (int c = 0; c < pending_; ++c) columns[c] = kept_[c].data();
    if (pending_ > 0) paintBatch_(pass_, px_, columns, pending_, rows_);
    pending_ = 0;
}

BandedPicture::BandedPicture(const RenderParams& whole, int width, int height, int dot, CountEngine& engine,
                             PointColours colours, int bandHeight, int keptBands)
    : whole_(whole),
      width_(width),
      height_(height),
      dot_(dot),
      bandHeight_(bandHeight > 0 ? bandHeight : BandHeightFor(width)),
      bands_((height + bandHeight_ - 1) / bandHeight_),
      engine_(engine),
      colours_(colours),
      keptBands_(static_cast<std::size_t>(std::clamp(keptBands, 1, bands_))),
      white_(static_cast<std::size_t>(width), 0xFFFFFFFFu) {}

int BandedPicture::BandHeightFor(int width) {
    constexpr long kBandPixels = 1L << 23;
    return static_cast<int>(std::max(1L, kBandPixels / std::max(width, 1) / 16) * 16);
}

BandedPicture::KeptBand& BandedPicture::Band(int band) {
    const auto found = std::find_if(kept_.begin(), kept_.end(), [band](const KeptBand& k) { return k.band == band; });
    if (found != kept_.end()) {
        std::rotate(kept_.begin(), found, found + 1);
        return kept_.front();
    }
    if (kept_.size() == keptBands_) kept_.pop_back();
    kept_.insert(kept_.begin(), KeptBand{band, nullptr, {}});
    KeptBand& kept = kept_.front();
    if (stopped_) return kept;
    const int top = band * bandHeight_;
    const int rows = std::min(bandHeight_, height_ - top);
    // The band's point rows: bandHeight is a multiple of 16, so they start at a
    // multiple of 4 in either resolution.
    const RenderParams params = BandOf(whole_, top / dot_, bandHeight_ / dot_);
    auto passEnds = [&](int pass) {
        if (progress && progress((drawn_ + (pass + 1) / 16.0) / bands_)) stopped_ = true;
        return stopped_;
    };
    auto counts = std::make_unique<CountCanvas>(width_, rows, dot_);
    CountCanvas& canvas = *counts;
    BatchingSink sink([&canvas](int pass, const std::int64_t* px, const std::uint8_t* const* columns, int count,
                                int rowCount) { canvas.PaintColumns(pass, px, columns, count, rowCount); },
                      passEnds);
    WalkRender(params, engine_, sink);
    ++drawn_;
    kept.rows = counts->Rows(colours_.tableColumn, colours_.colourCount);
    kept.counts = std::move(counts);
    return kept;
}

PictureRows BandedPicture::Rows() {
    const auto part = [this](int y, int x, int count) -> const Pixel* {
        const int band = y / bandHeight_;
        const KeptBand& kept = Band(band);
        if (kept.counts) return RowPart(kept.rows, y - band * bandHeight_, x, count);
        return white_.data();
    };
    return {width_, height_, [this, part](int y) { return part(y, 0, width_); }, part};
}

std::vector<Pixel> BandedPicture::Colours() {
    if (bands_ == 1) {
        const KeptBand& kept = Band(0);
        if (kept.counts) return kept.counts->Colours(colours_.tableColumn, colours_.colourCount);
    }
    std::vector<Pixel> colours{0xFFFFFFFFu};
    for (int n = 0; n <= 32; ++n) colours.push_back(PixelOf(colours_.tableColumn[n % colours_.colourCount]));
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    return colours;
}

}  // namespace velmora
