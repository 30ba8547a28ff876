#pragma once
#include <cstddef>

namespace velmora {

// Asks the system to back the whole 2 MB pages inside [data, data + bytes)
// with huge pages, before the buffer is first written: a picture-sized buffer
// then takes a handful of page faults instead of thousands. A hint only;
// nothing changes where the system has no such pages.
void AdviseHugePages(void* data, std::size_t bytes);

}  // namespace velmora
