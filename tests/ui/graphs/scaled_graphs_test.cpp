#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "graph_events.h"
#include "ui/graphs/gamut_fill.h"
#include "ui/graphs/gamut_graph.h"

// Run by the CTest entry ui_graphs_scaled with QT_SCALE_FACTOR=2: a desktop scaled to 2x.
namespace {

TEST(GraphsScaledInASession, TheDiagramAndItsFillAreDrawnAtTheDevicePixelRatio) {
    ASSERT_EQ(qGuiApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    TW_gamut_graph graph;
    ASSERT_TRUE(graph_events::show_square(graph, 400));
    const CCIEYxy srgb[4] = {
        {1.0, 0.64, 0.33}, {1.0, 0.30, 0.60}, {1.0, 0.15, 0.06}, {1.0, 0.3127, 0.329}};
    graph.SetMonitorData(true, srgb);
    graph.SetFixedWhiteDiagramWhitePoint(srgb[3]);
    graph.SetShowGamutDisplay(true);
    graph.SetOnlyAdjustRGB(true);
    graph.SetShowFixedWhiteDiagram(true);

    EXPECT_EQ(graph.pixmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(graph.pixmap().size(), QSize(800, 800));
    const QImage shown =
        graph.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(shown.size(), QSize(800, 800));

    // The fill is the fill of the device-pixel corners, pixel for pixel, where nothing is
    // drawn over it: no stretched half-resolution copy.
    auto device = [](QPointF p) {
        return QPoint(static_cast<int>(std::round(p.x() * 2 - 0.5)),
                      static_cast<int>(std::round(p.y() * 2 - 0.5)));
    };
    const QPoint white = device(graph.mapToPixel({0.3127, 0.329}));
    const graphs::FilledTriangle fill = graphs::fill_gamut_triangle(
        device(graph.draggablePoints()[0]), device(graph.draggablePoints()[1]),
        device(graph.draggablePoints()[2]), white);
    ASSERT_FALSE(fill.image.isNull());
    int compared = 0, equal = 0, pairs_alike = 0, pairs = 0;
    for (int dy = 8; dy < 40; dy += 3) {
        for (int dx = 8; dx < 40; ++dx) {
            const QPoint at = white + QPoint(dx, dy);
            ++compared;
            equal += shown.pixel(at) == fill.image.pixel(at - fill.origin);
            if (dx % 2 == 0) {
                ++pairs;
                pairs_alike += shown.pixel(at) == shown.pixel(at + QPoint(1, 0));
            }
        }
    }
    EXPECT_EQ(equal, compared);
    // A fill stretched from half resolution repeats every pixel in pairs.
    EXPECT_LT(pairs_alike, pairs / 2) << pairs_alike << " of " << pairs;
    graph.close();
}

}  // namespace
