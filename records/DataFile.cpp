#include "records/DataFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>

#include "common/Numbers.h"

namespace velmora {

namespace {
std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}
}  // namespace

std::optional<std::string> ApplyDataFile(PictureSettings& s, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string(std::strerror(errno));
    std::string line, section;
    std::map<std::string, std::string> keys;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && line.front() == '[') section = Trim(line.substr(1, line.find(']') - 1));
        else if (section == "Initial" && line.find('=') != std::string::npos)
            keys.emplace(Trim(line.substr(0, line.find('='))), Trim(line.substr(line.find('=') + 1)));
    }
    auto read = [&](const char* key) { return keys.count(key) ? keys[key] : std::string("no ent"); };
    if (auto n = ToInt16(Val(read("Ptn"))); n && *n >= 0 && *n <= 5) ApplyPattern(s, *n);
    if (auto n = ToInt16(Val(read("HiRes"))); n && *n >= 0 && *n <= 2) s.highResolution = *n == 1;
    if (auto n = ToInt16(Val(read("Color"))); n && *n >= -1 && *n <= 7) s.colourIndex = *n;
    s.a = read("a");
    s.b = read("b");
    s.xh = read("x0");
    s.xl = read("x1");
    s.yh = read("y0");
    s.yl = read("y1");
    return std::nullopt;
}

}  // namespace velmora
