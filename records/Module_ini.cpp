#include "records/Module_ini.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace velmora::Module_ini {

std::string IniFileName;

namespace {

// "*" matches any run of characters, "?" any one character.
bool MatchesPattern(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string FirstMatch(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return {};
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.empty()) return {};
    if (pattern.find_first_of("*?") == std::string::npos) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? pattern : std::string();
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        if (MatchesPattern(pattern, entry->d_name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::string ReadIni(const std::string& section, const std::string& key) {
    const auto contents = ReadProfileFile(IniFileName);
    if (!contents) return kNoEntry;
    return ProfileValue(*contents, section, key).value_or(kNoEntry);
}

std::optional<std::string> WriteIni(const std::string& section, const std::string& key, const std::string& value) {
    return WriteIniEntries({{section, key, value}});
}

std::optional<std::string> WriteIniEntries(const std::vector<ProfileEntry>& entries) {
    return WriteProfileEntries(IniFileName, entries);
}

bool FileExist(const std::string& path) {
    auto name = FirstMatch(path);
    std::erase(name, '.');
    return !name.empty();
}

}  // namespace velmora::Module_ini
