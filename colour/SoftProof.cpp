#include "colour/SoftProof.h"

namespace velmora {

namespace {

// Colours remembered at most; a reduced view of a random picture meets new ones without end.
constexpr std::size_t kMemoMost = 1 << 18;

}  // namespace

SoftProof::SoftProof(std::shared_ptr<const OutputProfile> profile) : profile_(std::move(profile)) {}

void SoftProof::Apply(const Pixel* in, Pixel* out, std::size_t count, int x, int y, Shown shown) {
    missed_.clear();
    for (std::size_t i = 0; i < count; ++i)
        if (!memo_.contains(in[i] | 0xFF000000u)) missed_.push_back(in[i] | 0xFF000000u);
    if (!missed_.empty()) {
        if (memo_.size() + missed_.size() > kMemoMost) memo_.clear();
        proofs_.resize(missed_.size());
        shifts_.resize(missed_.size());
        profile_->Proof(missed_.data(), proofs_.data(), missed_.size());
        profile_->Shift(missed_.data(), shifts_.data(), missed_.size());
        for (std::size_t i = 0; i < missed_.size(); ++i)
            memo_[missed_[i]] = {proofs_[i] | 0xFF000000u, shifts_[i] > kNoticeableShift};
    }
    for (std::size_t i = 0; i < count; ++i) {
        const Printed& printed = memo_.find(in[i] | 0xFF000000u)->second;
        Pixel shownColour = shown.printColours ? printed.proof : in[i];
        if (shown.gamutMarks && printed.outOfGamut) {
            const int sx = x + static_cast<int>(i);
            const bool dark = (((sx >> 1) + (y >> 1)) & 1) != static_cast<int>(shown.phase);
            shownColour = dark ? 0xFF000000u : 0xFFFFFFFFu;
        }
        out[i] = shownColour;
    }
}

}  // namespace velmora
