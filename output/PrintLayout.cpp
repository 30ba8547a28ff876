#include "output/PrintLayout.h"

namespace velmora {

PageRect PlaceOnPage(PageSize page, float canvasWidth, float canvasHeight) {
    const float marginX = page.width / 100.0f;
    const float marginY = page.height / 100.0f;
    const float ratio = canvasWidth / canvasHeight;
    const float fullWidthHeight = page.width / ratio;
    return {marginX, marginY, page.width - marginX, fullWidthHeight - marginY};
}

}  // namespace velmora
