#include <gtest/gtest.h>

#include <QApplication>
#include <QPolygonF>
#include <QSignalSpy>
#include <cmath>

#include "color/color_temperature.h"
#include "graph_events.h"
#include "ui/graphs/diagram_space.h"
#include "ui/graphs/gamut_fill.h"
#include "ui/graphs/gamut_graph.h"
#include "ui/graphs/spectral_locus.h"

namespace {

using namespace graph_events;

TEST(DiagramSpace, UvOfTheD65WhiteAndBack) {
    const QPointF uv = graphs::xy_to_uv({0.3127, 0.329});
    EXPECT_NEAR(uv.x(), 0.1978, 5e-5);
    EXPECT_NEAR(uv.y(), 0.4683, 5e-5);
    const QPointF xy = graphs::uv_to_xy(uv);
    EXPECT_NEAR(xy.x(), 0.3127, 1e-12);
    EXPECT_NEAR(xy.y(), 0.329, 1e-12);
    // -2x + 12y + 3 = 0 has no u'v': (0, 0), not a division by zero; likewise backwards.
    EXPECT_EQ(graphs::xy_to_uv({1.5, 0.0}), QPointF(0.0, 0.0));
    EXPECT_EQ(graphs::uv_to_xy({0.0, 0.75}), QPointF(0.0, 0.0));
}

TEST(SpectralLocus, SixtyFivePointsEnclosingEveryReferenceGamut) {
    ASSERT_EQ(graphs::kSpectralLocus.size(), 65u);
    QPolygonF locus;
    for (std::size_t i = 0; i < graphs::kSpectralLocus.size(); ++i) {
        const graphs::SpectralPoint& p = graphs::kSpectralLocus[i];
        EXPECT_EQ(p.wavelength, 380 + 5 * static_cast<int>(i));
        EXPECT_GT(p.x, 0.0);
        EXPECT_GT(p.y, 0.0);
        EXPECT_LE(p.x + p.y, 1.0) << p.wavelength;
        locus.append(QPointF(p.x, p.y));
    }
    // The spectrum's extremes as every chromaticity diagram shows them.
    EXPECT_NEAR(graphs::kSpectralLocus[24].x, 0.0082, 1e-4);  // 500 nm, near the y axis
    EXPECT_NEAR(graphs::kSpectralLocus[28].y, 0.8338, 1e-4);  // 520 nm, the top
    EXPECT_NEAR(graphs::kSpectralLocus[64].x, 0.7347, 1e-4);  // 700 nm
    // Every primary and white the diagram draws is a real colour: inside the locus, or (the
    // NTSC and cinema reds) on it, so a step of 1% towards D65 brings it inside.
    const double points[][2] = {{0.64, 0.33},  {0.21, 0.71},  {0.15, 0.06},  {0.3127, 0.329},
                                {0.30, 0.60},  {0.67, 0.33},  {0.14, 0.08},  {0.3101, 0.3161},
                                {0.63, 0.34},  {0.31, 0.595}, {0.155, 0.07}, {0.68, 0.32},
                                {0.265, 0.69}, {0.314, 0.351}};
    for (const auto& p : points) {
        const QPointF towards_white = QPointF(p[0], p[1]) * 0.99 + QPointF(0.3127, 0.329) * 0.01;
        EXPECT_TRUE(locus.containsPoint(towards_white, Qt::OddEvenFill)) << p[0] << ", " << p[1];
    }
    EXPECT_FALSE(locus.containsPoint(QPointF(0.05, 0.05), Qt::OddEvenFill));
}

// The fill as stated: every pixel of the box tested against every sub-triangle in turn.
graphs::FilledTriangle reference_fill(QPoint r, QPoint g, QPoint b, QPoint w) {
    const int left = std::min({r.x(), g.x(), b.x(), w.x()});
    const int top = std::min({r.y(), g.y(), b.y(), w.y()});
    const int right = std::max({r.x(), g.x(), b.x(), w.x()});
    const int bottom = std::max({r.y(), g.y(), b.y(), w.y()});
    graphs::FilledTriangle out;
    out.origin = QPoint(left, top);
    out.image = QImage(right - left + 1, bottom - top + 1, QImage::Format_ARGB32_Premultiplied);
    out.image.fill(Qt::transparent);
    const auto subs = graphs::gamut_sub_triangles(r, g, b, w);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            for (const graphs::SubTriangle& t : subs) {
                const double v0x = t.corner[1].x() - t.corner[0].x();
                const double v0y = t.corner[1].y() - t.corner[0].y();
                const double v1x = t.corner[2].x() - t.corner[0].x();
                const double v1y = t.corner[2].y() - t.corner[0].y();
                const double v2x = x - t.corner[0].x();
                const double v2y = y - t.corner[0].y();
                const double d00 = v0x * v0x + v0y * v0y;
                const double d01 = v0x * v1x + v0y * v1y;
                const double d11 = v1x * v1x + v1y * v1y;
                const double d20 = v2x * v0x + v2y * v0y;
                const double d21 = v2x * v1x + v2y * v1y;
                const double denom = d00 * d11 - d01 * d01;
                if (denom <= 0) continue;
                const double u = (d11 * d20 - d01 * d21) / denom;
                const double v = (d00 * d21 - d01 * d20) / denom;
                if (u < 0 || v < 0 || u + v > 1) continue;
                const double k = 1.0 - u - v;
                auto mix = [&](int (*channel)(QRgb)) {
                    return static_cast<int>(k * channel(t.color[0]) + u * channel(t.color[1]) +
                                            v * channel(t.color[2]));
                };
                out.image.setPixel(x - left, y - top, qRgb(mix(qRed), mix(qGreen), mix(qBlue)));
            }
        }
    }
    return out;
}

