#include "app/pixel_rows.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

#include "core/cpu_features.h"
#include "core/parallel.h"

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

// Byte i of sixteen widened pixels comes from byte kSpread16[i] of their 48 (the top byte of
// each is then set opaque).
alignas(64) constexpr std::array<std::uint8_t, 64> kSpread16 = [] {
    std::array<std::uint8_t, 64> a{};
    for (int i = 0; i < 64; ++i) a[i] = static_cast<std::uint8_t>(3 * (i / 4) + i % 4 % 3);
    return a;
}();

// One byte permute spreads sixteen pixels over a whole register. The loads and stores are
// masked, which never touches memory outside the mask, so the row's end takes the same path.
WENDRAL_TARGET_AVX512VBMI void WidenRowVbmi(const std::uint8_t* from, std::uint32_t* to,
                                            std::size_t columns) {
    const __m512i order = _mm512_load_si512(kSpread16.data());
    const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xff000000u));
    for (std::size_t x = 0; x < columns; x += 16, from += 48) {
        const std::size_t n = std::min<std::size_t>(16, columns - x);
        const __m512i bgr = _mm512_maskz_loadu_epi8((~0ull) >> (64 - 3 * n), from);
        _mm512_mask_storeu_epi32(
            to + x, static_cast<__mmask16>((1u << n) - 1),
            _mm512_or_si512(_mm512_maskz_permutexvar_epi8(~__mmask64{0}, order, bgr), opaque));
    }
}
#endif

// Where a painter's pixels land when it copies one to one: the image it draws into, the whole
// pixel offset of its origin there, and the part of the image it may change (a window's paint
// may only touch its exposed part, in the image's own coordinates).
struct DirectTarget {
    QImage* image;
    QPoint offset;
    QRegion writable;
};

// An image widened rows can be written into as they are: one pixel a pixel, opaque 0xffRRGGBB
// reading the same in every 32-bit format.
bool TakesRowsStraight(const QImage& image) {
    const QImage::Format f = image.format();
    return !image.isNull() && image.devicePixelRatio() == 1.0 &&
           (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
            f == QImage::Format_ARGB32_Premultiplied);
}

std::optional<DirectTarget> DirectTargetOf(QPainter& p) {
    QPaintEngine* engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return std::nullopt;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    // Writing into an image shared with another would change that one too.
    if (!TakesRowsStraight(*image) || !image->isDetached()) return std::nullopt;
    const QTransform t = p.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::trunc(t.dx()) ||
        t.dy() != std::trunc(t.dy()))
        return std::nullopt;
    if (p.opacity() != 1.0 || p.hasClipping() ||
        (p.compositionMode() != QPainter::CompositionMode_SourceOver &&
         p.compositionMode() != QPainter::CompositionMode_Source))
        return std::nullopt;
    const QRegion clip = engine->systemClip();
    return DirectTarget{image, QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy())),
                        clip.isEmpty() ? QRegion(image->rect()) : clip & image->rect()};
}

}  // namespace

void WidenRow(const std::uint8_t* from, std::uint32_t* to, std::size_t columns,
              InstructionSet set) {
#if defined(WENDRAL_X86_SIMD)
    const InstructionSet usable = InstructionSetUpTo(set);
    if (usable >= InstructionSet::Avx512Vbmi) return WidenRowVbmi(from, to, columns);
    if (usable >= InstructionSet::Ssse3) return WidenRowSsse3(from, to, columns);
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

bool PaintsStraight(QWidget& widget) {
    QBackingStore* store = widget.backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    return device && device->devType() == QInternal::Image && widget.devicePixelRatio() == 1.0 &&
           TakesRowsStraight(*static_cast<QImage*>(device));
}

void PaintRows(QPainter& p, const std::uint8_t* rows, std::ptrdiff_t stride, const QRegion& region,
               QImage& scratch) {
    if (const std::optional<DirectTarget> target = DirectTargetOf(p)) {
        // bits() once, here: it may detach, and the bands must not.
        std::uint8_t* bits = target->image->bits();
        const std::size_t line = static_cast<std::size_t>(target->image->bytesPerLine());
        const QPoint at = target->offset;
        for (const QRect& r : region.translated(at) & target->writable) {
            const std::size_t columns = static_cast<std::size_t>(r.width());
            const std::uint8_t* from = rows + stride * (r.top() - at.y()) + 3 * (r.left() - at.x());
            std::uint8_t* to = bits + line * static_cast<std::size_t>(r.top()) +
                               4 * static_cast<std::size_t>(r.left());
            ForEachRowBand(r.height(), r.width(), [&](int begin, int end) {
                for (int y = begin; y < end; ++y)
                    WidenRow(
                        from + stride * y,
                        reinterpret_cast<std::uint32_t*>(to + line * static_cast<std::size_t>(y)),
                        columns);
            });
        }
        return;
    }
    constexpr int kBand = 32;
    for (const QRect& r : region) {
        if (scratch.width() < r.width() || scratch.height() < kBand ||
            scratch.format() != QImage::Format_RGB32)
            scratch = QImage(std::max(r.width(), scratch.width()), kBand, QImage::Format_RGB32);
        if (scratch.isNull()) return;
        const std::size_t columns = static_cast<std::size_t>(r.width());
        for (int top = r.top(); top <= r.bottom(); top += kBand) {
            const int n = std::min(kBand, r.bottom() + 1 - top);
            for (int y = 0; y < n; ++y)
                WidenRow(rows + stride * (top + y) + 3 * r.left(),
                         reinterpret_cast<std::uint32_t*>(scratch.scanLine(y)), columns);
            p.drawImage(QPoint(r.left(), top), scratch, QRect(0, 0, r.width(), n));
        }
    }
}

}  // namespace wendral::app
