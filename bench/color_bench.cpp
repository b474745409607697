#include <benchmark/benchmark.h>

#include "color/color_temperature.h"
#include "color/curve_builders.h"
#include "color/spline.h"

namespace {

// One temperature for the white-point label, recomputed on every spin-box change.
void color_temperature(benchmark::State& state) {
    const double whites[][2] = {
        {0.3127, 0.3290}, {0.3457, 0.3585}, {0.2848, 0.2932}, {0.4476, 0.4074}};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& w = whites[i++ % 4];
        const CColorTemperature t(w[0], w[1]);
        benchmark::DoNotOptimize(t.cct);
        benchmark::DoNotOptimize(t.duv);
    }
}
BENCHMARK(color_temperature);

// The DICOM tone curve of a picture mode: 256 levels through the single-precision GSDF.
void dicom_curve(benchmark::State& state) {
    CSpline curve;
    for (auto _ : state) {
        make_dicom_curve(curve, 0.5f, 250.0f);
        benchmark::DoNotOptimize(curve.points.data());
    }
}
BENCHMARK(dicom_curve);

// Sampling one channel of a 256-point curve into a monitor table: 256 evaluations.
void evaluate_256_points(benchmark::State& state) {
    CSpline curve;
    make_gamma_curve(curve, 2.2);
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < 256; ++i)
            sum += curve.evaluate(i / 255.0);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(evaluate_256_points);

}  // namespace

BENCHMARK_MAIN();
