#include "output/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace velmora {

namespace {
// `text` equals the lower-case `lower` in any case.
bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    return std::ranges::equal(text, lower,
                              [](char c, char e) { return std::tolower(static_cast<unsigned char>(c)) == e; });
}
}  // namespace

std::string PictureFileName(const std::string& text) {
    constexpr std::string_view extension = ".bmp";
    const bool hasExtension = text.size() >= extension.size() &&
                              EqualsIgnoringCase(std::string_view(text).substr(text.size() - extension.size()), extension);
    return hasExtension ? text : text + std::string(extension);
}

PictureFormat PictureFormatFor(const std::string& path) {
    const std::string_view name = std::string_view(path).substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return PictureFormat::Png;
    const std::string_view extension = name.substr(dot + 1);
    if (EqualsIgnoringCase(extension, "png")) return PictureFormat::Png;
    if (EqualsIgnoringCase(extension, "bmp")) return PictureFormat::Bmp;
    if (EqualsIgnoringCase(extension, "jpg") || EqualsIgnoringCase(extension, "jpeg")) return PictureFormat::Jpeg;
    return PictureFormat::None;
}

}  // namespace velmora
