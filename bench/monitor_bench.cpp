#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "comm/ddc_monitor.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "wait_share.h"

// The monitor model's long operations against a simulated monitor, on a virtual clock. Beside
// the CPU time each run takes (our code and the simulator's answers together, so an upper
// bound for our own share) stands the time the run spends waiting as the protocol and the
// settle rules require: cpu_per_wait_pct is the first as a percentage of the second.

namespace {

struct Setup {
    platform::CFakeSleeper sleeper;
    platform::CSleeper* previous_sleeper;
    QTemporaryDir dir;
    platform::CAccessLibrary library;
    platform::CAccessLibrary* previous_library;
    CDDCMonitor monitor;

    Setup()
        : previous_sleeper(platform::install_sleeper(&sleeper)),
          previous_library(platform::access_library()) {
        // Five memories, five slots; DisplayPort, so gamma tables go in blocks of four.
        sim::CSimConfig config;
        sim::CSimConfig::parse(R"({"monitors": [{"model": "KX271W", "serial": "71000123",
                                                 "input": "DisplayPort"}]})",
                               QString(), config, nullptr);
        config.state_file = dir.path() + QStringLiteral("/state.json");
        library.add_backend(std::make_unique<platform::CSimBackend>(config));
        library.EnumerateInterfaces(1, 3);
        platform::set_access_library(&library);
        monitor.connect_interface(0);
        monitor.read_capabilities();
    }
    ~Setup() {
        platform::set_access_library(previous_library);
        platform::install_sleeper(previous_sleeper);
    }
};

void run(benchmark::State& state, const std::function<int(CDDCMonitor&)>& operation) {
    Setup setup;
    bench_support::measure_beside_waits(state, setup.sleeper,
                                        [&] { return operation(setup.monitor) == 0; });
}

std::vector<std::int32_t> gamma_table() {
    std::vector<std::int32_t> table(CDDCMonitor::kTableSize);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::int32_t>((i % 256) * 257);
    return table;
}

std::vector<std::int32_t> lut() {
    std::vector<std::int32_t> points(3 * 729);
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<std::int32_t>(i % 1021);
    return points;
}

void write_gamma_table(benchmark::State& state) {
    const std::vector<std::int32_t> table = gamma_table();
    run(state, [&](CDDCMonitor& m) { return m.write_gamma_table(table); });
}

void read_picture_memories(benchmark::State& state) {
    run(state, [](CDDCMonitor& m) {
        CAdjustValue record;
        return m.read_picture_memories(record);
    });
}

void write_lut_to_slot(benchmark::State& state) {
    const std::vector<std::int32_t> points = lut();
    run(state, [&](CDDCMonitor& m) { return m.write_lut_to_slot(3, points); });
}

BENCHMARK(write_gamma_table)->Unit(benchmark::kMillisecond);
BENCHMARK(read_picture_memories)->Unit(benchmark::kMillisecond);
BENCHMARK(write_lut_to_slot)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
