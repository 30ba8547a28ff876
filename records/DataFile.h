#pragma once
#include <optional>
#include <string>
#include <vector>

#include "records/Profile.h"
#include "render/PictureParameters.h"

namespace velmora {

// The "App" value of a parameter data file: product name and version.
inline constexpr const char* kDataFileApp = "Velmora Generator1.1Rev6";

// What a parameter data file is named after the name box's text.
inline constexpr const char* kDataFileSuffix = "_dat.txt";

// Where the data file for the name box's text goes: into `folder`.
std::string DataFilePath(const std::string& folder, const std::string& nameText);

// The keys a save writes, in their order, with `dateText` as the save time:
// the pattern, resolution, colour choice and the six texts of `parameters`.
std::vector<ProfileEntry> DataFileEntries(const PictureParameters& parameters, const std::string& dateText);

// Loads the data file in Module_ini::IniFileName into `parameters` as the
// window does: the pattern first (its preset), then the resolution, colour
// choice and texts. A choice is left as it was when its stored number is one
// the control cannot take (pattern outside the patterns, HiRes other than 0
// to 2, colour outside -1 to 7, beyond 16 bits); a missing key reads as
// "no ent", whose number is 0.
void ApplyStoredParameters(PictureParameters& parameters);

// Loads the data file at `path` into `parameters` by the window's load rules.
// Returns the reason when the file cannot be read at all.
std::optional<std::string> ApplyDataFile(PictureParameters& parameters, const std::string& path);

}  // namespace velmora
