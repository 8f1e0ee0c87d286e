#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace wendral {

// A block of the stores' size, zero-filled, whose pages cost nothing until first touched and
// which the kernel may back with large pages: a 9 MB store is then a handful of page faults
// instead of some two thousand, a good part of the time an open and a save take.
struct LargeBufferRelease {
    std::size_t bytes = 0;
    void operator()(std::uint8_t* p) const noexcept;
};
using LargeBuffer = std::unique_ptr<std::uint8_t[], LargeBufferRelease>;

// Throws std::bad_alloc when the memory cannot be had.
LargeBuffer ZeroedLargeBuffer(std::size_t bytes);

// Asks for large pages under memory not touched yet, such as a vector's reserved block: a
// hint that costs a few page faults instead of thousands where it is taken.
void AdviseLargePages(void* p, std::size_t bytes) noexcept;

}  // namespace wendral
