#pragma once
// Plain per-pixel forms of the destination effects, written from their formulas without any
// table or shortcut. The fast forms in core/ must give exactly these bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/dest_state.h"
#include "pixels.h"

namespace wendral::reference {

// Brightness b, contrast k and gamma G of one channel.
inline int ToneValue(int v, int b, int k, int G) {
    int K;
    if (k > 0)
        K = (k * k) >> 8;
    else
        K = (-(k * k)) >> 8;
    int bend = (v * (v - 255)) >> 8;
    int g = v + (G / 4) + ((G * bend) >> 8);
    int o = ((K * (g + b - 255) + 2032) >> 4) + b - 128;
    return Clamp(o);
}

// Channels in byte order: blue, green, red.
inline void ToneCurve(WendralState& s, const int b[3], const int k[3], int G) {
    for (int y = 0; y < s.DestHeight; ++y)
        for (int x = 0; x < s.DestWidth; ++x) {
            const std::uint8_t* p = Restore(s, x, y);
            SetPixel(s, x, y, ToneValue(p[0], b[0], k[0], G), ToneValue(p[1], b[1], k[1], G),
                     ToneValue(p[2], b[2], k[2], G));
        }
}

inline void Convolve(WendralState& s, const int kernel[9], int divisor, int offset) {
    for (int y = 1; y <= s.DestHeight - 2; ++y)
        for (int x = 1; x <= s.DestWidth - 2; ++x) {
            int out[3];
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = -1; j <= 1; ++j)
                    for (int i = -1; i <= 1; ++i)
                        sum += kernel[(j + 1) * 3 + (i + 1)] * Restore(s, x + i, y + j)[c];
                int value;
                if (divisor != 0)
                    value = sum / divisor + offset;
                else
                    value = sum + offset;
                out[c] = Clamp(value);
            }
            SetPixel(s, x, y, out[0], out[1], out[2]);
        }
}

inline int Luma(int b, int g, int r) {
    double pr = 19.2 * r;
    double pg = 37.76 * g;
    double pb = 7.04 * b;
    int weighted = static_cast<int>(std::trunc(pr)) + static_cast<int>(std::trunc(pg)) +
                   static_cast<int>(std::trunc(pb));
    return weighted >> 6;
}

inline void Luminance(WendralState& s, int mode) {
    for (int y = 0; y < s.DestHeight; ++y)
        for (int x = 0; x < s.DestWidth; ++x) {
            const std::uint8_t* p = Restore(s, x, y);
            int L = Luma(p[0], p[1], p[2]);
            if (mode == 0) {
                SetPixel(s, x, y, L, L, L);
            } else {
                int d = 255 - 2 * L;
                SetPixel(s, x, y, Clamp(p[0] + d), Clamp(p[1] + d), Clamp(p[2] + d));
            }
        }
}

inline void Pencil(WendralState& s) {
    const int W = s.DestWidth, H = s.DestHeight;
    auto inside = [&](int x, int y) { return x >= 0 && x < W && y >= 0 && y < H; };
    int tolerance = 0;
    for (long stroke = 0; stroke < static_cast<long>(W) * H; ++stroke) {
        int r1 = s.Random.Next();
        int x0 = (r1 * W) >> 15;
        int r2 = s.Random.Next();
        int y0 = (r2 * H) >> 15;
        const std::uint8_t* start = Restore(s, x0, y0);
        int B0 = start[0], G0 = start[1], R0 = start[2];
        int S = B0 + G0 + R0;
        int vstep;
        if (S <= 240)
            vstep = -2;
        else if (S <= 384)
            vstep = -1;
        else if (S <= 528)
            vstep = 1;
        else
            vstep = 2;
        int D = std::max({B0, G0, R0}) - std::min({B0, G0, R0});
        int hstep;
        if (D <= 15)
            hstep = -2;
        else if (D <= 31)
            hstep = -1;
        else if (D <= 47)
            hstep = 1;
        else
            hstep = 2;
        int x = x0, y = y0, n = 0, sums[3] = {0, 0, 0};
        while (n < 400) {
            x += hstep;
            y += vstep;
            if (!inside(x, y)) break;
            const std::uint8_t* p = Restore(s, x, y);
            if (std::abs(p[0] - B0) > tolerance || std::abs(p[1] - G0) > tolerance ||
                std::abs(p[2] - R0) > tolerance)
                break;
            for (int c = 0; c < 3; ++c) sums[c] += p[c];
            ++n;
        }
        if (n > 10 && tolerance > 0)
            tolerance -= 1;
        else
            tolerance += 1;
        if (n == 0) continue;
        int colour[3] = {sums[0] / n, sums[1] / n, sums[2] / n};
        x = x0;
        y = y0;
        for (int m = 0; m < n; ++m) {
            SetPixel(s, x, y, colour[0], colour[1], colour[2]);
            x += hstep;
            y += vstep;
            if (!inside(x, y)) break;
        }
    }
}

inline void Special(WendralState& s, int xorShift, int sumShift, int orDrop, int streakRun,
                    int jitter) {
    xorShift &= 0xFF;
    sumShift &= 0xFF;
    orDrop &= 0xFF;
    streakRun &= 0xFF;
    jitter &= 0xFF;
    const int W = s.DestWidth, H = s.DestHeight;
    int i = 0;
    for (int y = 0; y < H; ++y) {
        int k = 0;
        for (int x = 0; x < W; ++x) {
            int ty = y, tx = x;
            const std::uint8_t* p = Restore(s, x, y);
            int B = p[0], G = p[1], R = p[2];
            ty = ty + orDrop * (((B | (G & R)) - 127) >> 5);
            int r = s.Random.Next();
            ty = ty + jitter * ((r & 3) - 1);
            int r2 = s.Random.Next();
            tx = tx + jitter * ((r2 & 3) - 1);
            int X = B ^ G ^ R;
            if (X < 192) tx = tx + xorShift * ((X - 127) >> 2);
            if (ty < 0 || ty > H - 1 || tx < 0 || tx > W - 1) continue;
            tx = tx + sumShift * ((((B + G + R) % 256) - 127) >> 2);
            if (k > streakRun) k = 0;
            if (i > streakRun) i = 0;
            tx = tx + k;
            ty = ty + i;
            if (ty < 0 || ty > H - 1 || tx < 0 || tx > W - 1) continue;
            const std::uint8_t* from = Restore(s, tx, ty);
            SetPixel(s, x, y, from[0], from[1], from[2]);
            k = k + 1;
        }
        i = i + 1;
    }
}

// The rotation's source of pixel (x, y) by `angle` degrees about the picture's centre, read from
// RestoreStore; black where it falls outside the picture.
inline Bgr RotatedPixel(const WendralState& s, int angle, int x, int y) {
    const int w = s.DestWidth, h = s.DestHeight;
    const double theta = (2.0 * angle) * 3.14159 / 360;
    int sx = x, sy = y;
    if (theta != 0) {
        const int dy = y - h / 2, dx = x - w / 2;
        const double phi = std::atan2(dy, dx) - theta;
        const double r = std::sqrt(dx * dx + dy * dy);
        const double fx = std::cos(phi) * r + w / 2, fy = std::sin(phi) * r + h / 2;
        sx = static_cast<int>(fx);
        sy = static_cast<int>(fy);
    }
    if (!(sx >= 0 && sx < w && sy >= 0 && sy < h)) return Bgr{0, 0, 0};
    const std::uint8_t* p = Restore(s, sx, sy);
    return Bgr{p[0], p[1], p[2]};
}

}  // namespace wendral::reference