TEST(GamutFill, CornersArePureColoursAndTheWhitePointWhite) {
    const QPoint r(300, 210), g(90, 40), b(70, 290), w(170, 180);
    const graphs::FilledTriangle fill = graphs::fill_gamut_triangle(r, g, b, w);
    auto at = [&](QPoint p) { return fill.image.pixel(p - fill.origin); };
    EXPECT_EQ(at(w), qRgb(255, 255, 255));
    EXPECT_EQ(at(r), qRgb(255, 0, 0));
    EXPECT_EQ(at(g), qRgb(0, 255, 0));
    EXPECT_EQ(at(b), qRgb(0, 0, 255));
    // The edge midpoints (truncated) carry the mixed hues.
    EXPECT_EQ(at(QPoint((300 + 90) / 2, (210 + 40) / 2)), qRgb(255, 255, 0));
    EXPECT_EQ(at(QPoint((90 + 70) / 2, (40 + 290) / 2)), qRgb(0, 255, 255));
    EXPECT_EQ(at(QPoint((70 + 300) / 2, (290 + 210) / 2)), qRgb(255, 0, 255));
    // Outside the triangle nothing is painted.
    EXPECT_EQ(qAlpha(at(QPoint(299, 40))), 0);
}

TEST(GamutFill, TheFastFillMatchesThePlainPerPixelRuleExactly) {
    struct Case {
        QPoint r, g, b, w;
    };
    const Case cases[] = {
        {{300, 210}, {90, 40}, {70, 290}, {170, 180}},
        {{451, 333}, {101, 57}, {88, 512}, {214, 300}},  // odd sums: truncated midpoints
        {{200, 200}, {100, 100}, {0, 0}, {50, 60}},      // a flat triangle
        {{120, 80}, {40, 30}, {60, 140}, {10, 10}},      // white outside the triangle
        {{15, 9}, {3, 2}, {4, 14}, {7, 7}},              // tiny
        {{6000, 10}, {0, 0}, {10, 21}, {100, 12}},       // wider than the incremental path
    };
    for (const Case& c : cases) {
        const graphs::FilledTriangle fast = graphs::fill_gamut_triangle(c.r, c.g, c.b, c.w);
        const graphs::FilledTriangle plain = reference_fill(c.r, c.g, c.b, c.w);
        EXPECT_EQ(fast.origin, plain.origin);
        EXPECT_EQ(fast.image, plain.image) << c.r.x() << "," << c.r.y();
    }
    // A clip keeps exactly the pixels of the full fill inside it.
    const Case& c = cases[1];
    const QRect clip(150, 120, 90, 60);
    const graphs::FilledTriangle clipped = graphs::fill_gamut_triangle(c.r, c.g, c.b, c.w, clip);
    const graphs::FilledTriangle plain = reference_fill(c.r, c.g, c.b, c.w);
    EXPECT_EQ(clipped.origin, clip.topLeft());
    EXPECT_EQ(clipped.image, plain.image.copy(QRect(clip.topLeft() - plain.origin, clip.size())));
}

