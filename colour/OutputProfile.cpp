#include "colour/OutputProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <vector>

#include "files/FileRead.h"

namespace velmora {

namespace {

// Printer profiles with their tables stay well under this; a larger file is not taken for one.
constexpr std::size_t kProfileBytesMax = 64 << 20;
// Pixels converted in one call into a buffer on the stack.
constexpr std::size_t kChunk = 256;

// The profile's description in printable ASCII, single spaces between words: a PNG's profile name allows no
// more, and PDF strings take it as it is.
std::string DescriptionOf(cmsHPROFILE profile) {
    char text[80] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    std::string name;
    for (const char* c = text; *c; ++c) {
        const bool printable = *c > ' ' && *c < 0x7F;
        if (printable) name += *c;
        else if (!name.empty() && name.back() != ' ') name += ' ';
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

cmsUInt32Number IntentOf(RenderingIntent intent) {
    return intent == RenderingIntent::Perceptual ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC;
}

}  // namespace

std::optional<RenderingIntent> RenderingIntentNamed(std::string_view name) {
    for (const RenderingIntentName& n : kRenderingIntents)
        if (n.name == name) return n.intent;
    return std::nullopt;
}

std::string_view NameOf(RenderingIntent intent) {
    for (const RenderingIntentName& n : kRenderingIntents)
        if (n.intent == intent) return n.name;
    return {};
}

std::variant<std::shared_ptr<const OutputProfile>, std::string> OutputProfile::Load(const std::string& path,
                                                                                     RenderingIntent intent) {
    const FileBytes read = ReadRegularFile(path, kProfileBytesMax, Oversize::Refuse);
    if (read.missing) return std::string("no such file");
    if (read.failure) return *read.failure;
    if (!read.whole) return std::string("the file is too large for a colour profile");
    cmsHPROFILE printer = cmsOpenProfileFromMem(read.bytes.data(), static_cast<cmsUInt32Number>(read.bytes.size()));
    if (!printer) return std::string("not an ICC colour profile");
    const cmsColorSpaceSignature space = cmsGetColorSpace(printer);
    const cmsProfileClassSignature kind = cmsGetDeviceClass(printer);
    std::string refusal;
    if (space != cmsSigCmykData && space != cmsSigRgbData)
        refusal = "the profile is neither CMYK nor RGB";
    else if (kind != cmsSigOutputClass && kind != cmsSigDisplayClass && kind != cmsSigColorSpaceClass)
        refusal = "not an output profile";
    if (!refusal.empty()) {
        cmsCloseProfile(printer);
        return refusal;
    }

    std::shared_ptr<OutputProfile> profile(new OutputProfile());
    profile->path_ = path;
    profile->intent_ = intent;
    profile->file_.icc = read.bytes;
    profile->file_.name = DescriptionOf(printer);
    if (profile->file_.name.empty()) profile->file_.name = "Output profile";
    profile->file_.registry.clear();
    profile->file_.components = space == cmsSigCmykData ? 4 : 3;

    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    const cmsUInt32Number bpc = intent == RenderingIntent::Relative ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0;
    const cmsUInt32Number device = profile->Cmyk() ? TYPE_CMYK_8 : TYPE_BGRA_8;
    const cmsUInt32Number alpha = profile->Cmyk() ? 0 : cmsFLAGS_COPY_ALPHA;
    profile->toDevice_ = cmsCreateTransform(srgb, TYPE_BGRA_8, printer, device, IntentOf(intent), bpc | alpha);
    profile->proof_ = cmsCreateProofingTransform(srgb, TYPE_BGRA_8, srgb, TYPE_BGRA_8, printer, IntentOf(intent),
                                                 INTENT_RELATIVE_COLORIMETRIC,
                                                 cmsFLAGS_SOFTPROOFING | cmsFLAGS_COPY_ALPHA | bpc);
    profile->srgbLab_ = cmsCreateTransform(srgb, TYPE_BGRA_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    profile->printedLab_ = cmsCreateProofingTransform(srgb, TYPE_BGRA_8, lab, TYPE_Lab_DBL, printer, IntentOf(intent),
                                                      INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_SOFTPROOFING | bpc);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(printer);
    if (!profile->toDevice_ || !profile->proof_ || !profile->srgbLab_ || !profile->printedLab_)
        return std::string("the profile cannot convert sRGB pictures");
    return std::shared_ptr<const OutputProfile>(std::move(profile));
}

OutputProfile::~OutputProfile() {
    for (void* transform : {toDevice_, proof_, srgbLab_, printedLab_})
        if (transform) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform));
}

void OutputProfile::Convert(const Pixel* in, std::uint32_t* out, std::size_t count) const {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(toDevice_), in, out, static_cast<cmsUInt32Number>(count));
}

void OutputProfile::Proof(const Pixel* in, Pixel* out, std::size_t count) const {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(proof_), in, out, static_cast<cmsUInt32Number>(count));
}

void OutputProfile::Shift(const Pixel* in, double* shift, std::size_t count) const {
    cmsCIELab original[kChunk], printed[kChunk];
    for (std::size_t start = 0; start < count; start += kChunk) {
        const std::size_t n = std::min(kChunk, count - start);
        cmsDoTransform(static_cast<cmsHTRANSFORM>(srgbLab_), in + start, original, static_cast<cmsUInt32Number>(n));
        cmsDoTransform(static_cast<cmsHTRANSFORM>(printedLab_), in + start, printed, static_cast<cmsUInt32Number>(n));
        for (std::size_t i = 0; i < n; ++i) shift[start + i] = cmsCIE2000DeltaE(&original[i], &printed[i], 1, 1, 1);
    }
}

}  // namespace velmora
