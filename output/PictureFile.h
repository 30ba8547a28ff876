#pragma once
#include <string>

namespace velmora {

// The file a picture saved under the name box's text goes to: the text itself
// when it ends in ".bmp" in any case, otherwise the text with ".bmp" appended.
std::string PictureFileName(const std::string& text);

}  // namespace velmora
