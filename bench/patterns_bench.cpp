// Painting the heaviest test patterns at 2560 x 1440, the size of the largest panel the
// pattern window covers: stepping through the patterns must feel instant (under 30 ms each).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "ui/patterns/test_pattern_drawing.h"

namespace {

void paint(benchmark::State& state, int pattern) {
    QImage target(2560, 1440, QImage::Format_RGB32);
    const QImage chart(QStringLiteral(":/images/Resources/IT8-3.png"));
    for (auto _ : state) {
        QPainter painter(&target);
        test_patterns::draw_pattern(painter, target.size(), pattern, chart);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_Tg18Qc(benchmark::State& state) {
    paint(state, test_patterns::kTg18Pattern);
}
void BM_ColorWedges(benchmark::State& state) {
    paint(state, test_patterns::kColorWedgesPattern);
}
void BM_GreyWedge(benchmark::State& state) {
    paint(state, test_patterns::kGreyWedgePattern);
}
void BM_WhiteQualityControl(benchmark::State& state) {
    paint(state, test_patterns::kWhiteQualityPattern);
}
BENCHMARK(BM_Tg18Qc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorWedges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreyWedge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteQualityControl)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);  // fonts for the pattern's lettering
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
