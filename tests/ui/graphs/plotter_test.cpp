#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPixmap>
#include <QToolButton>
#include <cmath>

#include "graph_events.h"
#include "ui/graphs/plotter.h"

namespace {

using namespace graph_events;

struct Axis {
    double min, max;
    int ticks;
};

Axis adjusted(double min, double max) {
    int ticks = 0;
    PlotSettings::adjustAxis(min, max, ticks);
    return {min, max, ticks};
}

TEST(PlotSettingsTicks, RoundOutToOneTwoOrFiveTimesAPowerOfTen) {
    // 0..1: gross 0.25 > 2 * 0.1, so 0.2 a tick, five of them.
    Axis a = adjusted(0.0, 1.0);
    EXPECT_DOUBLE_EQ(a.min, 0.0);
    EXPECT_DOUBLE_EQ(a.max, 1.0);
    EXPECT_EQ(a.ticks, 5);
    // 0.13..0.47: gross 0.085 > 5 * 0.01, so 0.05 a tick from 0.10 to 0.50.
    a = adjusted(0.13, 0.47);
    EXPECT_NEAR(a.min, 0.10, 1e-12);
    EXPECT_NEAR(a.max, 0.50, 1e-12);
    EXPECT_EQ(a.ticks, 8);
    // 0..0.9: 0.2 a tick, rounded out to 1.0.
    a = adjusted(0.0, 0.9);
    EXPECT_NEAR(a.max, 1.0, 1e-12);
    EXPECT_EQ(a.ticks, 5);
    // 3..7: gross exactly 1 keeps the plain power of ten; four ticks.
    a = adjusted(3.0, 7.0);
    EXPECT_DOUBLE_EQ(a.min, 3.0);
    EXPECT_DOUBLE_EQ(a.max, 7.0);
    EXPECT_EQ(a.ticks, 4);
    // Across zero: -0.5..0.5 becomes -0.6..0.6 in six steps of 0.2.
    a = adjusted(-0.5, 0.5);
    EXPECT_NEAR(a.min, -0.6, 1e-12);
    EXPECT_NEAR(a.max, 0.6, 1e-12);
    EXPECT_EQ(a.ticks, 6);
    // An empty range uses step 1 and still gets the minimum of four ticks.
    a = adjusted(2.0, 2.0);
    EXPECT_DOUBLE_EQ(a.min, 2.0);
    EXPECT_DOUBLE_EQ(a.max, 2.0);
    EXPECT_EQ(a.ticks, 4);
}

TEST(PlotSettingsScroll, MovesByWholeStepsOnlyWithinThePanLimitsAndHalfAStep) {
    PlotSettings s(0.0, 1.0, 5, 0.0, 1.0, 5);
    s.minX = 0.2;
    s.maxX = 0.6;
    s.numXTicks = 4;
    s.scroll(-1, 0);  // step 0.1: 0.1..0.5 is inside 0..1
    EXPECT_NEAR(s.minX, 0.1, 1e-12);
    s.scroll(-1, 0);  // 0.0..0.4
    EXPECT_NEAR(s.minX, 0.0, 1e-12);
    s.scroll(-1, 0);  // -0.1 is beyond -0.05: refused
    EXPECT_NEAR(s.minX, 0.0, 1e-12);
    EXPECT_NEAR(s.maxX, 0.4, 1e-12);
    s.scroll(0, 1);  // y is at both limits already: refused
    EXPECT_DOUBLE_EQ(s.minY, 0.0);
    EXPECT_DOUBLE_EQ(s.maxY, 1.0);
}

struct PlotterWidget : ::testing::Test {
    Plotter plotter;
    void SetUp() override { ASSERT_TRUE(show_square(plotter, 400)); }
    void TearDown() override {
        plotter.close();
        QApplication::processEvents();
    }
    QPointF inside(double fx, double fy) const {
        const QRect r = plotter.plotRect();
        return QPointF(r.left() + fx * r.width(), r.top() + fy * r.height());
    }
};

TEST_F(PlotterWidget, StartsUnzoomedWithBothButtonsDisabledAndTheButtonsTopRight) {
    EXPECT_EQ(plotter.zoomLevelCount(), 1);
    EXPECT_FALSE(plotter.zoomInButton()->isEnabled());
    EXPECT_FALSE(plotter.zoomOutButton()->isEnabled());
    EXPECT_EQ(plotter.focusPolicy(), Qt::StrongFocus);
    const QToolButton* in = plotter.zoomInButton();
    const QToolButton* out = plotter.zoomOutButton();
    EXPECT_EQ(in->pos(), QPoint(plotter.width() - in->width() - out->width() - 8, 3));
    EXPECT_EQ(out->pos(), QPoint(in->x() + in->width() + 5, 3));
    EXPECT_FALSE(in->icon().isNull());
    EXPECT_FALSE(out->icon().isNull());
}

TEST_F(PlotterWidget, ANonSquareSizeShrinksToTheSmallerSide) {
    plotter.resize(500, 300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return plotter.size() == QSize(300, 300); }, 2000));
    EXPECT_EQ(plotter.pixmap().size(), QSize(300, 300));
}

