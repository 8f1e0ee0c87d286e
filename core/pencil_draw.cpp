// The pencil's strokes run diagonally, so in the bottom-up rows of the stores every step of a
// stroke lands in another cache line, and a busy full-size picture takes some 280 million such
// steps to read and as many to paint. Here the strokes are grouped by the line they run on:
// the picture is copied once per direction into a layout where each such line is contiguous,
// strokes are traced and painted there, and the winner of each pixel (the last stroke to
// paint it) is carried back to the destination at the end. The order of the strokes only
// shows in the tolerance, and whether a stroke runs past 10 steps depends on its first 11
// steps alone, so one short pass over every stroke settles each stroke's tolerance before any
// is traced in full.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/effect_support.h"
#include "core/tonal_effects.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wendral {
namespace {

constexpr int kMaxSteps = 400;
// A stroke longer than this many steps makes the tolerance fall.
constexpr int kShortStroke = 10;

// One pixel in four bytes, blue lowest, the fourth byte 0, so that four pixels fill a vector.
using Packed = std::uint32_t;

Packed PackAt(const std::uint8_t* p) {
    return Packed{p[0]} | Packed{p[1]} << 8 | Packed{p[2]} << 16;
}

// Picture coordinates x, y (y from the top) go to store coordinates x, r (r from the bottom
// row). A line family is the set of parallel lines one stroke direction runs on, described in
// x', r where x' is x or, for the mirrored families, W - 1 - x: one step along the line moves
// x' by `a` and r by `b`, both positive. Shapes (1, 1), (2, 1) and (1, 2), each plain and
// mirrored, cover all sixteen directions. The steps of a stroke (1 or 2 of these primitive
// steps, forwards or backwards) then move along contiguous memory.
struct LineSpan {
    std::ptrdiff_t start;   // offset of position t = 0 (not necessarily inside the line)
    std::ptrdiff_t pixel0;  // store pixel index of position t = 0, likewise
    int lo, hi;             // positions inside the picture, lo > hi for none
};

// Room before and after the copy: vector loads may run up to 7 pixels past a line's end.
constexpr std::ptrdiff_t kPad = 8;

class LineFamily {
  public:
    LineFamily(int w, int h, int a, int b, bool mirrored)
        : w_(w), h_(h), a_(a), b_(b), mirrored_(mirrored) {
        uMin_ = b_ == 1 ? -a_ * (h_ - 1) : -(h_ - 1);
        const int uMax = b_ == 1 ? w_ - 1 : 2 * (w_ - 1);
        // One position further along a line is this many pixels further in the store.
        slope_ = b_ == 1 ? w_ + (mirrored_ ? -a_ : a_) : 2 * w_ + (mirrored_ ? -1 : 1);
        spans_.resize(static_cast<std::size_t>(uMax - uMin_ + 1));
        std::ptrdiff_t base = kPad;
        for (int u = uMin_; u <= uMax; ++u) {
            LineSpan& s = spans_[static_cast<std::size_t>(u - uMin_)];
            // Positions are r for the shapes with b = 1 and x' for (1, 2).
            if (b_ == 1) {
                s.lo = std::max(0, CeilDiv(-u, a_));
                s.hi = std::min(h_ - 1, FloorDiv(w_ - 1 - u, a_));
                s.pixel0 = mirrored_ ? w_ - 1 - u : u;
            } else {
                s.lo = std::max(0, CeilDiv(u, 2));
                s.hi = std::min(w_ - 1, FloorDiv(h_ - 1 + u, 2));
                s.pixel0 = -static_cast<std::ptrdiff_t>(u) * w_ + (mirrored_ ? w_ - 1 : 0);
            }
            s.start = base - s.lo;
            starts_.push_back(s.start);
            begins_.push_back(base);
            if (s.hi >= s.lo) base += s.hi - s.lo + 1;
        }
        begins_.push_back(base);
        const std::ptrdiff_t pixels = base - kPad;
        for (int i = 0; i <= kUnits; ++i)
            cuts_[static_cast<std::size_t>(i)] = static_cast<int>(
                std::lower_bound(begins_.begin(), begins_.end(), kPad + pixels * i / kUnits) -
                begins_.begin());
    }

    // The lines in runs of about equal pixel counts, which the cores share out: unit i is
    // lines Cut(i) ... Cut(i + 1) - 1, at copy offsets Begin(Cut(i)) ... Begin(Cut(i + 1)) - 1.
    static constexpr int kUnits = 256;
    int Cut(int unit) const { return cuts_[static_cast<std::size_t>(unit)]; }
    std::ptrdiff_t Begin(int line) const { return begins_[static_cast<std::size_t>(line)]; }

