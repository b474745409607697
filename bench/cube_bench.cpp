// Reading a 65 x 65 x 65 ".cube" (274,625 rows, the size colour tools export by default) and
// resampling it to the monitor's 9 x 9 x 9 grid: what `orvale-ctl lut` spends before it talks
// to the monitor.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "ctl/cube_lut.h"

namespace {

std::string cube_65() {
    constexpr int n = 65;
    std::string text = "TITLE \"bench\"\nLUT_3D_SIZE 65\n";
    text.reserve(static_cast<std::size_t>(n) * n * n * 30);
    char line[96];
    for (int b = 0; b < n; ++b)
        for (int g = 0; g < n; ++g)
            for (int r = 0; r < n; ++r) {
                const double x = r / 64.0, y = g / 64.0, z = b / 64.0;
                std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", std::pow(x, 1.1),
                              0.1 * x + 0.9 * y, std::sqrt(z));
                text += line;
            }
    return text;
}

void parse_and_resample_65_cube(benchmark::State& state) {
    const std::string text = cube_65();
    for (auto _ : state) {
        cube::CubeLut lut;
        QString error;
        if (!cube::parse(text, lut, error)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(cube::resample(lut));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(parse_and_resample_65_cube)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
