#include "colour/PrintedRows.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace velmora {

namespace {

// New colours in one row from which the conversion is shared among threads.
constexpr std::size_t kSharedFrom = 4096;

class RowConverter {
public:
    RowConverter(PictureRows rows, std::shared_ptr<const OutputProfile> profile, int threads)
        : rows_(std::move(rows)), profile_(std::move(profile)),
          threads_(threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))),
          out_(static_cast<std::size_t>(rows_.width)), keys_(kMemo, 0), values_(kMemo) {}

    const Pixel* Row(int y) {
        const Pixel* in = rows_.row(y);
        missed_.clear();
        for (int x = 0; x < rows_.width; ++x) {
            const Pixel colour = in[x] | 0xFF000000u;
            const std::size_t slot = Slot(colour);
            if (keys_[slot] == colour) out_[static_cast<std::size_t>(x)] = values_[slot];
            else missed_.push_back(x);
        }
        if (missed_.empty()) return out_.data();
        colours_.resize(missed_.size());
        converted_.resize(missed_.size());
        for (std::size_t i = 0; i < missed_.size(); ++i) colours_[i] = in[missed_[i]] | 0xFF000000u;
        Convert();
        for (std::size_t i = 0; i < missed_.size(); ++i) {
            const std::size_t slot = Slot(colours_[i]);
            keys_[slot] = colours_[i];
            values_[slot] = converted_[i];
            out_[static_cast<std::size_t>(missed_[i])] = converted_[i];
        }
        return out_.data();
    }

private:
    static constexpr std::size_t kMemo = 1 << 12;
    static std::size_t Slot(Pixel colour) { return (colour * 0x9E3779B1u) >> 20; }

    void Convert() {
        const std::size_t count = colours_.size();
        const std::size_t parts = count < kSharedFrom ? 1 : static_cast<std::size_t>(threads_);
        if (parts == 1) return profile_->Convert(colours_.data(), converted_.data(), count);
        std::vector<std::jthread> workers;
        const std::size_t step = (count + parts - 1) / parts;
        for (std::size_t start = step; start < count; start += step)
            workers.emplace_back([this, start, n = std::min(step, count - start)] {
                profile_->Convert(colours_.data() + start, converted_.data() + start, n);
            });
        profile_->Convert(colours_.data(), converted_.data(), std::min(step, count));
    }

    PictureRows rows_;
    std::shared_ptr<const OutputProfile> profile_;
    int threads_;
    std::vector<std::uint32_t> out_;
    std::vector<Pixel> keys_;  // 0 for an empty slot: every colour read has its top byte set
    std::vector<std::uint32_t> values_;
    std::vector<int> missed_;
    std::vector<Pixel> colours_;
    std::vector<std::uint32_t> converted_;
};

}  // namespace

PictureRows PrintedRows(const PictureRows& rows, std::shared_ptr<const OutputProfile> profile, int threads) {
    auto converter = std::make_shared<RowConverter>(rows, std::move(profile), threads);
    return {rows.width, rows.height, [converter](int y) { return converter->Row(y); }};
}

std::vector<Pixel> PrintedColours(const std::vector<Pixel>& colours, const OutputProfile& profile) {
    std::vector<Pixel> in(colours.size());
    std::transform(colours.begin(), colours.end(), in.begin(), [](Pixel p) { return p | 0xFF000000u; });
    std::vector<Pixel> printed(colours.size());
    profile.Convert(in.data(), printed.data(), in.size());
    std::sort(printed.begin(), printed.end());
    printed.erase(std::unique(printed.begin(), printed.end()), printed.end());
    return printed;
}

}  // namespace velmora