    // The offset in the copy of store pixel (x, r). The family of a stroke is as good as
    // random, so its shape is applied by masks rather than branches.
    std::ptrdiff_t At(int x, int r) const {
        const int xp = (x ^ flip_) + flipEnd_;
        const int t = (xp & tFromX_) | (r & ~tFromX_);
        return *StartOf(x, r) + t;
    }
    // Where At finds the offset of its line's position 0.
    const std::ptrdiff_t* StartOf(int x, int r) const {
        const int xp = (x ^ flip_) + flipEnd_;
        return &starts_[static_cast<std::size_t>(b_ * xp - a_ * r - uMin_)];
    }

    // Calls visit(line offset, store pixel index) for every pixel of lines from ... to - 1, in
    // tiles of neighbouring lines and positions small enough that both sides stay in the
    // first-level cache.
    template <typename Visit>
    void ForEachPixel(int from, int to, Visit visit) const {
        constexpr int kTile = 32;
        for (int first = from; first < to; first += kTile) {
            const int last = std::min(to, first + kTile);
            int tLo = h_ + w_, tHi = -1;
            for (int i = first; i < last; ++i) {
                tLo = std::min(tLo, spans_[static_cast<std::size_t>(i)].lo);
                tHi = std::max(tHi, spans_[static_cast<std::size_t>(i)].hi);
            }
            for (int t0 = tLo; t0 <= tHi; t0 += kTile)
                for (int i = first; i < last; ++i) {
                    const LineSpan& s = spans_[static_cast<std::size_t>(i)];
                    const int from = std::max(s.lo, t0), to = std::min(s.hi, t0 + kTile - 1);
                    std::ptrdiff_t at = s.start + from;
                    std::ptrdiff_t pixel = s.pixel0 + static_cast<std::ptrdiff_t>(from) * slope_;
                    for (int t = from; t <= to; ++t, ++at, pixel += slope_)
                        visit(at, static_cast<std::size_t>(pixel));
                }
        }
    }

  private:
    static int FloorDiv(int n, int d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
    static int CeilDiv(int n, int d) { return -FloorDiv(-n, d); }

    int w_, h_, a_, b_;
    bool mirrored_;
    int uMin_ = 0;
    std::ptrdiff_t slope_ = 0;
    std::vector<LineSpan> spans_;
    std::vector<std::ptrdiff_t> starts_;
    std::vector<std::ptrdiff_t> begins_;  // copy offset of each line's first pixel, and the end
    std::array<int, kUnits + 1> cuts_;
    // x' = (x ^ flip_) + flipEnd_, which is W - 1 - x when mirrored; the position is x' where
    // tFromX_ is all ones, else r.
    int flip_ = mirrored_ ? -1 : 0, flipEnd_ = mirrored_ ? w_ : 0, tFromX_ = b_ == 2 ? -1 : 0;
};

constexpr int kFamilies = 6;

struct Direction {
    int family;
    int step;  // along the line: 1 or 2 positions, negative backwards
};

// Family f is shape f / 2, mirrored when f is odd.
constexpr int kShapeA[3] = {1, 2, 1};
constexpr int kShapeB[3] = {1, 1, 2};

Direction DirectionOf(int dx, int dy) {
    const int dr = -dy;
    const int g = (dx == dr || dx == -dr) ? (dx < 0 ? -dx : dx) : 1;
    int p = dx / g, q = dr / g, s = g;
    if (q < 0) {
        p = -p;
        q = -q;
        s = -s;
    }
    const int ap = p < 0 ? -p : p;
    const int shape = ap == q ? 0 : (ap == 2 ? 1 : 2);
    return Direction{2 * shape + (p < 0 ? 1 : 0), s};
}

// Indexed by (dy + 2) * 5 + (dx + 2) for the picture steps dx, dy in -2, -1, 1, 2.
struct DirectionTable {
    Direction at[25];
    // The start pixel's channel sum and range give dy and dx, tabled as their parts of the index.
    std::uint8_t bySum[3 * 255 + 1], byRange[256];
    DirectionTable() {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (dx != 0 && dy != 0) at[(dy + 2) * 5 + dx + 2] = DirectionOf(dx, dy);
        for (int sum = 0; sum <= 3 * 255; ++sum) {
            const int dy = sum <= 240 ? -2 : sum <= 384 ? -1 : sum <= 528 ? 1 : 2;
            bySum[sum] = static_cast<std::uint8_t>((dy + 2) * 5);
        }
        for (int range = 0; range < 256; ++range) {
            const int dx = range <= 15 ? -2 : range <= 31 ? -1 : range <= 47 ? 1 : 2;
            byRange[range] = static_cast<std::uint8_t>(dx + 2);
        }
    }
};

// One stroke between the passes, packed in 64 bits: its number (22 bits), its length limit
// (steps before the trace would leave the picture, at most 400: 9 bits), its direction (index
// into DirectionTable: 5 bits) and its start as an offset in its family's copy (22 bits).
// A full-size picture has 3,145,728 strokes and a copy of 3,145,744 pixels, both below 2^22.
static_assert(std::size_t{kMaxWidth} * kMaxHeight + 2 * kPad < (std::size_t{1} << 22));
struct Stroke {
    std::uint64_t bits;

