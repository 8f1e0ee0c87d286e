// Any input either decodes to a well-formed bitmap or fails with a text; a 24-bit result
// survives our own writer and reader unchanged.
#include "io/codec.h"
#include "tests/fuzz/fuzz_codec_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const wendral::DecodedPicture d = wendral::DecodePcx(data, size);
    wendral::fuzz::CheckDecoded(d, wendral::EncodePcx, wendral::DecodePcx);
    return 0;
}
