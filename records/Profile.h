#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Profile ("ini") files: "[section]" lines open sections, "key=value" lines
// hold values. Names match without regard to ASCII case, blanks around names
// and values are ignored, lines end in LF or CR LF. The first section of a name
// and the first key of a name inside it count. Everything is bytes: NUL bytes
// and invalid UTF-8 are carried through, never interpreted.

// Longest value a read returns, in bytes.
inline constexpr std::size_t kProfileValueLimit = 255;

// Only this many leading bytes of a file are read, so that any file at all can
// be read as a profile file quickly; a larger file is not a profile file and
// may not be rewritten as one.
inline constexpr std::size_t kProfileSizeLimit = 1 << 20;

struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};

// The value of `key` in `section`, cut at a NUL byte and to kProfileValueLimit
// bytes; nothing when the section or the key is missing.
std::optional<std::string> ProfileValue(std::string_view contents, std::string_view section,
                                        std::string_view key);

// `contents` with each entry written in turn: an existing value is replaced
// where it stands, a missing key is added at the end of its section, a missing
// section at the end of the file. Every other byte stays as it was. New lines
// take the line end of the file's first line, CR LF for an empty file. A value
// is cut at its first line break or NUL byte, so it can never add lines.
std::string ProfileWithEntries(std::string_view contents, const std::vector<ProfileEntry>& entries);

// The first kProfileSizeLimit bytes of a regular file; nothing when the path
// is no readable regular file.
std::optional<std::string> ReadProfileFile(const std::string& path);

// Writes the entries into the file at `path` (created when missing) and
// replaces it atomically. Returns the reason on failure, when the file is left
// untouched.
std::optional<std::string> WriteProfileEntries(const std::string& path, const std::vector<ProfileEntry>& entries);

}  // namespace velmora
