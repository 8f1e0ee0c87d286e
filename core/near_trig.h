#pragma once
#include <cmath>
#include <cstdint>

#include "core/cpu_features.h"

namespace wendral {

// Pixel positions come from cos and sin and are then truncated to a column and a row. Almost
// every position lies far from the next whole number, so a value known to within a tiny margin
// already decides the pixel; only the rare position that may lie on either side of a whole
// number, or of the picture's edge, needs the library's own cos and sin to come out as before.

// What trunc(v) is for every v within `margin` of `near`: an index in 0 .. limit - 1, kTruncOff
// when every such v lies outside the picture (v <= -1 or v >= limit), or kTruncUnsure.
inline constexpr int kTruncOff = -1;
inline constexpr int kTruncUnsure = -2;

inline int TruncNear(double near, double margin, int limit) {
    if (!(near == near)) return kTruncUnsure;  // NaN
    const double lo = near - margin, hi = near + margin;
    if (!(hi > -1.0) || !(lo < limit)) return kTruncOff;
    if (!(lo > -1.0 && hi < limit)) return kTruncUnsure;
    const int a = static_cast<int>(lo), b = static_cast<int>(hi);
    return a == b ? a : kTruncUnsure;
}

#if defined(WENDRAL_X86_SIMD)
// TruncNear's rule for two pixels at once, each with a source position (x, y) in a width x
// height picture: `off` lanes where either coordinate decides off, `inside` lanes where both
// decide one index, and there the byte offset of the source pixel in a bottom-up store. A lane
// in neither is unsure. Positions are finite; a caller with NaN lanes masks them out itself.
struct NearSources2 {
    int offMask, insideMask;
    alignas(16) std::int32_t at[4];
};

inline NearSources2 TruncNear2(__m128d vx, __m128d vy, double margin, int width, int height) {
    const __m128d m = _mm_set1_pd(margin), minusOne = _mm_set1_pd(-1.0);
    const __m128d widths = _mm_set1_pd(width), heights = _mm_set1_pd(height);
    const __m128d xlo = _mm_sub_pd(vx, m), xhi = _mm_add_pd(vx, m);
    const __m128d ylo = _mm_sub_pd(vy, m), yhi = _mm_add_pd(vy, m);
    const __m128d off =
        _mm_or_pd(_mm_or_pd(_mm_cmpnlt_pd(minusOne, xhi), _mm_cmpnlt_pd(xlo, widths)),
                  _mm_or_pd(_mm_cmpnlt_pd(minusOne, yhi), _mm_cmpnlt_pd(ylo, heights)));
    const __m128i sx = _mm_cvttpd_epi32(xlo), sy = _mm_cvttpd_epi32(ylo);
    const __m128i same = _mm_and_si128(_mm_cmpeq_epi32(sx, _mm_cvttpd_epi32(xhi)),
                                       _mm_cmpeq_epi32(sy, _mm_cvttpd_epi32(yhi)));
    const __m128d inside =
        _mm_and_pd(_mm_castsi128_pd(_mm_shuffle_epi32(same, _MM_SHUFFLE(1, 1, 0, 0))),
                   _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(xlo, minusOne), _mm_cmplt_pd(xhi, widths)),
                              _mm_and_pd(_mm_cmpgt_pd(ylo, minusOne), _mm_cmplt_pd(yhi, heights))));
    // Exact in double: every product and sum stays below 2^24.
    const __m128d at = _mm_mul_pd(
        _mm_add_pd(_mm_mul_pd(_mm_sub_pd(_mm_set1_pd(height - 1), _mm_cvtepi32_pd(sy)), widths),
                   _mm_cvtepi32_pd(sx)),
        _mm_set1_pd(3.0));
    NearSources2 out;
    out.offMask = _mm_movemask_pd(off);
    out.insideMask = _mm_movemask_pd(inside);
    _mm_store_si128(reinterpret_cast<__m128i*>(out.at), _mm_cvttpd_epi32(at));
    return out;
}
#endif

// sin x and cos x to within kSinCosNearError for |x| <= kSinCosNearLimit: the argument is reduced
// to [-pi/4, pi/4] by a multiple of pi/2 split in two (its first 33 bits times n stay exact for
// every n that range gives), then two Taylor polynomials.
inline constexpr double kSinCosNearLimit = 1.0e5;
inline constexpr double kSinCosNearError = 1.0e-12;

struct SinCos {
    double sin, cos;
};

