#pragma once
#include <string>

namespace velmora {

// The file a picture saved under the name box's text goes to: the text itself
// when it ends in ".bmp" in any case, otherwise the text with ".bmp" appended.
std::string PictureFileName(const std::string& text);

enum class PictureFormat { None, Png, Bmp, Jpeg };

// The format a picture saved as `path` is written in, by the extension of its
// file name in any case: PNG for ".png" and for a name without extension, BMP
// for ".bmp", JPEG for ".jpg" and ".jpeg"; None for any other extension.
PictureFormat PictureFormatFor(const std::string& path);

}  // namespace velmora
