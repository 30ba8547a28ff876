#pragma once
#include <string>

namespace velmora {

// The colour space every picture file declares, in one place: the ICC profile
// the files embed and the names a PDF's output intent gives it. Pixels are
// written as they are; the profile says how to read them.
struct ColourProfile {
    std::string icc;                // the ICC profile's bytes
    std::string name;               // its description, for PNG's iCCP chunk and a PDF's output intent
    std::string registry;           // where the condition is registered, for the output intent
    int components = 3;
};

// sRGB IEC 61966-2.1, made by the colour management library.
const ColourProfile& FileColourProfile();

}  // namespace velmora
