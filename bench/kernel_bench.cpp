// A synchronisation (every picture-mode memory and the capability string of the KX271W) over
// the simulated backend and over the machine's I2C buses, on the virtual clock: the time our
// side and the kernel interface add beside the protocol's waits. Run through the kernel
// stand-in (orvale-i2c-standin run ROOT kernel_bench) for the second to find its buses.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "color/adjust_value.h"
#include "comm/ddc_monitor.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/i2c_backend.h"
#include "platform/sim_backend.h"
#include "wait_share.h"

namespace {

void synchronise(benchmark::State& state, std::unique_ptr<platform::CAccessBackend> backend,
                 int interface) {
    platform::CFakeSleeper sleeper;
    platform::CScopedSleeper scoped(sleeper);
    platform::CAccessLibrary library;
    library.add_backend(std::move(backend));
    platform::set_access_library(&library);
    if (library.EnumerateInterfaces(1, 3) <= interface) {
        state.SkipWithError("no such interface (run through the kernel stand-in)");
        platform::set_access_library(nullptr);
        return;
    }
    CDDCMonitor monitor;
    monitor.connect_interface(interface);
    bench_support::measure_beside_waits(state, sleeper, [&] {
        CAdjustValue record;
        return monitor.read_picture_memories(record) == 0 && monitor.read_capabilities() >= 0;
    });
    platform::set_access_library(nullptr);
}

void synchronisation_simulated(benchmark::State& state) {
    QTemporaryDir dir;
    sim::CSimConfig config = sim::CSimConfig::default_set();
    config.state_file = dir.path() + QStringLiteral("/state.json");
    // The KX271W's video interface, as the stand-in reaches it.
    synchronise(state, std::make_unique<platform::CSimBackend>(config), 0);
}

void synchronisation_through_i2c_dev(benchmark::State& state) {
    synchronise(state, std::make_unique<platform::CI2cBackend>(), 0);
}

BENCHMARK(synchronisation_simulated)->Unit(benchmark::kMillisecond);
BENCHMARK(synchronisation_through_i2c_dev)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