struct GamutGraph : ::testing::Test {
    TW_gamut_graph graph;
    const CCIEYxy srgb[4] = {
        {1.0, 0.64, 0.33}, {1.0, 0.30, 0.60}, {1.0, 0.15, 0.06}, {1.0, 0.3127, 0.329}};
    void SetUp() override { ASSERT_TRUE(show_square(graph, 400)); }
    void TearDown() override {
        graph.close();
        QApplication::processEvents();
    }
    QImage picture() const { return graph.pixmap().toImage(); }
};

TEST_F(GamutGraph, StartsAsTheXyDiagramAndSwitchesToUvWithItsOwnRange) {
    EXPECT_DOUBLE_EQ(graph.plotSettings().maxX, 0.9);
    EXPECT_EQ(graph.plotSettings().numXTicks, 9);
    EXPECT_EQ(graph.plotSettings().numYTicks, 9);
    graph.SetColorspace(true);
    EXPECT_DOUBLE_EQ(graph.plotSettings().maxX, 0.7);
    EXPECT_DOUBLE_EQ(graph.plotSettings().maxY, 0.7);
    EXPECT_EQ(graph.plotSettings().numXTicks, 7);
    // The white point lands where its u'v' belongs.
    graph.SetMonitorData(true, srgb);
    graph.SetShowGamutDisplay(true);
    ASSERT_EQ(graph.draggablePoints().size(), 4);
    const QPointF white = graph.mapFromPixel(graph.draggablePoints()[3]);
    EXPECT_NEAR(white.x(), 0.1978, 5e-5);
    EXPECT_NEAR(white.y(), 0.4683, 5e-5);
    graph.SetColorspace(false);
    EXPECT_DOUBLE_EQ(graph.plotSettings().maxX, 0.9);
}

TEST_F(GamutGraph, AWhiteThatIsNotGivenBecomesTheCentroidAndGetsNoMarker) {
    CCIEYxy data[4] = {srgb[0], srgb[1], srgb[2], {0.0, 0.0, 0.0}};
    graph.SetMonitorData(true, data);
    EXPECT_FALSE(graph.monitorWhiteGiven());
    EXPECT_NEAR(graph.monitorData()[3].x, (0.64 + 0.30 + 0.15) / 3, 1e-12);
    EXPECT_NEAR(graph.monitorData()[3].y, (0.33 + 0.60 + 0.06) / 3, 1e-12);
    graph.SetMonitorData(true, srgb);
    EXPECT_TRUE(graph.monitorWhiteGiven());
}

TEST_F(GamutGraph, PointsAreListedOnlyWhileTheMonitorDataIsValidAndShown) {
    graph.SetMonitorData(true, srgb);
    EXPECT_TRUE(graph.draggablePoints().isEmpty());
    graph.SetShowGamutDisplay(true);
    ASSERT_EQ(graph.draggablePoints().size(), 4);
    EXPECT_EQ(graph.draggablePoints()[0], graph.mapToPixel({0.64, 0.33}));
    graph.SetMonitorData(false, srgb);
    EXPECT_TRUE(graph.draggablePoints().isEmpty());
}

