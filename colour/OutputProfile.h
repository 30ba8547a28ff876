#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "common/Colour.h"
#include "formats/ColourProfile.h"

namespace velmora {

// How colours the printer cannot reach are brought into its gamut.
enum class RenderingIntent {
    Relative,    // relative colorimetric with black-point compensation: colours it can print stay as they are
    Perceptual,  // the whole picture compressed into the gamut
};

struct RenderingIntentName {
    RenderingIntent intent;
    std::string_view name;  // as the command line and the remembered choices write it
};
inline constexpr RenderingIntentName kRenderingIntents[] = {{RenderingIntent::Relative, "relative"},
                                                            {RenderingIntent::Perceptual, "perceptual"}};

std::optional<RenderingIntent> RenderingIntentNamed(std::string_view name);
std::string_view NameOf(RenderingIntent intent);

// A colour difference (CIEDE2000) from which a colour prints noticeably different.
inline constexpr double kNoticeableShift = 5;

// A printer's ICC output profile (CMYK or RGB) with the transforms of sRGB pictures through it. Immutable
// once loaded, so one profile serves every thread.
class OutputProfile {
public:
    // The profile in the file at `path`, or why it cannot be used (one line).
    static std::variant<std::shared_ptr<const OutputProfile>, std::string> Load(const std::string& path,
                                                                                 RenderingIntent intent);
    ~OutputProfile();
    OutputProfile(const OutputProfile&) = delete;
    OutputProfile& operator=(const OutputProfile&) = delete;

    const std::string& Path() const { return path_; }
    RenderingIntent Intent() const { return intent_; }
    // The profile as the files embed it: its bytes, description and components (4 for CMYK, 3 for RGB).
    const ColourProfile& File() const { return file_; }
    bool Cmyk() const { return file_.components == 4; }

    // `count` sRGB pixels in the printer's values: for CMYK the bytes C, M, Y, K in memory order, for RGB the
    // pixel 0xFFRRGGBB.
    void Convert(const Pixel* in, std::uint32_t* out, std::size_t count) const;
    // The sRGB pixels `in` as the printer prints them, back in sRGB for the screen.
    void Proof(const Pixel* in, Pixel* out, std::size_t count) const;
    // How far each pixel moves when printed (CIEDE2000 between the colour and its print).
    void Shift(const Pixel* in, double* shift, std::size_t count) const;

private:
    OutputProfile() = default;
    std::string path_;
    RenderingIntent intent_ = RenderingIntent::Relative;
    ColourProfile file_;
    void* toDevice_ = nullptr;    // sRGB (BGRA bytes) to the printer's values
    void* proof_ = nullptr;       // sRGB to the printer and back to sRGB
    void* srgbLab_ = nullptr;     // sRGB to Lab
    void* printedLab_ = nullptr;  // sRGB to the printer and on to Lab
};

}  // namespace velmora
