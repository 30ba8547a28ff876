#include "records/DataFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/Numbers.h"
#include "palette/ColorTable.h"
#include "records/Module_ini.h"
#include "render/Patterns.h"

namespace velmora {

namespace {

std::optional<int> StoredChoice(const std::string& text, int lowest, int highest) {
    const auto n = ToInt16(Val(text));
    if (!n || *n < lowest || *n > highest) return std::nullopt;
    return *n;
}

}  // namespace

std::string DataFilePath(const std::string& folder, const std::string& nameText) {
    return folder + "/" + nameText + kDataFileSuffix;
}

std::vector<ProfileEntry> DataFileEntries(const PictureParameters& p, const std::string& dateText) {
    return {
        {"Main", "App", kDataFileApp},
        {"Main", "Date", dateText},
        {"Initial", "Ptn", std::to_string(p.pattern)},
        {"Initial", "HiRes", std::to_string(p.highResolution)},
        {"Initial", "Color", std::to_string(p.colourIndex)},
        {"Initial", "a", p.a},
        {"Initial", "b", p.b},
        {"Initial", "x0", p.x0},
        {"Initial", "x1", p.x1},
        {"Initial", "y0", p.y0},
        {"Initial", "y1", p.y1},
    };
}

void ApplyStoredParameters(PictureParameters& p) {
    using Module_ini::ReadIni;
    if (const auto pattern = StoredChoice(ReadIni("Initial", "Ptn"), 0, kPatternCount - 1)) ApplyPattern(p, *pattern);
    if (const auto highResolution = StoredChoice(ReadIni("Initial", "HiRes"), 0, 2)) p.highResolution = *highResolution;
    if (const auto colour = StoredChoice(ReadIni("Initial", "Color"), -1, kColourChoices - 1)) p.colourIndex = *colour;
    p.a = ReadIni("Initial", "a");
    p.b = ReadIni("Initial", "b");
    p.x0 = ReadIni("Initial", "x0");
    p.x1 = ReadIni("Initial", "x1");
    p.y0 = ReadIni("Initial", "y0");
    p.y1 = ReadIni("Initial", "y1");
}

std::optional<std::string> ApplyDataFile(PictureParameters& p, const std::string& path) {
    if (!ReadProfileFile(path)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return std::string(std::strerror(errno));
        ::close(fd);
        return std::string("not a regular file");
    }
    Module_ini::IniFileName = path;
    ApplyStoredParameters(p);
    return std::nullopt;
}

}  // namespace velmora