    static Stroke Make(std::uint32_t k, int limit, int dir, std::uint32_t at) {
        return Stroke{std::uint64_t{k} << 36 | std::uint64_t(limit) << 27 |
                      std::uint64_t(dir) << 22 | at};
    }
    std::uint32_t Number() const { return static_cast<std::uint32_t>(bits >> 36); }
    int Limit() const { return static_cast<int>(bits >> 27) & 0x1FF; }
    int Dir() const { return static_cast<int>(bits >> 22) & 0x1F; }
    std::uint32_t At() const { return static_cast<std::uint32_t>(bits) & 0x3FFFFF; }
};

// Pixels at at + kStep * (i ... i + 3), in that order.
#if defined(__SSE2__)
using Group = __m128i;

template <int kStep>
inline Group LoadGroup(const Packed* line, std::ptrdiff_t at, int i) {
    const Packed* p = line + at;
    if constexpr (kStep == 1) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    } else if constexpr (kStep == -1) {
        return _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - i - 3)),
                                 _MM_SHUFFLE(0, 1, 2, 3));
    } else if constexpr (kStep == 2) {
        const __m128 lo =
            _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i)));
        const __m128 hi =
            _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i + 4)));
        return _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
    } else {
        const __m128 far =
            _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 2 * i - 6)));
        const __m128 near =
            _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 2 * i - 2)));
        return _mm_castps_si128(_mm_shuffle_ps(near, far, _MM_SHUFFLE(0, 2, 0, 2)));
    }
}

// The first `count` pixels of the group kept, the rest zero.
inline Group KeepFirst(Group g, int count) {
    alignas(16) static constexpr std::uint32_t kMasks[5][4] = {
        {0, 0, 0, 0}, {~0u, 0, 0, 0}, {~0u, ~0u, 0, 0}, {~0u, ~0u, ~0u, 0}, {~0u, ~0u, ~0u, ~0u}};
    return _mm_and_si128(g, _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks[count])));
}

// Steps taken before the first pixel with a channel more than `tol` from c0, at most `limit`;
// their channel sums go to sums[0 ... 2].
template <int kStep>
int TraceAlong(const Packed* line, std::ptrdiff_t at, int limit, Packed c0, int tol, int sums[3]) {
    const __m128i c = _mm_set1_epi32(static_cast<int>(c0));
    const __m128i t = _mm_set1_epi8(static_cast<char>(tol));
    const __m128i lo = _mm_subs_epu8(c, t), hi = _mm_adds_epu8(c, t);
    const __m128i zero = _mm_setzero_si128();
    // Each 16-bit lane gains at most two pixels a group and a trace has at most 100 groups.
    __m128i acc = zero;
    const auto add = [&](Group g) {
        acc = _mm_add_epi16(acc,
                            _mm_add_epi16(_mm_unpacklo_epi8(g, zero), _mm_unpackhi_epi8(g, zero)));
    };
    const auto passing = [&](Group g) {
        const __m128i bad = _mm_or_si128(_mm_subs_epu8(g, hi), _mm_subs_epu8(lo, g));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bad, zero)));
    };
    // A tolerance that reaches 0 and 255 from every channel lets nothing stop the trace, which
    // in a busy picture is what most of the steps see.
    const int most = std::max({c0 & 0xFF, (c0 >> 8) & 0xFF, (c0 >> 16) & 0xFFu});
    const int least = std::min({c0 & 0xFF, (c0 >> 8) & 0xFF, (c0 >> 16) & 0xFFu});
    const bool open = tol >= most && tol >= 255 - least;
    int i = 1;
    if (open)
        for (; i + 3 <= limit; i += 4) add(LoadGroup<kStep>(line, at, i));
    else
        for (; i + 3 <= limit; i += 4) {
            const Group g = LoadGroup<kStep>(line, at, i);
            if (passing(g) != 0xFFFFu) break;
            add(g);
        }
    int n = i - 1;
    if (i <= limit) {
        const Group g = LoadGroup<kStep>(line, at, i);
        const unsigned failed = ~passing(g) & 0xFFFFu;
        const int passed = std::min(failed ? __builtin_ctz(failed) >> 2 : 4, limit - i + 1);
        add(KeepFirst(g, passed));
        n += passed;
    }
    alignas(16) std::uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    for (int k = 0; k < 3; ++k) sums[k] = lanes[k] + lanes[k + 4];
    return n;
}

int Trace(const Packed* line, std::ptrdiff_t at, int step, int limit, Packed c0, int tol,
          int sums[3]) {
    switch (step) {
        case 1:
            return TraceAlong<1>(line, at, limit, c0, tol, sums);
        case -1:
            return TraceAlong<-1>(line, at, limit, c0, tol, sums);
        case 2:
            return TraceAlong<2>(line, at, limit, c0, tol, sums);
        default:
            return TraceAlong<-2>(line, at, limit, c0, tol, sums);
    }
}

