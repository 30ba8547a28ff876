#include "records/DataFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/Numbers.h"
#include "records/Module_ini.h"

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

std::vector<ProfileEntry> DataFileEntries(const DataFileRecord& r, const std::string& dateText) {
    return {
        {"Main", "App", kDataFileApp},
        {"Main", "Date", dateText},
        {"Initial", "Ptn", std::to_string(r.pattern)},
        {"Initial", "HiRes", std::to_string(r.highResolution)},
        {"Initial", "Color", std::to_string(r.colourIndex)},
        {"Initial", "a", r.a},
        {"Initial", "b", r.b},
        {"Initial", "x0", r.x0},
        {"Initial", "x1", r.x1},
        {"Initial", "y0", r.y0},
        {"Initial", "y1", r.y1},
    };
}

StoredParameters ReadStoredParameters() {
    using Module_ini::ReadIni;
    StoredParameters p;
    p.pattern = StoredChoice(ReadIni("Initial", "Ptn"), 0, 5);
    p.highResolution = StoredChoice(ReadIni("Initial", "HiRes"), 0, 2);
    p.colourIndex = StoredChoice(ReadIni("Initial", "Color"), -1, 7);
    p.a = ReadIni("Initial", "a");
    p.b = ReadIni("Initial", "b");
    p.x0 = ReadIni("Initial", "x0");
    p.x1 = ReadIni("Initial", "x1");
    p.y0 = ReadIni("Initial", "y0");
    p.y1 = ReadIni("Initial", "y1");
    return p;
}

std::optional<std::string> ApplyDataFile(PictureSettings& s, const std::string& path) {
    if (!ReadProfileFile(path)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return std::string(std::strerror(errno));
        ::close(fd);
        return std::string("not a regular file");
    }
    Module_ini::IniFileName = path;
    const auto stored = ReadStoredParameters();
    if (stored.pattern) ApplyPattern(s, *stored.pattern);
    if (stored.highResolution) s.highResolution = *stored.highResolution == 1;
    if (stored.colourIndex) s.colourIndex = *stored.colourIndex;
    s.a = stored.a;
    s.b = stored.b;
    s.xh = stored.x0;
    s.xl = stored.x1;
    s.yh = stored.y0;
    s.yl = stored.y1;
    return std::nullopt;
}

}  // namespace velmora
