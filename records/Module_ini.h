#pragma once
#include <optional>
#include <string>
#include <vector>

#include "records/Profile.h"

namespace velmora::Module_ini {

// The profile file that ReadIni and WriteIni act on; each save and each load
// of a parameter data file sets it.
extern std::string IniFileName;

// What ReadIni gives for a missing file, section or key.
inline constexpr const char* kNoEntry = "no ent";

// The value of `key` in `section` of IniFileName, read from the file anew on
// every call; "no ent" when the file, section or key is missing.
std::string ReadIni(const std::string& section, const std::string& key);

// Writes one key into IniFileName. Returns the system's reason on failure.
std::optional<std::string> WriteIni(const std::string& section, const std::string& key, const std::string& value);

// Writes several keys into IniFileName in one replacement of the file, so they
// are all written or none is. Returns the system's reason on failure.
std::optional<std::string> WriteIniEntries(const std::vector<ProfileEntry>& entries);

// True when a file or folder (hidden ones included) matches `path`, whose last
// part may hold the wildcards "*" and "?". The first match in folder order
// decides: a name that is nothing but dots ("." and "..") counts as absent, as
// does a path the file system rejects.
bool FileExist(const std::string& path);

}  // namespace velmora::Module_ini