// Marks `count` positions `stride` (1 or 2) apart from `from` on with `mark` where they hold a
// lower one.
void PaintRun(std::uint32_t* painted, std::ptrdiff_t from, int count, int stride,
              std::uint32_t mark) {
    // Marks stay below 2^31, so the signed comparison orders them; with a stride of 2 the odd
    // lanes compare 0, which never wins.
    const int odd = stride == 2 ? 0 : static_cast<int>(mark);
    const __m128i m = _mm_setr_epi32(static_cast<int>(mark), odd, static_cast<int>(mark), odd);
    std::uint32_t* p = painted + from;
    const int span = stride * (count - 1) + 1;
    int i = 0;
    for (; i + 4 <= span; i += 4) {
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i lower = _mm_cmpgt_epi32(m, old);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i),
                         _mm_or_si128(_mm_and_si128(lower, m), _mm_andnot_si128(lower, old)));
    }
    for (; i < span; i += stride) p[i] = std::max(p[i], mark);
}
#else
inline Packed PixelAt(const Packed* line, std::ptrdiff_t at, int step, int i) {
    return line[at + step * i];
}

inline int ChannelSpread(Packed p, Packed c0) {
    int m = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d =
            static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((c0 >> shift) & 0xFF);
        m = std::max(m, d < 0 ? -d : d);
    }
    return m;
}

int Trace(const Packed* line, std::ptrdiff_t at, int step, int limit, Packed c0, int tol,
          int sums[3]) {
    sums[0] = sums[1] = sums[2] = 0;
    int n = 0;
    for (; n < limit; ++n) {
        const Packed p = PixelAt(line, at, step, n + 1);
        if (ChannelSpread(p, c0) > tol) break;
        for (int k = 0; k < 3; ++k) sums[k] += static_cast<int>((p >> (8 * k)) & 0xFF);
    }
    return n;
}
void PaintRun(std::uint32_t* painted, std::ptrdiff_t from, int count, int stride,
              std::uint32_t mark) {
    for (int i = 0; i < count; ++i)
        painted[from + stride * i] = std::max(painted[from + stride * i], mark);
}
#endif

// The largest channel difference from the pixel at p over the 11 steps after it, `step`
// bytes apart in the store, all inside the picture; `room` bytes of the store lie from p on.
int FirstStepsSpread(const std::uint8_t* p, std::ptrdiff_t step, std::ptrdiff_t room) {
    const std::uint8_t* last = p + (kShortStroke + 1) * step;
#if defined(__SSE2__)
    // Four bytes a pixel are read, the fourth ignored, unless that would pass the store's end.
    if (std::max(step, (kShortStroke + 1) * step) + 4 <= room) {
        const auto load = [](const std::uint8_t* q) {
            int v;
            std::memcpy(&v, q, 4);
            return v;
        };
        const int c0 = load(p);
        const __m128i c = _mm_set1_epi32(c0);
        const auto differences = [&](int a, int b, int cc, int d) {
            const __m128i v = _mm_setr_epi32(a, b, cc, d);
            return _mm_or_si128(_mm_subs_epu8(v, c), _mm_subs_epu8(c, v));
        };
        __m128i m =
            differences(load(p + step), load(p + 2 * step), load(p + 3 * step), load(p + 4 * step));
        m = _mm_max_epu8(m, differences(load(p + 5 * step), load(p + 6 * step), load(p + 7 * step),
                                        load(p + 8 * step)));
        m = _mm_max_epu8(m, differences(load(p + 9 * step), load(p + 10 * step), load(last), c0));
        m = _mm_and_si128(m, _mm_set1_epi32(0x00FFFFFF));
        m = _mm_max_epu8(m, _mm_srli_si128(m, 8));
        m = _mm_max_epu8(m, _mm_srli_si128(m, 4));
        m = _mm_max_epu8(m, _mm_srli_si128(m, 2));
        m = _mm_max_epu8(m, _mm_srli_si128(m, 1));
        return _mm_cvtsi128_si32(m) & 0xFF;
    }
#endif
    (void)room;
    int m = 0;
    for (const std::uint8_t* q = p + step;; q += step) {
        m = std::max({m, std::abs(q[0] - p[0]), std::abs(q[1] - p[1]), std::abs(q[2] - p[2])});
        if (q == last) return m;
    }
}

// Working memory of one drawing, left uninitialised where every element is written before use.
// The allocator keeps blocks this size for the next drawing, which saves the kernel clearing
// some 100 MB of fresh pages each time.
template <typename T>
class Block {
  public:
    Block() = default;
    explicit Block(std::size_t n) : items_(new T[n]) {}
    T* get() const { return items_.get(); }
    T& operator[](std::size_t i) const { return items_[i]; }

  private:
    std::unique_ptr<T[]> items_;
};

const DirectionTable& Directions() {
    static const DirectionTable table;
    return table;
}

// The buckets of SortAlongLines: a family's strokes by the block of 1,024 copy offsets they
// start in.
constexpr int kBucketShift = 10;