namespace near_trig_detail {
inline constexpr double kTwoOverPi = 0.63661977236758134308;
inline constexpr double kHalfPiHigh = 1.57079632673412561417e+00;  // 0x3FF921FB54400000
inline constexpr double kHalfPiLow = 6.07710050650619224932e-11;   // pi/2 - kHalfPiHigh
inline constexpr double kS[6] = {-1.0 / 6,     1.0 / 120,       -1.0 / 5040,
                                 1.0 / 362880, -1.0 / 39916800, 1.0 / 6227020800.0};
inline constexpr double kC[6] = {-0.5,        1.0 / 24,       -1.0 / 720,
                                 1.0 / 40320, -1.0 / 3628800, 1.0 / 479001600.0};
}  // namespace near_trig_detail

inline SinCos SinCosNear(double x) {
    using namespace near_trig_detail;
    const double t = x * kTwoOverPi;
    const int n = static_cast<int>(t < 0 ? t - 0.5 : t + 0.5);
    const double dn = n;
    const double r = (x - dn * kHalfPiHigh) - dn * kHalfPiLow;
    const double z = r * r;
    // r^(2k+1) / (2k+1)! and r^(2k) / (2k)! with alternating signs, k up to 6; the first terms
    // left out are below 2e-14 and 4e-13 on [-pi/4, pi/4]. The powers of z go in pairs, which
    // halves the chain of dependent steps.
    const double z2 = z * z;
    const double s =
        r + r * z * ((kS[0] + z * kS[1]) + z2 * ((kS[2] + z * kS[3]) + z2 * (kS[4] + z * kS[5])));
    const double c =
        1.0 + z * ((kC[0] + z * kC[1]) + z2 * ((kC[2] + z * kC[3]) + z2 * (kC[4] + z * kC[5])));
    switch (n & 3) {
        case 0:
            return {s, c};
        case 1:
            return {c, -s};
        case 2:
            return {-s, -c};
        default:
            return {-c, s};
    }
}

#if defined(WENDRAL_X86_SIMD)
// The same for two values at once, operation for operation, so both lanes give SinCosNear's
// bits exactly.
inline void SinCosNear2(__m128d x, __m128d& sinOut, __m128d& cosOut) {
    using namespace near_trig_detail;
    const __m128d t = _mm_mul_pd(x, _mm_set1_pd(kTwoOverPi));
    // t - 0.5 below 0, t + 0.5 from -0 up: the half takes t's sign bit but for -0.
    const __m128d negative = _mm_cmplt_pd(t, _mm_setzero_pd());
    const __m128d half = _mm_or_pd(_mm_set1_pd(0.5), _mm_and_pd(negative, _mm_set1_pd(-0.0)));
    const __m128i n = _mm_cvttpd_epi32(_mm_add_pd(t, half));
    const __m128d dn = _mm_cvtepi32_pd(n);
    const __m128d r = _mm_sub_pd(_mm_sub_pd(x, _mm_mul_pd(dn, _mm_set1_pd(kHalfPiHigh))),
                                 _mm_mul_pd(dn, _mm_set1_pd(kHalfPiLow)));
    const __m128d z = _mm_mul_pd(r, r);
    const __m128d z2 = _mm_mul_pd(z, z);
    auto pair = [&](const double* k, int i) {
        return _mm_add_pd(_mm_set1_pd(k[i]), _mm_mul_pd(z, _mm_set1_pd(k[i + 1])));
    };
    auto poly = [&](const double* k) {
        return _mm_add_pd(pair(k, 0),
                          _mm_mul_pd(z2, _mm_add_pd(pair(k, 2), _mm_mul_pd(z2, pair(k, 4)))));
    };
    const __m128d s = _mm_add_pd(r, _mm_mul_pd(_mm_mul_pd(r, z), poly(kS)));
    const __m128d c = _mm_add_pd(_mm_set1_pd(1.0), _mm_mul_pd(z, poly(kC)));
    // The quadrant n & 3 of each lane, widened to the lane's 64 bits.
    const __m128i q =
        _mm_and_si128(_mm_shuffle_epi32(n, _MM_SHUFFLE(1, 1, 0, 0)), _mm_set1_epi32(3));
    const __m128d swap =
        _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(q, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
    const __m128d flipSin =
        _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(q, _mm_set1_epi32(2)), _mm_set1_epi32(2)));
    const __m128d flipCos = _mm_castsi128_pd(_mm_cmpeq_epi32(
        _mm_and_si128(_mm_add_epi32(q, _mm_set1_epi32(1)), _mm_set1_epi32(2)), _mm_set1_epi32(2)));
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d sinv = _mm_or_pd(_mm_and_pd(swap, c), _mm_andnot_pd(swap, s));
    const __m128d cosv = _mm_or_pd(_mm_and_pd(swap, s), _mm_andnot_pd(swap, c));
    sinOut = _mm_xor_pd(sinv, _mm_and_pd(flipSin, sign));
    cosOut = _mm_xor_pd(cosv, _mm_and_pd(flipCos, sign));
}
#endif

}  // namespace wendral
