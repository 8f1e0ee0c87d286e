#include "core/large_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace wendral {

#if defined(__linux__)

void LargeBufferRelease::operator()(std::uint8_t* p) const noexcept {
    if (p) munmap(p, bytes);
}

LargeBuffer ZeroedLargeBuffer(std::size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    AdviseLargePages(p, bytes);
    return LargeBuffer(static_cast<std::uint8_t*>(p), LargeBufferRelease{bytes});
}

void AdviseLargePages(void* p, std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    // madvise takes whole pages; only the large pages that lie wholly inside can be had anyway.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto from = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t start = (from + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (from + bytes) & ~(kLargePage - 1);
    // A hint: where it is refused, small pages serve.
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

#else

void AdviseLargePages(void*, std::size_t) noexcept {}

void LargeBufferRelease::operator()(std::uint8_t* p) const noexcept {
    std::free(p);
}

LargeBuffer ZeroedLargeBuffer(std::size_t bytes) {
    auto* p = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (!p) throw std::bad_alloc();
    return LargeBuffer(p, LargeBufferRelease{bytes});
}

#endif

}  // namespace wendral
