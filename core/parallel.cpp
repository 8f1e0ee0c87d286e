#include "core/parallel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace wendral {
namespace {

std::atomic<int> chosenCount{0};

int EnvironmentCount() {
    static const int count = [] {
        if (const char* text = std::getenv("WENDRAL_THREADS")) {
            char* end = nullptr;
            errno = 0;
            const long n = std::strtol(text, &end, 10);
            if (end != text && *end == '\0' && errno == 0 && n >= 1 && n <= 1024)
                return static_cast<int>(n);
        }
#if defined(_OPENMP)
        return omp_get_num_procs();
#else
        return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
#endif
    }();
    return count;
}

}  // namespace

int ThreadCount() {
    const int chosen = chosenCount.load(std::memory_order_relaxed);
    return chosen > 0 ? chosen : EnvironmentCount();
}

void SetThreadCount(int n) {
    chosenCount.store(n > 0 ? n : 0, std::memory_order_relaxed);
}

namespace parallel_detail {

void RunBands(int rows, int rowsPerBand, BandCall call, void* body) {
    const int threads = ThreadCount();
    // A few bands a thread even out rows that cost more than others (a rotation's corners
    // are black and cheap) without paying for many small hand-overs.
    const int most = 4 * threads;
    int bands = (rows + rowsPerBand - 1) / rowsPerBand;
    if (bands > most) {
        bands = most;
        rowsPerBand = (rows + bands - 1) / bands;
        bands = (rows + rowsPerBand - 1) / rowsPerBand;
    }
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) num_threads(std::min(threads, bands))
#endif
    for (int b = 0; b < bands; ++b)
        call(body, b * rowsPerBand, std::min(rows, (b + 1) * rowsPerBand));
}

}  // namespace parallel_detail
}  // namespace wendral
