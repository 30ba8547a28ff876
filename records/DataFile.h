#pragma once
#include <optional>
#include <string>
#include <vector>

#include "records/Profile.h"
#include "render/PictureSettings.h"

namespace velmora {

// The "App" value of a parameter data file: product name and version.
inline constexpr const char* kDataFileApp = "Velmora Generator1.1Rev6";

// What a parameter data file is named after the name box's text.
inline constexpr const char* kDataFileSuffix = "_dat.txt";

// Where the data file for the name box's text goes: into `folder`.
std::string DataFilePath(const std::string& folder, const std::string& nameText);

// The parameters a data file stores, as the controls hold them.
struct DataFileRecord {
    int pattern = 0;         // OptionPt(0) tag
    int highResolution = 0;  // Check1 value
    int colourIndex = 4;     // Combo2 list index, -1 for none
    std::string a, b, x0, x1, y0, y1;
};

// The keys a save writes, in their order, with `dateText` as the save time.
std::vector<ProfileEntry> DataFileEntries(const DataFileRecord& record, const std::string& dateText);

// What a load takes from the data file in Module_ini::IniFileName. A choice is
// missing when its stored number is one the control cannot take (pattern
// outside 0 to 5, HiRes other than 0 to 2, colour outside -1 to 7, beyond 16
// bits); a missing key reads as "no ent", whose number is 0.
struct StoredParameters {
    std::optional<int> pattern, highResolution, colourIndex;
    std::string a, b, x0, x1, y0, y1;
};
StoredParameters ReadStoredParameters();

// Loads the data file at `path` into settings by the window's load rules.
// Returns the reason when the file cannot be read at all.
std::optional<std::string> ApplyDataFile(PictureSettings& settings, const std::string& path);

}  // namespace velmora
