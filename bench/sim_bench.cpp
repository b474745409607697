#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "platform/sim_backend.h"

namespace {

// One paged get through the simulated backend: framing, the monitor, and the check of the
// state file that every transfer makes.
void simulated_paged_get(benchmark::State& state) {
    QTemporaryDir dir;
    sim::CSimConfig config = sim::CSimConfig::default_set();
    config.state_file = dir.path() + QStringLiteral("/state.json");
    platform::CAccessLibrary library;
    library.add_backend(std::make_unique<platform::CSimBackend>(config));
    library.EnumerateInterfaces(1, 3);
    const std::uint8_t request[6] = {0x51, 0x83, 0xC6,
                                     0x02, 0xB3, 0x6E ^ 0x51 ^ 0x83 ^ 0xC6 ^ 0x02 ^ 0xB3};
    std::uint8_t reply[12] = {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(library.I2C_WRITE(1, 0x6E, request, 6, 10000));
        benchmark::DoNotOptimize(library.I2C_READ(1, 0x6F, reply, 12, 10000));
    }
}
BENCHMARK(simulated_paged_get);

}  // namespace

BENCHMARK_MAIN();