struct BucketOf {
    std::size_t perFamily;
    const DirectionTable& directions = Directions();
    explicit BucketOf(std::size_t lineSize) : perFamily((lineSize >> kBucketShift) + 1) {}
    std::size_t Count() const { return kFamilies * perFamily + 1; }
    std::size_t operator()(Stroke s) const {
        return static_cast<std::size_t>(directions.at[s.Dir()].family) * perFamily +
               (s.At() >> kBucketShift);
    }
};

// Steps a stroke from store pixel (x, r) can take in each direction before it leaves the
// picture, capped at kMaxSteps; worked out by masks, as the direction is as good as random.
class Reach {
  public:
    Reach(int w, int h) {
        for (int dir = 0; dir < 25; ++dir) {
            const int dx = dir % 5 - 2, dr = 2 - dir / 5;
            axes_[static_cast<std::size_t>(dir)] = Axes{Axis(dx, w), Axis(dr, h)};
        }
    }
    int Limit(int dir, int x, int r) const {
        const Axes& a = axes_[static_cast<std::size_t>(dir)];
        return std::min({kMaxSteps, a.x(x), a.r(r)});
    }

  private:
    // Towards the far end the room is ~v + size, which is size - 1 - v; towards 0 it is v
    // itself; a step of 2 halves it.
    struct Axis {
        int flip = 0, end = 0, shift = 0;
        Axis() = default;
        Axis(int step, int size)
            : flip(step > 0 ? -1 : 0), end(step > 0 ? size : 0), shift(step == 2 || step == -2) {}
        int operator()(int v) const { return ((v ^ flip) + end) >> shift; }
    };
    struct Axes {
        Axis x, r;
    };
    std::array<Axes, 25> axes_;
};

// A stroke depends on nothing but its start pixel until the tolerance comes in, so that part
// is worked out once per pixel, in row order and in bands on every core: its direction (index
// into DirectionTable) in the low 5 bits and above them the largest channel difference over
// its first 11 steps, which is all that decides whether it runs past 10, or kNeverLonger when
// it cannot.
constexpr int kSpreadShift = 5;
constexpr std::uint32_t kNeverLonger = 0x1FF;
static_assert(kNeverLonger << kSpreadShift <= 0xFFFF, "an entry fits 16 bits");

void PrepareStarts(const std::uint8_t* restore, int w, int h, const Reach& reach,
                   std::uint16_t* byPixel) {
    const DirectionTable& directions = Directions();
    const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(w);
    ForEachRowBand(h, w, [&](int first, int end) {
        for (int r0 = first; r0 < end; ++r0)
            for (int x0 = 0; x0 < w; ++x0) {
                const std::ptrdiff_t pixel = static_cast<std::ptrdiff_t>(r0) * w + x0;
                const std::uint8_t* p = restore + 3 * pixel;
                const int b0 = p[0], g0 = p[1], red0 = p[2];
                const int dir =
                    directions.bySum[b0 + g0 + red0] +
                    directions.byRange[std::max({b0, g0, red0}) - std::min({b0, g0, red0})];
                std::uint32_t most = kNeverLonger;
                if (reach.Limit(dir, x0, r0) > kShortStroke) {
                    const int dx = dir % 5 - 2, dy = dir / 5 - 2;
                    const std::ptrdiff_t left =
                        static_cast<std::ptrdiff_t>(kStoreBytes) - 3 * pixel;
                    most = static_cast<std::uint32_t>(
                        FirstStepsSpread(p, 3 * dx - dy * rowBytes, left));
                }
                byPixel[pixel] = static_cast<std::uint16_t>(most << kSpreadShift | dir);
            }
    });
}