TEST_F(GamutGraph, OfTwoPointsCloserThanNinePixelsTheLaterIsPicked) {
    // White 0.01 from blue: about 4 pixels at this size.
    const CCIEYxy close[4] = {srgb[0], srgb[1], srgb[2], {1.0, 0.16, 0.065}};
    graph.SetMonitorData(true, close);
    graph.SetShowGamutDisplay(true);
    const QPointF blue = graph.draggablePoints()[2];
    EXPECT_EQ(graph.pointAt(blue), TW_gamut_graph::kWhite);
    EXPECT_EQ(graph.pointAt(graph.draggablePoints()[0]), TW_gamut_graph::kRed);
    // Nine pixels off is no longer a hit; 8.9 still is.
    const QPointF red = graph.draggablePoints()[0];
    EXPECT_EQ(graph.pointAt(red + QPointF(9.0, 0.0)), TW_gamut_graph::kNoPoint);
    EXPECT_EQ(graph.pointAt(red + QPointF(8.9, -8.9)), TW_gamut_graph::kRed);
    press(graph, blue);
    EXPECT_EQ(graph.draggedPoint(), TW_gamut_graph::kWhite);
    EXPECT_EQ(graph.cursor().shape(), Qt::ClosedHandCursor);
    EXPECT_FALSE(graph.rubberBandShown());
    release(graph, blue);
    EXPECT_EQ(graph.draggedPoint(), TW_gamut_graph::kNoPoint);
    EXPECT_EQ(graph.zoomLevelCount(), 1);
}

TEST_F(GamutGraph, HoveringShowsAnOpenHandOverAPointOnly) {
    graph.SetMonitorData(true, srgb);
    graph.SetShowGamutDisplay(true);
    move(graph, graph.draggablePoints()[1], false);
    EXPECT_EQ(graph.cursor().shape(), Qt::OpenHandCursor);
    move(graph, graph.mapToPixel({0.8, 0.8}), false);
    EXPECT_EQ(graph.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(GamutGraph, DraggingRedAtAZoomedLevelReportsTheCursorInDiagramCoordinates) {
    graph.SetMonitorData(true, srgb);
    graph.SetShowGamutDisplay(true);
    graph.SetOnlyAdjustRGB(true);
    // Zoom onto the red corner first, with a band that starts away from any point.
    const QPointF corner = graph.mapToPixel({0.55, 0.25});
    drag(graph, corner, corner + QPointF(60, -60));
    ASSERT_EQ(graph.zoomLevel(), 1);
    const PlotSettings& s = graph.plotSettings();
    const QRect r = graph.plotRect();
    ASSERT_LT(s.spanX(), 0.5);

    QSignalSpy spy(&graph, &TW_gamut_graph::dragging_point);
    const QPointF red = graph.draggablePoints()[0];
    ASSERT_TRUE(r.contains(red.toPoint()));
    press(graph, red);
    const QPointF to = red + QPointF(-30, 20);
    move(graph, to);
    release(graph, to);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), TW_gamut_graph::kRed);
    const QPointF xy = spy[0][1].toPointF();
    // Pixels back to data by the plot rectangle, worked out here from the zoomed range.
    const double x = s.minX + (to.x() - r.left()) * s.spanX() / (r.right() - r.left());
    const double y = s.minY + (r.bottom() - to.y()) * s.spanY() / (r.bottom() - r.top());
    EXPECT_NEAR(xy.x(), x, 1e-9);
    EXPECT_NEAR(xy.y(), y, 1e-9);
    EXPECT_LT(xy.x(), 0.64);
    EXPECT_LT(xy.y(), 0.33);
    EXPECT_EQ(graph.zoomLevelCount(), 2);  // the drag did not zoom
}

