#include "formats/ColourProfile.h"

#include <lcms2.h>

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
    if (srgb) cmsCloseProfile(srgb);
    return profile;
}

}  // namespace

const ColourProfile& FileColourProfile() {
    static const ColourProfile profile = MakeSrgb();
    return profile;
}

}  // namespace velmora