// Draws the strokes' starts and works out each stroke but its tolerance, in bands of strokes
// on every core, each band's generator skipped to its first draw; leaves the generator where
// the last stroke leaves it. A stroke's spread goes to spread[k] for SettleTolerances. The
// start pixels are random, so they are drawn kRing strokes ahead and their entries fetched
// then, and kNear strokes ahead the line start that each entry leads to.
void PlaceStrokes(Random15& random, int w, int h, const std::uint16_t* byPixel, const Reach& reach,
                  const LineFamily* families, Stroke* out, std::uint16_t* spread) {
    const DirectionTable& directions = Directions();
    struct Start {
        int x, r;
        std::size_t Pixel(int w) const {
            return static_cast<std::size_t>(r) * static_cast<std::size_t>(w) +
                   static_cast<std::size_t>(x);
        }
    };
    constexpr std::size_t kRing = 64, kNear = 16;
    ForEachRowBand(h, w, [&](int first, int end) {
        const std::size_t from = static_cast<std::size_t>(first) * static_cast<std::size_t>(w);
        const std::size_t to = static_cast<std::size_t>(end) * static_cast<std::size_t>(w);
        Random15 generator = random;
        generator.Skip(2 * from);
        std::array<Start, kRing> ring;
        const auto draw = [&](std::size_t k) {
            int r1, r2;
            generator.NextPair(r1, r2);
            Start& start = ring[k % kRing];
            start = Start{(r1 * w) >> 15, h - 1 - ((r2 * h) >> 15)};
            __builtin_prefetch(&byPixel[start.Pixel(w)]);
        };
        for (std::size_t k = from; k < std::min(to, from + kRing); ++k) draw(k);
        for (std::size_t k = from; k < to; ++k) {
            if (k + kNear < to) {
                const Start near = ring[(k + kNear) % kRing];
                const int dir = byPixel[near.Pixel(w)] & 0x1F;
                __builtin_prefetch(families[directions.at[dir].family].StartOf(near.x, near.r));
            }
            const Start start = ring[k % kRing];
            if (k + kRing < to) draw(k + kRing);
            const std::uint32_t entry = byPixel[start.Pixel(w)];
            spread[k] = static_cast<std::uint16_t>(entry >> kSpreadShift);
            const int dir = static_cast<int>(entry & 0x1F);
            out[k] =
                Stroke::Make(static_cast<std::uint32_t>(k), reach.Limit(dir, start.x, start.r), dir,
                             static_cast<std::uint32_t>(
                                 families[directions.at[dir].family].At(start.x, start.r)));
        }
    });
    random.Skip(2 * static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h));
}

// Settles each stroke's tolerance (capped at 255, which every difference passes) into the top
// byte of its colour entry, in stroke order, and counts the strokes of each bucket of
// SortAlongLines in each half of the strokes: halfCount[h * buckets + b].
void SettleTolerances(const std::uint16_t* spread, const Stroke* strokes, std::size_t count,
                      std::uint32_t* colour, const BucketOf& bucketOf,
                      std::vector<std::size_t>& halfCount) {
    std::fill(halfCount.begin(), halfCount.end(), 0);
    const std::size_t buckets = bucketOf.Count() - 1;
    int tolerance = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t most = spread[k];
        // Half the strokes go each way, so the choice is made of sign bits, which the compiler
        // cannot turn back into a branch: most <= tolerance, most is not kNeverLonger (which
        // is all ones) and tolerance > 0.
        const std::uint32_t within =
            static_cast<std::uint32_t>(static_cast<int>(most) - tolerance - 1) >> 31;
        const std::uint32_t measured = ((most + 1) >> 9) ^ 1u;
        static_assert(kNeverLonger + 1 == 1u << 9);
        const std::uint32_t positive = static_cast<std::uint32_t>(-tolerance) >> 31;
        colour[k] = static_cast<std::uint32_t>(std::min(tolerance, 255)) << 24;
        tolerance += 1 - 2 * static_cast<int>(within & measured & positive);
        ++halfCount[(k >= count / 2 ? buckets : 0) + bucketOf(strokes[k])];
    }
}

// Sorts the strokes by family and by where they start along its lines, so that tracing and
// painting sweep through the copy instead of jumping about; gives where each family begins
// and bucketStart, where each bucket does. The two halves of the strokes are moved at once,
// each to its own part of every bucket, as the order within a bucket is free.
std::array<std::size_t, kFamilies + 1> SortAlongLines(Block<Stroke>& strokes, Block<Stroke>& sorted,
                                                      std::size_t count, const BucketOf& bucketOf,
                                                      const std::vector<std::size_t>& halfCount,
                                                      std::vector<std::size_t>& bucketStart,
                                                      std::vector<std::size_t>& next) {
    const std::size_t buckets = bucketOf.Count() - 1;
    std::size_t end = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
        bucketStart[b] = next[b] = end;
        end += halfCount[b];
        next[buckets + b] = end;
        end += halfCount[buckets + b];
    }
    bucketStart[buckets] = end;
    // Each half is moved by the band that holds its first row; bands have at least
    // kMinBandRows rows, so two can run at once.
    constexpr int kHalfRows = parallel_detail::kMinBandRows;
    ForEachRowBand(2 * kHalfRows, 1 << 20, [&](int first, int last) {
        for (int half = 0; half < 2; ++half) {
            if (first > half * kHalfRows || last <= half * kHalfRows) continue;
            std::size_t* cursor = &next[half == 0 ? 0 : buckets];
            for (std::size_t j = half == 0 ? 0 : count / 2; j < (half == 0 ? count / 2 : count);
                 ++j)
                sorted[cursor[bucketOf(strokes[j])]++] = strokes[j];
        }
    });
    std::swap(strokes, sorted);
    std::array<std::size_t, kFamilies + 1> familyStart;
    for (int f = 0; f <= kFamilies; ++f)
        familyStart[f] = bucketStart[static_cast<std::size_t>(f) * bucketOf.perFamily];
    return familyStart;
}

