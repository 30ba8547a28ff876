#include "records/Profile.h"

#include <algorithm>
#include <utility>

#include "files/AtomicFile.h"
#include "files/FileRead.h"

namespace velmora {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Span {
    std::size_t begin = 0, end = 0;
};

std::string_view Trim(std::string_view s) {
    const auto b = s.find_first_not_of(kBlanks);
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Text up to the first line break or NUL byte.
std::string_view SingleLine(std::string_view s) { return s.substr(0, s.find_first_of(std::string_view("\r\n\0", 3))); }

enum class LineKind { Other, Section, Key };

struct Line {
    Span content;           // without the line end
    std::size_t next = 0;   // where the following line begins
    bool hasLineEnd = false;
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    Span value;             // key lines: the value, trimmed
};

std::vector<Line> SplitLines(std::string_view contents) {
    std::vector<Line> lines;
    std::size_t pos = contents.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
    while (pos < contents.size()) {
        Line line;
        const auto lf = contents.find('\n', pos);
        line.hasLineEnd = lf != std::string_view::npos;
        line.next = line.hasLineEnd ? lf + 1 : contents.size();
        auto end = line.hasLineEnd ? lf : contents.size();
        if (line.hasLineEnd && end > pos && contents[end - 1] == '\r') --end;
        line.content = {pos, end};
        const auto text = contents.substr(pos, end - pos);
        const auto trimmed = Trim(text);
        if (trimmed.starts_with('[')) {
            line.kind = LineKind::Section;
            const auto close = trimmed.rfind(']');
            line.name = Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1));
        } else if (const auto eq = text.find('='); eq != std::string_view::npos) {
            line.kind = LineKind::Key;
            line.name = Trim(text.substr(0, eq));
            const auto rest = text.substr(eq + 1);
            const auto value = Trim(rest);
            const auto valueBegin = value.empty() ? rest.size() : static_cast<std::size_t>(value.data() - rest.data());
            line.value = {pos + eq + 1 + valueBegin, pos + eq + 1 + valueBegin + value.size()};
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

std::optional<std::size_t> FindSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Section && SameName(lines[i].name, section)) return i;
    return std::nullopt;
}

// The index of the line after the section whose header is line `header`.
std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section) ++i;
    return i;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, std::size_t header, std::string_view key) {
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == LineKind::Key && SameName(lines[i].name, key)) return i;
    return std::nullopt;
}

std::string LineEndOf(std::string_view contents) {
    const auto lf = contents.find('\n');
    if (lf == std::string_view::npos) return "\r\n";
    return lf > 0 && contents[lf - 1] == '\r' ? "\r\n" : "\n";
}

void WriteEntry(std::string& contents, const ProfileEntry& entry) {
    const auto section = Trim(SingleLine(entry.section));
    const auto key = Trim(SingleLine(entry.key));
    const auto value = SingleLine(entry.value);
    const auto eol = LineEndOf(contents);
    const auto lines = SplitLines(contents);
    const std::string keyLine = std::string(key) + "=" + std::string(value) + eol;

    const auto header = FindSection(lines, section);
    if (!header) {
        if (!contents.empty() && contents.back() != '\n') contents += eol;
        contents += "[" + std::string(section) + "]" + eol + keyLine;
        return;
    }
    if (const auto found = FindKey(lines, *header, key)) {
        const auto& line = lines[*found];
        contents.replace(line.value.begin, line.content.end - line.value.begin, value);
        return;
    }
    // After the section's last line that is not blank, so blank lines keep
    // separating it from the next section.
    std::size_t last = *header;
    const std::size_t end = SectionEnd(lines, *header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (!Trim(std::string_view(contents).substr(lines[i].content.begin, lines[i].content.end - lines[i].content.begin))
                 .empty())
            last = i;
    if (!lines[last].hasLineEnd) {
        contents += eol;
        contents += keyLine;
        return;
    }
    contents.insert(lines[last].next, keyLine);
}

// Whole contents of an existing file to be updated; empty for a missing one.
std::optional<std::string> ContentsForUpdate(const std::string& path, std::string& reason) {
    // A target that may not be replaced is not even opened: opening a device can act on it.
    if (auto refusal = WriteRefusal(path)) {
        reason = *refusal;
        return std::nullopt;
    }
    FileBytes read = ReadRegularFile(path, kProfileSizeLimit, Oversize::Refuse);
    if (read.missing) return std::string();
    if (read.failure) {
        reason = *read.failure;
        return std::nullopt;
    }
    if (!read.whole) {
        reason = "File too large to be a parameter file";
        return std::nullopt;
    }
    return std::move(read.bytes);
}

}  // namespace

std::optional<std::string> ProfileValue(std::string_view contents, std::string_view section, std::string_view key) {
    const auto lines = SplitLines(contents);
    const auto header = FindSection(lines, Trim(section));
    if (!header) return std::nullopt;
    const auto found = FindKey(lines, *header, Trim(key));
    if (!found) return std::nullopt;
    const auto span = lines[*found].value;
    auto value = contents.substr(span.begin, span.end - span.begin);
    value = value.substr(0, value.find('\0'));
    return std::string(value.substr(0, kProfileValueLimit));
}

std::string ProfileWithEntries(std::string_view contents, const std::vector<ProfileEntry>& entries) {
    std::string result(contents);
    for (const auto& entry : entries) WriteEntry(result, entry);
    return result;
}

std::optional<std::string> ReadProfileFile(const std::string& path) {
    FileBytes read = ReadRegularFile(path, kProfileSizeLimit, Oversize::ReadPrefix);
    if (read.failure) return std::nullopt;
    return std::move(read.bytes);
}

std::optional<std::string> WriteProfileEntries(const std::string& path, const std::vector<ProfileEntry>& entries) {
    std::string reason;
    const auto contents = ContentsForUpdate(path, reason);
    if (!contents) return reason;
    return WriteFileAtomically(path, ProfileWithEntries(*contents, entries));
}

}  // namespace velmora
