#include "app/pixel_rows.h"

#include <bit>
#include <cstring>

#include "core/cpu_features.h"

namespace wendral::app {
namespace {

// Four pixels are twelve bytes, three words: on a little-endian machine each pixel is a
// byte-aligned slice of them.
void WidenRowPlain(const std::uint8_t* from, std::uint32_t* to, std::size_t columns) {
    std::size_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= columns; x += 4, from += 12) {
            std::uint32_t w[3];
            std::memcpy(w, from, sizeof w);
            to[x] = 0xff000000u | (w[0] & 0xffffffu);
            to[x + 1] = 0xff000000u | (w[0] >> 24) | ((w[1] & 0xffffu) << 8);
            to[x + 2] = 0xff000000u | (w[1] >> 16) | ((w[2] & 0xffu) << 16);
            to[x + 3] = 0xff000000u | (w[2] >> 8);
        }
    }
    for (; x < columns; ++x, from += 3)
        to[x] = 0xff000000u | std::uint32_t{from[2]} << 16 | std::uint32_t{from[1]} << 8 | from[0];
}

#if defined(WENDRAL_X86_SIMD)
// One byte shuffle spreads four pixels over sixteen bytes. A load takes sixteen bytes for the
// twelve it uses, so the loop stops while six pixels remain and the last ones go the plain way.
WENDRAL_TARGET_SSSE3 void WidenRowSsse3(const std::uint8_t* from, std::uint32_t* to,
                                        std::size_t columns) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    std::size_t x = 0;
    for (; x + 8 + 2 <= columns; x += 8, from += 24) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x),
                         _mm_or_si128(_mm_shuffle_epi8(a, spread), opaque));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x + 4),
                         _mm_or_si128(_mm_shuffle_epi8(b, spread), opaque));
    }
    WidenRowPlain(from, to + x, columns - x);
}
#endif

}  // namespace

void WidenRow(const std::uint8_t* from, std::uint32_t* to, std::size_t columns) {
#if defined(WENDRAL_X86_SIMD)
    if (ProcessorInstructionSet() >= InstructionSet::Ssse3) {
        WidenRowSsse3(from, to, columns);
        return;
    }
#endif
    WidenRowPlain(from, to, columns);
}

QImage WidenPart(const std::uint8_t* rows, std::size_t stride, const QRect& area) {
    QImage image(area.size(), QImage::Format_RGB32);
    if (image.isNull()) return image;
    const std::size_t columns = static_cast<std::size_t>(area.width());
    for (int y = 0; y < area.height(); ++y)
        WidenRow(rows + stride * static_cast<std::size_t>(area.top() + y) +
                     3 * static_cast<std::size_t>(area.left()),
                 reinterpret_cast<std::uint32_t*>(image.scanLine(y)), columns);
    return image;
}

}  // namespace wendral::app