// A stroke's mean channel is its sum times floor(2^32 / n) + 1, shifted down 32 bits. That
// factor exceeds 2^32 / n by at most 1, so the product exceeds sum / n by at most sum / 2^32,
// which for sums below 2^17 (at most 400 steps of 255) and n below 2^15 is less than 1 / n:
// too little to carry the quotient past the next whole number. Three divisions a stroke cost
// more than the tracing of its first steps.
struct ReciprocalTable {
    std::uint64_t of[kMaxSteps + 1];
    ReciprocalTable() {
        of[0] = 0;
        for (std::uint64_t n = 1; n <= kMaxSteps; ++n) of[n] = (std::uint64_t{1} << 32) / n + 1;
    }
};
static_assert(std::uint64_t{kMaxSteps} * 255 < (1u << 17) && kMaxSteps < (1u << 15));

const ReciprocalTable& Reciprocals() {
    static const ReciprocalTable table;
    return table;
}

// Traces those of strokes[from ... to - 1], all of one family, that start at copy offsets
// lo ... hi - 1, along `line` with the tolerance in the top byte of each one's colour entry,
// keeps its colour there by stroke number and marks the positions it paints with its number
// plus one. Painting keeps the higher number, which makes the order of the strokes free. Tells
// report(count) now and then how many of them it has traced.
template <typename Report>
void TraceAndPaint(const Packed* line, const Stroke* strokes, std::size_t from, std::size_t to,
                   std::ptrdiff_t lo, std::ptrdiff_t hi, std::uint32_t* colour,
                   std::uint32_t* painted, Report report) {
    const DirectionTable& directions = Directions();
    constexpr std::size_t kAhead = 16;
    constexpr std::size_t kReportEvery = 4096;
    std::size_t done = 0;
    for (std::size_t j = from; j < to; ++j) {
        if (j + kAhead < to) __builtin_prefetch(&colour[strokes[j + kAhead].Number()], 1);
        const Stroke s = strokes[j];
        const std::ptrdiff_t at = s.At();
        // Only the buckets at the ends hold strokes of other lines.
        if (at < lo || at >= hi) continue;
        if (++done % kReportEvery == 0) report(kReportEvery);
        const std::uint32_t k = s.Number();
        const int step = directions.at[s.Dir()].step;
        int sums[3];
        const int n =
            Trace(line, at, step, s.Limit(), line[at], static_cast<int>(colour[k] >> 24), sums);
        if (n == 0) continue;
        const std::uint64_t inverse = Reciprocals().of[n];
        const auto mean = [inverse](int sum) {
            return static_cast<std::uint32_t>((static_cast<std::uint64_t>(sum) * inverse) >> 32);
        };
        colour[k] = mean(sums[0]) | mean(sums[1]) << 8 | mean(sums[2]) << 16;
        const int stride = step < 0 ? -step : step;
        PaintRun(painted, step > 0 ? at : at - stride * (n - 1), n, stride, k + 1);
    }
    report(done % kReportEvery);
}

}  // namespace

struct PencilMemory::Parts {
    int width = 0, height = 0;
    std::size_t pixels = 0, lineSize = 0;
    Block<Stroke> strokes, sorted;
    Block<std::uint16_t> starts, spread;
    Block<Packed> line;
    Block<std::uint32_t> painted, winner, colour;
    std::vector<std::size_t> bucketStart, halfCount, next;
    std::vector<LineFamily> families;
};

PencilMemory::PencilMemory(int width, int height) : parts_(std::make_unique<Parts>()) {
    if (width <= 0 || height <= 0 || width > kMaxWidth || height > kMaxHeight) return;
    Parts& m = *parts_;
    m.width = width;
    m.height = height;
    m.pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    m.lineSize = m.pixels + 2 * kPad;
    m.strokes = Block<Stroke>(m.pixels);
    m.sorted = Block<Stroke>(m.pixels);
    m.starts = Block<std::uint16_t>(m.pixels);
    m.spread = Block<std::uint16_t>(m.pixels);
    m.line = Block<Packed>(m.lineSize);
    m.painted = Block<std::uint32_t>(m.lineSize);
    m.winner = Block<std::uint32_t>(m.pixels);
    m.colour = Block<std::uint32_t>(m.pixels);
    m.bucketStart.resize(BucketOf(m.lineSize).Count());
    m.halfCount.resize(2 * (m.bucketStart.size() - 1));
    m.next.resize(m.halfCount.size());
    m.families.reserve(kFamilies);
    for (int f = 0; f < kFamilies; ++f)
        m.families.emplace_back(width, height, kShapeA[f / 2], kShapeB[f / 2], f % 2 == 1);
}

PencilMemory::~PencilMemory() = default;

void PencilDraw(WendralState& state) {
    PencilMemory memory(state.DestWidth, state.DestHeight);
    PencilDraw(state, memory);
}

