#pragma once
#include <cstddef>

namespace velmora {

// Zeroed memory for large working buffers, aligned to and sized in whole 2 MB
// pages and advised as huge pages throughout. A buffer taken from the general
// allocator is not so aligned, and the ordinary pages at its ends (up to 4 MB)
// can cost more to fault in than all the rest: on some virtual machines every
// first touch of an ordinary page takes tens of microseconds.
class HugePageBuffer {
public:
    HugePageBuffer() = default;
    explicit HugePageBuffer(std::size_t bytes);  // throws std::bad_alloc
    ~HugePageBuffer();
    HugePageBuffer(HugePageBuffer&& other) noexcept;
    HugePageBuffer& operator=(HugePageBuffer&& other) noexcept;
    HugePageBuffer(const HugePageBuffer&) = delete;
    HugePageBuffer& operator=(const HugePageBuffer&) = delete;

    void* data() const { return data_; }
    std::size_t size() const { return size_; }  // at least the size asked for

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace velmora
