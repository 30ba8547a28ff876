#pragma once
#include <optional>
#include <string>

#include "render/PictureSettings.h"

namespace velmora {

// Loads a parameter data file into settings with the window's load rules.
// Returns the reason when the file cannot be read at all.
std::optional<std::string> ApplyDataFile(PictureSettings& settings, const std::string& path);

}  // namespace velmora
