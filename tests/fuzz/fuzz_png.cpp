#include <cstddef>
#include <cstdint>

#include "io/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const wendral::DecodedPicture decoded = wendral::DecodePng(data, size);
    // Exactly one of a picture and an error text.
    if (decoded.picture.empty() == decoded.error.empty()) __builtin_trap();
    return 0;
}