void PencilDraw(WendralState& state, PencilMemory& memory) {
    if (!PictureFitsStores(state)) return;
    const int w = state.DestWidth;
    const int h = state.DestHeight;
    const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    PencilMemory::Parts& m = memory.parts();
    if (m.width != w || m.height != h) return;
    const std::uint8_t* restore = state.RestoreStore();
    // The tracing and painting take most of the time; the passes before them get the first 30%.
    const auto report = [&state](double done) {
        if (state.Progress) state.Progress(done);
    };
    constexpr double kBeforeTracing = 0.3;

    const LineFamily* families = m.families.data();
    auto& strokes = m.strokes;
    auto& colour = m.colour;
    const std::size_t lineSize = m.lineSize;
    const BucketOf bucketOf(lineSize);
    const Reach reach(w, h);
    PrepareStarts(restore, w, h, reach, m.starts.get());
    report(0.1);
    PlaceStrokes(state.Random, w, h, m.starts.get(), reach, families, strokes.get(),
                 m.spread.get());
    SettleTolerances(m.spread.get(), strokes.get(), pixels, colour.get(), bucketOf, m.halfCount);
    report(0.2);
    const auto familyStart =
        SortAlongLines(strokes, m.sorted, pixels, bucketOf, m.halfCount, m.bucketStart, m.next);
    report(kBeforeTracing);

    auto& line = m.line;
    std::fill(line.get(), line.get() + kPad, 0);
    std::fill(line.get() + lineSize - kPad, line.get() + lineSize, 0);
    // Cleared by each copy as it goes, which touches every position anyway.
    auto& painted = m.painted;
    // Per pixel, the highest stroke number plus one any family painted there; the first family
    // to paint sets it.
    auto& winner = m.winner;
    bool firstMerge = true;
    // The cores share out each family's lines, which no stroke leaves. The progress is told
    // from the calling thread only, and counts the strokes of every thread.
    std::atomic<std::size_t> traced{0};
    std::size_t toldAt = 0;
    const std::thread::id caller = std::this_thread::get_id();
    const auto tell = [&](std::size_t now) {
        toldAt = now;
        report(kBeforeTracing +
               (1 - kBeforeTracing) * static_cast<double>(now) / static_cast<double>(pixels));
    };
    const auto tracingReport = [&](std::size_t count) {
        const std::size_t now = traced.fetch_add(count, std::memory_order_relaxed) + count;
        constexpr std::size_t kEvery = std::size_t{1} << 16;
        if (std::this_thread::get_id() == caller && now >= toldAt + kEvery) tell(now);
    };
    const int unitPixels = static_cast<int>(pixels / LineFamily::kUnits) + 1;
    for (int f = 0; f < kFamilies; ++f) {
        if (familyStart[f] == familyStart[f + 1]) continue;
        const LineFamily& family = families[f];
        ForEachRowBand(LineFamily::kUnits, unitPixels, [&](int first, int end) {
            family.ForEachPixel(family.Cut(first), family.Cut(end),
                                [&](std::ptrdiff_t at, std::size_t pixel) {
                                    line[at] = PackAt(restore + 3 * pixel);
                                    painted[at] = 0;
                                });
        });
        // Tracing reads a few pixels past a line's end, so the copy is whole before it starts.
        ForEachRowBand(LineFamily::kUnits, unitPixels, [&](int first, int end) {
            const std::ptrdiff_t lo = family.Begin(family.Cut(first));
            const std::ptrdiff_t hi = family.Begin(family.Cut(end));
            if (lo == hi) return;
            const std::size_t bucket = static_cast<std::size_t>(f) * bucketOf.perFamily;
            const std::size_t from =
                m.bucketStart[bucket + (static_cast<std::size_t>(lo) >> kBucketShift)];
            const std::size_t to =
                m.bucketStart[bucket + (static_cast<std::size_t>(hi - 1) >> kBucketShift) + 1];
            TraceAndPaint(line.get(), strokes.get(), from, to, lo, hi, colour.get(), painted.get(),
                          tracingReport);
            if (firstMerge)
                family.ForEachPixel(
                    family.Cut(first), family.Cut(end),
                    [&](std::ptrdiff_t at, std::size_t pixel) { winner[pixel] = painted[at]; });
            else
                family.ForEachPixel(family.Cut(first), family.Cut(end),
                                    [&](std::ptrdiff_t at, std::size_t pixel) {
                                        winner[pixel] = std::max(winner[pixel], painted[at]);
                                    });
        });
        firstMerge = false;
        // The other threads may have taken most of the family.
        tell(traced.load(std::memory_order_relaxed));
    }

    std::uint8_t* dest = state.DestinationStore();
    ForEachRowBand(h, w, [&](int first, int end) {
        for (std::size_t i = static_cast<std::size_t>(first) * static_cast<std::size_t>(w);
             i < static_cast<std::size_t>(end) * static_cast<std::size_t>(w); ++i) {
            if (winner[i] == 0) continue;
            const std::uint32_t c = colour[winner[i] - 1];
            dest[3 * i] = static_cast<std::uint8_t>(c);
            dest[3 * i + 1] = static_cast<std::uint8_t>(c >> 8);
            dest[3 * i + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    });
    report(1);
}

}  // namespace wendral