TEST_F(GamutGraph, DraggingInTheUvDiagramReportsXy) {
    graph.SetColorspace(true);
    graph.SetMonitorData(true, srgb);
    graph.SetShowGamutDisplay(true);
    QSignalSpy spy(&graph, &TW_gamut_graph::dragging_point);
    const QPointF white = graph.draggablePoints()[3];
    press(graph, white);
    move(graph, white);
    release(graph, white);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), TW_gamut_graph::kWhite);
    EXPECT_NEAR(spy[0][1].toPointF().x(), 0.3127, 2e-3);
    EXPECT_NEAR(spy[0][1].toPointF().y(), 0.329, 2e-3);
}

TEST_F(GamutGraph, TheFilledTriangleIsWhiteAtTheWhitePointAndPureAtItsCorners) {
    graph.SetMonitorData(true, srgb);
    graph.SetFixedWhiteDiagramWhitePoint(srgb[3]);
    graph.SetShowGamutDisplay(true);
    graph.SetOnlyAdjustRGB(true);  // no marker on the white
    const QImage plain = picture();
    graph.SetShowFixedWhiteDiagram(true);
    const QImage filled = picture();
    auto whole = [](QPointF p) {
        return QPoint(static_cast<int>(std::round(p.x() - 0.5)),
                      static_cast<int>(std::round(p.y() - 0.5)));
    };
    const QPoint w = whole(graph.mapToPixel({0.3127, 0.329}));
    EXPECT_EQ(filled.pixel(w), qRgb(255, 255, 255));
    EXPECT_NE(plain.pixel(w), qRgb(255, 255, 255));
    // Just inside each corner the fill is close to the pure primary.
    const QPoint centre = w;
    const QRgb expected[3] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        const QPoint corner = whole(graph.draggablePoints()[i]);
        const QPointF towards =
            QPointF(centre - corner) / std::hypot(centre.x() - corner.x(), centre.y() - corner.y());
        const QPoint probe = corner + (towards * 14).toPoint();
        const QRgb got = filled.pixel(probe);
        EXPECT_NEAR(qRed(got), qRed(expected[i]), 40) << "corner " << i;
        EXPECT_NEAR(qGreen(got), qGreen(expected[i]), 40) << "corner " << i;
        EXPECT_NEAR(qBlue(got), qBlue(expected[i]), 40) << "corner " << i;
    }
    // The rendered fill is the fill image itself, pixel for pixel, wherever nothing is drawn over
    // it.
    const graphs::FilledTriangle fill = graphs::fill_gamut_triangle(
        whole(graph.draggablePoints()[0]), whole(graph.draggablePoints()[1]),
        whole(graph.draggablePoints()[2]), w, graph.plotRect());
    EXPECT_EQ(filled.pixel(w + QPoint(10, 10)), fill.image.pixel(w + QPoint(10, 10) - fill.origin));
}

TEST_F(GamutGraph, ReferenceTrianglesAndTheLociUseTheirOwnColours) {
    const QImage empty = picture();
    // Bottom edge of the sRGB triangle, halfway between red and blue.
    const QPoint edge = graph.mapToPixel({(0.64 + 0.15) / 2, (0.33 + 0.06) / 2}).toPoint();
    graph.SetShowGamutsRGB(true);
    QImage shown = picture();
    bool cyan = false;
    for (int dy = -1; dy <= 1; ++dy) {
        const QRgb p = shown.pixel(edge + QPoint(0, dy));
        cyan = cyan || (qRed(p) < 100 && qGreen(p) > 150 && qBlue(p) > 150);
    }
    EXPECT_TRUE(cyan);
    EXPECT_NE(empty.pixel(edge), shown.pixel(edge));
    graph.SetShowGamutsRGB(false);
    EXPECT_EQ(picture(), empty);

    // The Planckian locus passes 7000 K (no tick there) in light yellow.
    CChromaticity at;
    ASSERT_TRUE(whiteForTemperature(7000, at));
    const QPoint p = graph.mapToPixel({at.x, at.y}).toPoint();
    graph.SetShowPlankianLocus(true);
    shown = picture();
    bool yellow = false;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            const QRgb q = shown.pixel(p + QPoint(dx, dy));
            yellow = yellow || (qRed(q) > 180 && qGreen(q) > 180 && qBlue(q) < qRed(q) - 40);
        }
    }
    EXPECT_TRUE(yellow);
}

