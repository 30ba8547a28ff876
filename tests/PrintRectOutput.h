#pragma once
#include <ostream>

#include "print/PrintLayout.h"

namespace velmora {

// Shows page rectangles readably in test failures.
inline void PrintTo(const PageRect& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ") " << r.width << " x " << r.height;
}

}  // namespace velmora