TEST_F(PlotterWidget, DataMapsOntoThePlotRectangleAndBack) {
    plotter.setPlotSettings(PlotSettings(0.0, 2.0, 4, -1.0, 1.0, 4));
    const QRect r = plotter.plotRect();
    EXPECT_EQ(r, QRect(plotter.leftMargin(), plotter.topMargin(),
                       400 - plotter.leftMargin() - plotter.rightMargin(),
                       400 - plotter.topMargin() - plotter.bottomMargin()));
    EXPECT_EQ(plotter.mapToPixel({0.0, -1.0}), QPointF(r.left(), r.bottom()));
    EXPECT_EQ(plotter.mapToPixel({2.0, 1.0}), QPointF(r.right(), r.top()));
    const QPointF centre = plotter.mapToPixel({1.0, 0.0});
    EXPECT_DOUBLE_EQ(centre.x(), (r.left() + r.right()) / 2.0);
    EXPECT_DOUBLE_EQ(centre.y(), (r.top() + r.bottom()) / 2.0);
    const QPointF back = plotter.mapFromPixel(plotter.mapToPixel({0.37, 0.61}));
    EXPECT_NEAR(back.x(), 0.37, 1e-12);
    EXPECT_NEAR(back.y(), 0.61, 1e-12);
}

TEST_F(PlotterWidget, ALogarithmicAxisPlacesDecadesEvenly) {
    plotter.setLogarithmicY(true);
    plotter.setPlotSettings(PlotSettings(0.0, 1.0, 5, -2.0, 2.0, 4));
    const QRect r = plotter.plotRect();
    EXPECT_DOUBLE_EQ(plotter.mapToPixel({0.0, 100.0}).y(), r.top());
    EXPECT_DOUBLE_EQ(plotter.mapToPixel({0.0, 0.01}).y(), r.bottom());
    EXPECT_DOUBLE_EQ(plotter.mapToPixel({0.0, 1.0}).y(), (r.top() + r.bottom()) / 2.0);
    // Nothing is below zero on a log axis: y <= 0 is drawn as log10 = 0.
    EXPECT_DOUBLE_EQ(plotter.mapToPixel({0.0, -5.0}).y(), plotter.mapToPixel({0.0, 1.0}).y());
    EXPECT_NEAR(plotter.mapFromPixel(plotter.mapToPixel({0.0, 31.6})).y(), 31.6, 1e-9);
}

TEST_F(PlotterWidget, ABandThreePixelsWideDoesNotZoom) {
    const QPointF from = inside(0.3, 0.2);
    drag(plotter, from, from + QPointF(2, 99));  // 3 x 100 pixels
    EXPECT_EQ(plotter.zoomLevelCount(), 1);
    EXPECT_EQ(plotter.zoomLevel(), 0);
    EXPECT_FALSE(plotter.rubberBandShown());
}

