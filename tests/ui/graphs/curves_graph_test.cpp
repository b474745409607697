#include <gtest/gtest.h>

#include <QApplication>
#include <QPen>

#include "color/curve_builders.h"
#include "graph_events.h"
#include "ui/graphs/curves_graph.h"

namespace {

struct CurvesGraph : ::testing::Test {
    TW_curves_graph graph;
    void SetUp() override { ASSERT_TRUE(graph_events::show_square(graph, 300)); }
    void TearDown() override {
        graph.close();
        QApplication::processEvents();
    }
    // Whether a pixel within one of `at` is close to `color`.
    bool near_colour(const QImage& image, QPointF at, QColor color) const {
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor c = image.pixelColor(at.toPoint() + QPoint(dx, dy));
                if (std::abs(c.red() - color.red()) < 60 &&
                    std::abs(c.green() - color.green()) < 60 &&
                    std::abs(c.blue() - color.blue()) < 60)
                    return true;
            }
        }
        return false;
    }
};

TEST_F(CurvesGraph, EachCurveIsDrawnWithItsOwnPen) {
    CSpline gamma;
    make_gamma_curve(gamma, 2.2);
    CSpline linear;
    linear.init(CSpline::kCatmullRom, 16, 0.0, 1.0);
    graph.setCurves({gamma, linear}, {QPen(Qt::blue, 2), QPen(Qt::darkGreen, 2)});
    const QImage image = graph.pixmap().toImage();
    EXPECT_TRUE(near_colour(image, graph.mapToPixel({0.5, std::pow(0.5, 2.2)}), Qt::blue));
    EXPECT_TRUE(near_colour(image, graph.mapToPixel({0.5, 0.5}), Qt::darkGreen));
    EXPECT_FALSE(near_colour(image, graph.mapToPixel({0.5, 0.5}), Qt::blue));
    graph.setCurvePen(1, QPen(Qt::magenta, 2));
    EXPECT_TRUE(near_colour(graph.pixmap().toImage(), graph.mapToPixel({0.5, 0.5}), Qt::magenta));
    graph.clearCurves();
    EXPECT_FALSE(near_colour(graph.pixmap().toImage(), graph.mapToPixel({0.5, 0.5}), Qt::magenta));
}

TEST_F(CurvesGraph, CurvesStayInsideThePlotRectangle) {
    CSpline steep;
    steep.init(CSpline::kCatmullRom, 2, 0.0, 1.0);
    steep.points = {QPointF(0.0, 0.0), QPointF(0.5, 3.0)};  // leaves through the top
    graph.setCurves({steep}, {QPen(Qt::red, 3)});
    const QImage image = graph.pixmap().toImage();
    const QRect r = graph.plotRect();
    int red_inside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                EXPECT_TRUE(r.contains(x, y)) << x << ", " << y;
                ++red_inside;
            }
        }
    }
    EXPECT_GT(red_inside, 50);
}

}  // namespace
