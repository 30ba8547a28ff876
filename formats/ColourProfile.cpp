#include "formats/ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <iterator>

namespace velmora {

namespace {

ColourProfile MakeSrgb() {
    ColourProfile profile;
    profile.name = "sRGB IEC61966-2.1";
    profile.registry = "http://www.color.org";
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    if (srgb) {
        // Version 2 is the one every reader (and PDF 1.6) takes; the library writes each tag in its form.
        cmsSetProfileVersion(srgb, 2.1);
        if (cmsMLU* description = cmsMLUalloc(nullptr, 1)) {
            cmsMLUsetASCII(description, "en", "US", profile.name.c_str());
            cmsWriteTag(srgb, cmsSigProfileDescriptionTag, description);
            cmsMLUfree(description);
        }
    }
    cmsUInt32Number bytes = 0;
    if (srgb && cmsSaveProfileToMem(srgb, nullptr, &bytes) && bytes > 0) {
        profile.icc.resize(bytes);
        if (!cmsSaveProfileToMem(srgb, profile.icc.data(), &bytes)) profile.icc.clear();
    }
    // The library stamps the header with the time of making; a fixed date keeps every file of the same
    // picture the same bytes.
    if (profile.icc.size() >= 36) {
        constexpr unsigned char kMade[12] = {0x07, 0xEA, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};  // 2026-01-01 00:00:00
        std::copy(std::begin(kMade), std::end(kMade), profile.icc.begin() + 24);
    }
    if (srgb) cmsCloseProfile(srgb);
    return profile;
}

}  // namespace

const ColourProfile& FileColourProfile() {
    static const ColourProfile profile = MakeSrgb();
    return profile;
}

}  // namespace velmora
