// Full redraws of the gamut diagram with everything switched on, and one drag step (the point
// moves, the diagram is redrawn), at the wizard's size and at a large one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <cstdlib>
#include <memory>

#include "ui/graphs/gamut_fill.h"
#include "ui/graphs/gamut_graph.h"

namespace {

const CCIEYxy kMonitor[4] = {
    {1.0, 0.681, 0.311}, {1.0, 0.182, 0.719}, {1.0, 0.157, 0.040}, {1.0, 0.3127, 0.329}};

std::unique_ptr<TW_gamut_graph> everything_on(int side) {
    auto graph = std::make_unique<TW_gamut_graph>();
    graph->setFreeze(true);
    const CCIEYxy native[3] = {{1.0, 0.675, 0.315}, {1.0, 0.205, 0.700}, {1.0, 0.150, 0.055}};
    graph->SetMonitorData(true, kMonitor);
    graph->SetMonitorNativeGamutData(true, native);
    graph->SetFixedWhiteDiagramWhitePoint(kMonitor[3]);
    graph->SetTargetData(true, CIExy{0.295, 0.305});
    graph->SetShowGamutDisplay(true);
    graph->SetShowMonitorNativeGamut(true);
    graph->SetShowFixedWhiteDiagram(true);
    graph->SetShowTargetWhitePoint(true);
    graph->SetShowPlankianLocus(true);
    graph->SetShowGamutAdobeRGB(true);
    graph->SetShowGamutsRGB(true);
    graph->SetShowGamutNTSC(true);
    graph->SetShowGamutSMPTE(true);
    graph->SetShowGamutHDTV(true);
    graph->SetShowGamutDigitalCinema(true);
    graph->setCaption(QStringLiteral("CIE 1931 xy"));
    graph->resize(side, side);
    graph->show();
    QApplication::processEvents();
    graph->setFreeze(false);
    return graph;
}

void BM_GamutRedraw(benchmark::State& state) {
    const auto graph = everything_on(static_cast<int>(state.range(0)));
    bool uv = false;
    for (auto _ : state) {
        // Toggling a switch redraws the whole pixmap.
        graph->SetShowGamutHDTV(uv);
        uv = !uv;
        benchmark::DoNotOptimize(graph->pixmap().cacheKey());
    }
}
BENCHMARK(BM_GamutRedraw)->Arg(300)->Arg(800)->Unit(benchmark::kMillisecond);

void BM_GamutDragStep(benchmark::State& state) {
    const auto graph = everything_on(static_cast<int>(state.range(0)));
    graph->SetOnlyAdjustRGB(true);
    CCIEYxy data[4] = {kMonitor[0], kMonitor[1], kMonitor[2], kMonitor[3]};
    QObject::connect(graph.get(), &TW_gamut_graph::dragging_point, graph.get(),
                     [&](int index, QPointF xy) {
                         data[index - 1].x = xy.x();
                         data[index - 1].y = xy.y();
                         graph->SetMonitorData(true, data);
                     });
    const QPointF red = graph->draggablePoints()[0];
    QMouseEvent press(QEvent::MouseButtonPress, red, red, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(graph.get(), &press);
    int step = 0;
    for (auto _ : state) {
        const QPointF to = red + QPointF(-(step % 20), step % 20);
        ++step;
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(graph.get(), &move);
        benchmark::DoNotOptimize(graph->pixmap().cacheKey());
    }
    if (graph->draggedPoint() != TW_gamut_graph::kRed) state.SkipWithError("no drag");
}
BENCHMARK(BM_GamutDragStep)->Arg(300)->Arg(800)->Unit(benchmark::kMillisecond);

// The per-pixel fill alone, at the size it has in an 800 x 800 diagram.
void BM_GamutFill800(benchmark::State& state) {
    for (auto _ : state) {
        const graphs::FilledTriangle fill = graphs::fill_gamut_triangle(
            QPoint(616, 537), QPoint(190, 125), QPoint(170, 753), QPoint(308, 504));
        benchmark::DoNotOptimize(fill.image.constBits());
    }
}
BENCHMARK(BM_GamutFill800)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
