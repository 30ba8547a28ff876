#pragma once

namespace velmora {

// A printer page, in 1/1440 inch, as the printer reports it.
struct PageSize {
    float width = 0;
    float height = 0;

    bool operator==(const PageSize&) const = default;
};

// Where the canvas picture goes on the page, in 1/1440 inch from the printer's drawing origin.
struct PageRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const PageRect&) const = default;
};

// Places a canvas whose drawing area is canvasWidth x canvasHeight units on a page: left and top margins of
// 1 % of the page's width and height, running to the right edge of the page and down to the height a
// full-page-width copy of the canvas would have. Every value is single precision, as the printer receives it.
PageRect PlaceOnPage(PageSize page, float canvasWidth, float canvasHeight);

}  // namespace velmora
