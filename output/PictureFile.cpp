#include "output/PictureFile.h"

#include <algorithm>
#include <cctype>

namespace velmora {

std::string PictureFileName(const std::string& text) {
    constexpr std::string_view extension = ".bmp";
    const bool hasExtension =
        text.size() >= extension.size() &&
        std::ranges::equal(std::string_view(text).substr(text.size() - extension.size()), extension,
                           [](char c, char e) { return std::tolower(static_cast<unsigned char>(c)) == e; });
    return hasExtension ? text : text + std::string(extension);
}

}  // namespace velmora
