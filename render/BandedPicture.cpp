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
                             PointColours colours, int bandHeight)
    : whole_(whole),
      width_(width),
      height_(height),
      dot_(dot),
      bandHeight_(bandHeight > 0 ? bandHeight : BandHeightFor(width)),
      bands_((height + bandHeight_ - 1) / bandHeight_),
      engine_(engine),
      colours_(colours),
      white_(static_cast<std::size_t>(width), 0xFFFFFFFFu) {}

int BandedPicture::BandHeightFor(int width) {
    constexpr long kBandPixels = 1L << 23;
    return static_cast<int>(std::max(1L, kBandPixels / std::max(width, 1) / 16) * 16);
}

void BandedPicture::Draw(int band) {
    current_ = band;
    counts_.reset();
    if (stopped_) return;
    const int top = band * bandHeight_;
    const int rows = std::min(bandHeight_, height_ - top);
    // The band's point rows: bandHeight is a multiple of 16, so they start at a
    // multiple of 4 in either resolution.
    const RenderParams params = BandOf(whole_, top / dot_, bandHeight_ / dot_);
    auto passEnds = [&](int pass) {
        if (progress && progress((drawn_ + (pass + 1) / 16.0) / bands_)) stopped_ = true;
        return stopped_;
    };
    counts_ = std::make_unique<CountCanvas>(width_, rows, dot_);
    BatchingSink sink([this](int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                             int rowCount) { counts_->PaintColumns(pass, px, counts, columns, rowCount); },
                      passEnds);
    WalkRender(params, engine_, sink);
    countRows_ = counts_->Rows(colours_.tableColumn, colours_.colourCount);
    ++drawn_;
}

PictureRows BandedPicture::Rows() {
    return {width_, height_, [this](int y) -> const Pixel* {
                const int band = y / bandHeight_;
                if (band != current_) Draw(band);
                const int row = y - band * bandHeight_;
                if (counts_) return countRows_.row(row);
                return white_.data();
            }};
}

std::vector<Pixel> BandedPicture::Colours() {
    if (bands_ == 1) {
        if (current_ != 0) Draw(0);
        if (counts_) return counts_->Colours(colours_.tableColumn, colours_.colourCount);
    }
    std::vector<Pixel> colours{0xFFFFFFFFu};
    for (int n = 0; n <= 32; ++n) colours.push_back(PixelOf(colours_.tableColumn[n % colours_.colourCount]));
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    return colours;
}

}  // namespace velmora
