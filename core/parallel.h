#pragma once
#include <algorithm>
#include <type_traits>

namespace wendral {

// How many threads the row bands run on: WENDRAL_THREADS when it holds a whole number of at
// least 1, else one per core.
int ThreadCount();
// From now on n threads (tests and benchmarks compare counts in one process); 0 goes back to
// WENDRAL_THREADS or the cores.
void SetThreadCount(int n);

namespace parallel_detail {
using BandCall = void (*)(void* body, int begin, int end);
// A band takes at least this many rows and, for narrow pictures, enough rows to make this
// many pixels: below that, waking a thread costs more than the band saves.
inline constexpr int kMinBandRows = 32;
inline constexpr long kMinBandPixels = 64 * 1024;
void RunBands(int rows, int rowsPerBand, BandCall call, void* body);
}  // namespace parallel_detail

// Calls band(begin, end) on consecutive ranges of rows covering [0, rows), several at once on
// the thread pool, and returns once all of them have run. No row of a band may read what
// another band writes. rowWidth (pixels a row) decides how few rows make a band worth a thread.
template <class Band>
void ForEachRowBand(int rows, int rowWidth, Band&& band) {
    if (rows <= 0) return;
    const long width = std::max(rowWidth, 1);
    const long forPixels = (parallel_detail::kMinBandPixels + width - 1) / width;
    const int rowsPerBand =
        static_cast<int>(std::max<long>(parallel_detail::kMinBandRows, forPixels));
    if (rows <= rowsPerBand || ThreadCount() == 1) {
        band(0, rows);
        return;
    }
    using Body = std::remove_reference_t<Band>;
    parallel_detail::RunBands(
        rows, rowsPerBand,
        [](void* body, int begin, int end) { (*static_cast<Body*>(body))(begin, end); },
        const_cast<void*>(static_cast<const void*>(&band)));
}

}  // namespace wendral