TEST_F(PlotterWidget, TheBandIsKeptSquareOnItsSmallerSignedExtent) {
    const QPointF from = inside(0.5, 0.5);
    press(plotter, from);
    EXPECT_TRUE(plotter.rubberBandShown());
    EXPECT_EQ(plotter.cursor().shape(), Qt::CrossCursor);
    move(plotter, from + QPointF(59, 29));
    EXPECT_EQ(plotter.rubberBandRect().size(), QSize(30, 30));
    // dx + 1 = -40 is the smaller: 40 to the left and 40 down.
    move(plotter, from + QPointF(-41, 79));
    EXPECT_EQ(plotter.rubberBandRect().normalized().size(), QSize(40, 40));
    EXPECT_LT(plotter.rubberBandRect().normalized().left(), from.x());
    release(plotter, from + QPointF(-41, 79));
    EXPECT_FALSE(plotter.rubberBandShown());
    EXPECT_NE(plotter.cursor().shape(), Qt::CrossCursor);
}

TEST_F(PlotterWidget, ABandZoomsToItsRoundedOutRangeAndEnablesZoomOut) {
    const QPointF from = inside(0.2, 0.2);
    drag(plotter, from, from + QPointF(120, 160));
    ASSERT_EQ(plotter.zoomLevelCount(), 2);
    EXPECT_EQ(plotter.zoomLevel(), 1);
    const PlotSettings& s = plotter.plotSettings();
    // The band covers about 0.2..0.55 in x; rounding out gives a tick grid that contains it.
    EXPECT_LE(s.minX, 0.2);
    EXPECT_GE(s.maxX, 0.5);
    EXPECT_LT(s.spanX(), 1.0);
    const double step = s.spanX() / s.numXTicks;
    EXPECT_NEAR(std::remainder(s.minX, step), 0.0, 1e-9);
    // The pan limits stay those of the unzoomed view.
    EXPECT_DOUBLE_EQ(s.panMinX, 0.0);
    EXPECT_DOUBLE_EQ(s.panMaxX, 1.0);
    EXPECT_TRUE(plotter.zoomOutButton()->isEnabled());
    EXPECT_FALSE(plotter.zoomInButton()->isEnabled());
}

TEST_F(PlotterWidget, ZoomingOutAndInAgainReturnsToTheDeeperLevelUnchanged) {
    drag(plotter, inside(0.1, 0.1), inside(0.1, 0.1) + QPointF(200, 200));
    drag(plotter, inside(0.3, 0.3), inside(0.3, 0.3) + QPointF(80, 80));
    ASSERT_EQ(plotter.zoomLevelCount(), 3);
    ASSERT_EQ(plotter.zoomLevel(), 2);
    const PlotSettings deeper = plotter.plotSettings();
    plotter.zoomOut();
    EXPECT_EQ(plotter.zoomLevel(), 1);
    EXPECT_TRUE(plotter.zoomInButton()->isEnabled());
    EXPECT_TRUE(plotter.zoomOutButton()->isEnabled());
    plotter.zoomIn();
    EXPECT_EQ(plotter.zoomLevel(), 2);
    EXPECT_EQ(plotter.zoomLevelCount(), 3);
    EXPECT_EQ(plotter.plotSettings(), deeper);
    EXPECT_FALSE(plotter.zoomInButton()->isEnabled());
    // A band from the middle level goes in after it and keeps the deeper one above.
    plotter.zoomOut();
    drag(plotter, inside(0.5, 0.5), inside(0.5, 0.5) + QPointF(60, 60));
    EXPECT_EQ(plotter.zoomLevelCount(), 4);
    EXPECT_EQ(plotter.zoomLevel(), 2);
    EXPECT_EQ(plotter.zoomLevelSettings(3), deeper);
}

