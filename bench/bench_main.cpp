// Times each operation against a memcpy of the 9,437,184-byte store measured in the same run,
// and prints every median with its ratio to that memcpy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

void BM_Memcpy(benchmark::State& st) {
    std::vector<std::uint8_t> a(wendral::kStoreBytes, 1), b(wendral::kStoreBytes, 2);
    for (auto _ : st) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// Collects the median of every benchmark, then prints the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
            const double ms = r.GetAdjustedRealTime() *
                              benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                              benchmark::GetTimeUnitMultiplier(r.time_unit);
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            if (order_.find(name) == order_.end()) names_.push_back(name);
            order_[name] = ms;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto base = order_.find("BM_Memcpy");
        if (base == order_.end() || base->second <= 0) return;
        // The runs of one operation that differ only in their thread count share a line: one
        // thread on the left, the whole pool on the right. An operation without a count runs
        // on one thread.
        std::vector<std::string> operations;
        std::map<std::string, std::pair<double, double>> cells;
        for (const std::string& n : names_) {
            const std::size_t at = n.rfind("/threads:");
            const std::string operation = at == std::string::npos ? n : n.substr(0, at);
            const bool one = at == std::string::npos || n.substr(at + 9) == "1";
            if (cells.find(operation) == cells.end()) {
                operations.push_back(operation);
                cells[operation] = {-1, -1};
            }
            (one ? cells[operation].first : cells[operation].second) = order_[n];
        }
        const std::string all = std::to_string(wendral::ThreadCount()) + " threads";
        std::printf("\n%-48s %12s %9s %12s %9s\n", "operation", "1 thread ms", "x memcpy",
                    (all + " ms").c_str(), "x memcpy");
        for (const std::string& o : operations) {
            std::printf("%-48s", o.c_str());
            for (const double ms : {cells[o].first, cells[o].second}) {
                if (ms < 0)
                    std::printf(" %12s %9s", "-", "-");
                else
                    std::printf(" %12.3f %9.2f", ms, ms / base->second);
            }
            std::printf("\n");
        }
    }

  private:
    std::vector<std::string> names_;
    std::map<std::string, double> order_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=5";
    std::string aggr = "--benchmark_report_aggregates_only=true";
    args.push_back(reps.data());
    args.push_back(aggr.data());
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