TEST_F(GamutGraph, ShowingTheTargetMarksItInLightGreen) {
    graph.SetTargetData(true, CIExy{0.28, 0.29});
    const QImage hidden = picture();
    graph.SetShowTargetWhitePoint(true);
    const QImage shown = picture();
    const QPoint p = graph.mapToPixel({0.28, 0.29}).toPoint();
    bool green = false;
    for (int d = -3; d <= 3; ++d) {
        const QRgb q = shown.pixel(p + QPoint(d, d));
        green = green || (qGreen(q) > 120 && qGreen(q) > qRed(q) + 40 && qGreen(q) > qBlue(q) + 40);
    }
    EXPECT_TRUE(green);
    EXPECT_NE(hidden, shown);
    graph.SetTargetData(false, CIExy{0.28, 0.29});
    EXPECT_EQ(picture(), hidden);
}

// The locus direction at a marked temperature, in diagram coordinates, from two whites of the
// same formula (the white switches from the Planckian to the daylight formula at 4000 K).
QPointF locus_direction(const TW_gamut_graph& graph, int kelvin) {
    CChromaticity a;
    CChromaticity b;
    EXPECT_TRUE(whiteForTemperature(static_cast<std::uint16_t>(kelvin), a));
    EXPECT_TRUE(whiteForTemperature(static_cast<std::uint16_t>(kelvin + 10), b));
    return graph.toDiagram(b) - graph.toDiagram(a);
}

bool touches(const QRectF& box, const QLineF& line) {
    for (int i = 0; i <= 20; ++i) {
        if (box.contains(line.pointAt(i / 20.0))) return true;
    }
    return false;
}

TEST_F(GamutGraph, PlanckianTicksCrossTheLocusAndLabelsKeepClearOfEachOther) {
    graph.SetShowPlankianLocus(true);
    for (int side : {300, 400}) {
        ASSERT_TRUE(graph_events::show_square(graph, side));
        for (bool uv : {false, true}) {
            SCOPED_TRACE(std::to_string(side) + (uv ? " u'v'" : " xy"));
            graph.SetColorspace(uv);
            const QList<TW_gamut_graph::PlanckianMark> marks = graph.planckianMarks();
            ASSERT_EQ(marks.size(), 5);
            for (const TW_gamut_graph::PlanckianMark& mark : marks) {
                const QPointF tick =
                    graph.mapFromPixel(mark.tick.p2()) - graph.mapFromPixel(mark.tick.p1());
                const QPointF along = locus_direction(graph, mark.kelvin);
                const double cosine = (tick.x() * along.x() + tick.y() * along.y()) /
                                      std::hypot(tick.x(), tick.y()) /
                                      std::hypot(along.x(), along.y());
                // Within about one degree of a right angle.
                EXPECT_LT(std::fabs(cosine), 0.02) << mark.kelvin;
                EXPECT_NEAR(std::hypot(tick.x(), tick.y()), 0.005, 1e-3) << mark.kelvin;
                EXPECT_TRUE(QRectF(graph.plotRect()).contains(mark.label)) << mark.kelvin;
            }
            for (const TW_gamut_graph::PlanckianMark& a : marks) {
                for (const TW_gamut_graph::PlanckianMark& b : marks) {
                    if (a.kelvin == b.kelvin) continue;
                    EXPECT_FALSE(a.label.intersects(b.label)) << a.kelvin << " " << b.kelvin;
                    EXPECT_FALSE(touches(a.label, b.tick)) << a.kelvin << " over " << b.kelvin;
                }
            }
        }
    }
}

}  // namespace