TEST_F(PlotterWidget, ZoomingPastEitherEndOfTheStackDoesNothing) {
    plotter.zoomIn();
    plotter.zoomOut();
    EXPECT_EQ(plotter.zoomLevel(), 0);
    EXPECT_EQ(plotter.zoomLevelCount(), 1);
}

TEST_F(PlotterWidget, LeftAtTheUnzoomedLevelStaysAtThePanLimit) {
    const PlotSettings before = plotter.plotSettings();
    key(plotter, Qt::Key_Left);
    EXPECT_EQ(plotter.plotSettings(), before);
    wheel(plotter, QPoint(0, -120));
    EXPECT_EQ(plotter.plotSettings(), before);
}

TEST_F(PlotterWidget, ArrowKeysWheelAndPlusMinusPanAndZoomAZoomedLevel) {
    plotter.setPlotSettings(PlotSettings(0.0, 1.0, 10, 0.0, 1.0, 10));
    drag(plotter, inside(0.4, 0.4), inside(0.4, 0.4) + QPointF(70, 70));
    ASSERT_EQ(plotter.zoomLevel(), 1);
    const PlotSettings zoomed = plotter.plotSettings();
    const double stepX = zoomed.spanX() / zoomed.numXTicks;
    const double stepY = zoomed.spanY() / zoomed.numYTicks;
    key(plotter, Qt::Key_Left);
    EXPECT_NEAR(plotter.plotSettings().minX, zoomed.minX - stepX, 1e-12);
    key(plotter, Qt::Key_Right);
    EXPECT_NEAR(plotter.plotSettings().minX, zoomed.minX, 1e-12);
    key(plotter, Qt::Key_Up);
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY + stepY, 1e-12);
    key(plotter, Qt::Key_Down);
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY, 1e-12);
    wheel(plotter, QPoint(240, 0));  // two steps right
    EXPECT_NEAR(plotter.plotSettings().minX, zoomed.minX + 2 * stepX, 1e-12);
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY, 1e-12);
    wheel(plotter, QPoint(0, -120));  // one step down
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY - stepY, 1e-12);
    key(plotter, Qt::Key_Minus, QStringLiteral("-"));
    EXPECT_EQ(plotter.zoomLevel(), 0);
    key(plotter, Qt::Key_Plus, QStringLiteral("+"));
    EXPECT_EQ(plotter.zoomLevel(), 1);
}

TEST_F(PlotterWidget, SmoothWheelDeltasGatherIntoWholeSteps) {
    plotter.setPlotSettings(PlotSettings(0.0, 1.0, 10, 0.0, 1.0, 10));
    drag(plotter, inside(0.4, 0.4), inside(0.4, 0.4) + QPointF(70, 70));
    ASSERT_EQ(plotter.zoomLevel(), 1);
    const PlotSettings zoomed = plotter.plotSettings();
    const double stepX = zoomed.spanX() / zoomed.numXTicks;
    const double stepY = zoomed.spanY() / zoomed.numYTicks;
    // A touchpad: eight eighths of a notch down make one step, not before the eighth.
    for (int i = 0; i < 7; ++i)
        wheel(plotter, QPoint(0, -15));
    EXPECT_EQ(plotter.plotSettings(), zoomed);
    wheel(plotter, QPoint(0, -15));
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY - stepY, 1e-12);
    // Both axes of one event count, and what is left over is kept for the next.
    wheel(plotter, QPoint(100, 60));
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY - stepY, 1e-12);
    EXPECT_NEAR(plotter.plotSettings().minX, zoomed.minX, 1e-12);
    wheel(plotter, QPoint(50, 60));
    EXPECT_NEAR(plotter.plotSettings().minX, zoomed.minX + stepX, 1e-12);
    EXPECT_NEAR(plotter.plotSettings().minY, zoomed.minY, 1e-12);
    // Turning back gives back what was gathered: 30 left over to the right, then 150 left.
    wheel(plotter, QPoint(-150, 0));
    EXPECT_NEAR(plotter.plotSettings().minX, zoomed.minX, 1e-12);
}

