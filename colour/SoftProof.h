#pragma once
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "colour/OutputProfile.h"

namespace velmora {

// The picture on the screen as a printer will print it: each colour shown as the profile prints it, and with
// the gamut marks on, each colour that moves by more than kNoticeableShift replaced by a checkerboard of black
// and white 2 x 2 screen squares, which shows on any picture; the squares swap with `phase` so that the
// marks can blink. The colours met are remembered, so a picture of few colours costs a lookup per pixel.
class SoftProof {
public:
    explicit SoftProof(std::shared_ptr<const OutputProfile> profile);
    const std::shared_ptr<const OutputProfile>& Profile() const { return profile_; }

    struct Shown {
        bool printColours = false;
        bool gamutMarks = false;
        bool phase = false;
    };
    // `count` pixels of one screen row starting at screen position (x, y), from `in` into `out`.
    void Apply(const Pixel* in, Pixel* out, std::size_t count, int x, int y, Shown shown);

private:
    struct Printed {
        Pixel proof;
        bool outOfGamut;
    };
    std::shared_ptr<const OutputProfile> profile_;
    std::unordered_map<Pixel, Printed> memo_;
    std::vector<Pixel> missed_, proofs_;
    std::vector<double> shifts_;
};

}  // namespace velmora
