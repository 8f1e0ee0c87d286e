#include "core/large_buffer.h"

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
#if defined(MADV_HUGEPAGE)
    madvise(p, bytes, MADV_HUGEPAGE);  // a hint: where it is refused, small pages serve
#endif
    return LargeBuffer(static_cast<std::uint8_t*>(p), LargeBufferRelease{bytes});
}

#else

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