TEST_F(PlotterWidget, InstallingWithoutResetAddsALevelAsGivenAndResetStartsAgain) {
    // 0.25 to 0.43 in nine ticks would round out to 0.24 to 0.44 in ten: it is kept as asked,
    // with its own range as the pan limits.
    plotter.setPlotSettings(PlotSettings(0.25, 0.43, 9, 0.25, 0.43, 9), false);
    EXPECT_EQ(plotter.zoomLevelCount(), 2);
    EXPECT_EQ(plotter.zoomLevel(), 1);
    EXPECT_DOUBLE_EQ(plotter.plotSettings().minX, 0.25);
    EXPECT_DOUBLE_EQ(plotter.plotSettings().maxY, 0.43);
    EXPECT_EQ(plotter.plotSettings().numXTicks, 9);
    EXPECT_DOUBLE_EQ(plotter.plotSettings().panMaxX, 0.43);
    EXPECT_TRUE(plotter.zoomOutButton()->isEnabled());
    plotter.zoomOut();
    EXPECT_DOUBLE_EQ(plotter.plotSettings().maxX, 1.0) << "the level below is untouched";
    plotter.zoomIn();
    EXPECT_DOUBLE_EQ(plotter.plotSettings().maxX, 0.43);
    plotter.setPlotSettings(PlotSettings(0.0, 0.9, 9, 0.0, 0.9, 9), true);
    EXPECT_EQ(plotter.zoomLevelCount(), 1);
    EXPECT_EQ(plotter.plotSettings().numXTicks, 9);  // the unzoomed view is shown as given
    EXPECT_DOUBLE_EQ(plotter.plotSettings().maxX, 0.9);
    EXPECT_FALSE(plotter.zoomOutButton()->isEnabled());
}

TEST_F(PlotterWidget, AFrozenPlotterKeepsItsPictureUntilReleased) {
    const qint64 before = plotter.pixmap().cacheKey();
    plotter.setFreeze(true);
    plotter.setCaption(QStringLiteral("Frozen"));
    plotter.setShowGrid(false);
    EXPECT_EQ(plotter.pixmap().cacheKey(), before);
    const QImage old = plotter.pixmap().toImage();
    plotter.setFreeze(false);
    EXPECT_NE(plotter.pixmap().toImage(), old);
}

TEST_F(PlotterWidget, MarginsGrowForAxisTitlesAndWideNumbers) {
    const int left = plotter.leftMargin();
    const int bottom = plotter.bottomMargin();
    plotter.setYAxisTitle(QStringLiteral("Output Luminance"));
    plotter.setXAxisTitle(QStringLiteral("Input Level"));
    EXPECT_GT(plotter.leftMargin(), left);
    EXPECT_GT(plotter.bottomMargin(), bottom);
    plotter.setShowAxisTitles(false);
    EXPECT_EQ(plotter.leftMargin(), left);
    plotter.setPlotSettings(PlotSettings(0.0, 1.0, 5, 0.0, 100000.0, 5));
    EXPECT_GT(plotter.leftMargin(), left);
}

}  // namespace

namespace {

// A diagram laid out while its page is hidden (a wizard's later pages) gets a size from the
// layout that is not square; it must still be drawn at the square size it keeps.
TEST(PlotterLayout, ADiagramLaidOutWhileHiddenIsDrawnAtItsFinalSquareSize) {
    QWidget page;
    auto* layout = new QHBoxLayout(&page);
    auto* plotter = new Plotter;
    layout->addWidget(plotter);
    page.resize(460, 400);
    layout->activate();
    page.show();
    QApplication::processEvents();
    EXPECT_EQ(plotter->width(), plotter->height());
    EXPECT_EQ(plotter->pixmap().size(), plotter->size() * plotter->pixmap().devicePixelRatio());
}

}  // namespace
