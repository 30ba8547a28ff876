#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Replaces the file at `path` with `bytes` all at once: the bytes go to a
// temporary file beside it, which is then renamed over the target, so a failure
// never leaves a half-written or emptied file. A read-only file (no write
// permission for its owner, or none for this process) is refused. A symbolic
// link is kept: the file it leads to is the one replaced. Returns the system's
// reason on failure, nothing on success.
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace velmora
