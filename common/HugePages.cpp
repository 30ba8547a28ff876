#include "common/HugePages.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velmora {

namespace {
constexpr std::size_t kHuge = std::size_t{2} << 20;
}

HugePageBuffer::HugePageBuffer(std::size_t bytes) {
    if (bytes == 0) return;
    if (bytes > SIZE_MAX - 2 * kHuge) throw std::bad_alloc();
    const std::size_t size = (bytes + kHuge - 1) & ~(kHuge - 1);
#if defined(__linux__)
    // Mapped with a huge page to spare, then trimmed to the aligned part.
    void* mapped = ::mmap(nullptr, size + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHuge - 1) & ~(kHuge - 1);
    if (aligned > start) ::munmap(mapped, aligned - start);
    ::munmap(reinterpret_cast<void*>(aligned + size), start + kHuge - aligned);
    data_ = reinterpret_cast<void*>(aligned);
#if defined(MADV_HUGEPAGE)
    // A hint only: without huge pages the buffer works the same.
    ::madvise(data_, size, MADV_HUGEPAGE);
#endif
#else
    data_ = std::aligned_alloc(kHuge, size);
    if (!data_) throw std::bad_alloc();
    std::memset(data_, 0, size);
#endif
    size_ = size;
}

HugePageBuffer::~HugePageBuffer() {
    if (!data_) return;
#if defined(__linux__)
    ::munmap(data_, size_);
#else
    std::free(data_);
#endif
}

HugePageBuffer::HugePageBuffer(HugePageBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

HugePageBuffer& HugePageBuffer::operator=(HugePageBuffer&& other) noexcept {
    if (this != &other) {
        HugePageBuffer gone(std::move(*this));
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

}  // namespace velmora
