#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "core/verify_files.h"
#include "core/verify_report.h"
#include "core/verify_run.h"

namespace {

// What the dialog computes once every patch is read: the targets of the whole set through an
// sRGB mode, the report and its three files. Must stay well under 50 ms on the GUI thread.
void verification_report(benchmark::State& state) {
    verify::ActiveMode mode;
    const std::int16_t v[16] = {1, 1, 1, 0, 313, 329, 640, 330, 300, 600, 150, 60, 11, 170, 120, 3};
    std::copy(std::begin(v), std::end(v), mode.item.values.begin());
    mode.memory = 1;
    mode.brightness = 120;
    mode.black_level = 3;
    mode.black_limit = 3;
    const auto patches = verify::standard_patches();
    for (auto _ : state) {
        CModeTarget target;
        verify::mode_target(mode, target);
        const auto targets = verify::mode_targets(target, patches);
        std::vector<CCIEXYZ> readings = targets;
        for (std::size_t i = 0; i < readings.size(); ++i)
            readings[i].Z *= 1.0 + 0.001 * double(i % 7);
        const verify::Report report =
            verify::compute_report(patches, targets, readings, verify::Thresholds());
        benchmark::DoNotOptimize(verify::report_html(report).size());
        benchmark::DoNotOptimize(verify::report_csv(report).size());
        benchmark::DoNotOptimize(verify::report_json(report).size());
    }
}
BENCHMARK(verification_report)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
