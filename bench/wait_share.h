#pragma once

#include <benchmark/benchmark.h>

#include <ctime>

#include "platform/fake_sleeper.h"

// The CPU time a run takes beside the time it spends waiting as the protocol and the settle
// rules require, on a virtual clock: cpu_per_wait_pct is the first as a percentage of the
// second. The CPU time is the calling thread's (ours and the simulator's together, so an upper
// bound of our own share).
namespace bench_support {

inline double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `once` each iteration (false stops the benchmark with an error) and sets the counters
// waits_s, cpu_ms and cpu_per_wait_pct.
template <typename Run>
void measure_beside_waits(benchmark::State& state, platform::CFakeSleeper& sleeper, Run once) {
    double cpu = 0;
    double waited = 0;
    for (auto _ : state) {
        sleeper.clear();
        const double start = thread_cpu_seconds();
        const bool done = once();
        cpu += thread_cpu_seconds() - start;
        waited += double(sleeper.total_ms()) / 1000.0;
        if (!done) {
            state.SkipWithError("operation failed");
            break;
        }
    }
    const double n = double(state.iterations());
    state.counters["waits_s"] = n > 0 ? waited / n : 0.0;
    state.counters["cpu_ms"] = n > 0 ? 1000.0 * cpu / n : 0.0;
    state.counters["cpu_per_wait_pct"] = waited > 0 ? 100.0 * cpu / waited : 0.0;
}

}  // namespace bench_support
