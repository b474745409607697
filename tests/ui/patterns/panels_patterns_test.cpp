#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "ui/patterns/test_pattern_drawing.h"
#include "ui/patterns/tw_test_pattern_dialog.h"
#include "ui/patterns/tw_test_pattern_widget.h"

namespace {

using namespace test_patterns;

QImage render(QSize size, int pattern, const QImage& chart = QImage()) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QPainter painter(&image);
    draw_pattern(painter, size, pattern, chart);
    return image;
}

int grey_at(const QImage& image, QPoint p) {
    const QRgb c = image.pixel(p);
    EXPECT_EQ(qRed(c), qGreen(c)) << p.x() << "," << p.y();
    EXPECT_EQ(qGreen(c), qBlue(c)) << p.x() << "," << p.y();
    return qRed(c);
}

// The first and last columns of row y that are not black.
std::pair<int, int> lit_span(const QImage& image, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if ((image.pixel(x, y) & 0xFFFFFF) != 0) {
            if (first < 0) first = x;
            last = x;
        }
    }
    return {first, last};
}

struct Patterns : ::testing::Test {
    void TearDown() override { EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()); }
};

TEST_F(Patterns, OnA1920PixelWidgetTheRampBandIs1792PixelsAndCentred) {
    TW_test_pattern_widget widget;
    widget.resize(1920, 1080);
    widget.SetTestPattern(kGreyWedgePattern);
    const QImage image = widget.grab().toImage();
    ASSERT_EQ(image.width(), 1920);
    // Level 255 at the left end down to 0: the last band is black, so the lit part is 255
    // bands of 7 pixels from x0 = 960 - 896 = 64.
    const auto [first, last] = lit_span(image, 500);
    EXPECT_EQ(first, 64);
    EXPECT_EQ(last, 64 + 255 * 7 - 1);
    EXPECT_EQ(grey_at(image, {64, 10}), 255);
    EXPECT_EQ(grey_at(image, {64 + 6, 10}), 255) << "each level is 7 pixels wide";
    EXPECT_EQ(grey_at(image, {64 + 7, 10}), 254);
    EXPECT_EQ(grey_at(image, {64 + 1792 - 1, 10}), 0);
    const RampBand band = ramp_band(1920);
    EXPECT_EQ(band.width(), 1792);
    EXPECT_EQ(band.x0 + band.width() / 2, 960);
}

TEST_F(Patterns, DoubleWedgesMeetInBlackAtTheCentre) {
    // 2600 pixels: 10 per level, and 20 pixels of black either side of the band.
    for (const auto& [pattern, level] :
         {std::pair{kDouble100Pattern, 255}, {kDouble25Pattern, 64}}) {
        const QImage image = render({2600, 1440}, pattern);
        const RampBand band = ramp_band(2600);
        ASSERT_EQ(band.step, 10);
        ASSERT_EQ(band.x0, 20);
        SCOPED_TRACE(level);
        EXPECT_EQ(grey_at(image, {band.x0, 700}), level);
        EXPECT_EQ(grey_at(image, {1299, 700}), 0);
        EXPECT_EQ(grey_at(image, {1300, 700}), 0);
        EXPECT_EQ(grey_at(image, {1300 + 128 * band.step - 1, 700}), level);
        EXPECT_EQ(grey_at(image, {band.x0 - 1, 700}), 0) << "outside the band";
        EXPECT_EQ(grey_at(image, {1300 + 128 * band.step, 700}), 0);
    }
}

TEST_F(Patterns, ColourWedgesAreFourteenRowsOfSevenColourPairs) {
    const QSize size(1920, 1200);
    const QImage image = render(size, kColorWedgesPattern);
    const int a = 1200 / 14;
    const int top = 600 - 7 * a;
    const RampBand band = ramp_band(1920);
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(255, 0, 0),   qRgb(0, 255, 0),
                            qRgb(0, 0, 255),     qRgb(255, 255, 0), qRgb(0, 255, 255),
                            qRgb(255, 0, 255)};
    for (int row = 0; row < 14; ++row) {
        const int y = top + row * a + a / 2;
        const QRgb full = colours[row / 2];
        const QRgb left = image.pixel(band.x0, y) & 0xFFFFFF;
        const QRgb right = image.pixel(band.x0 + band.width() - 1, y) & 0xFFFFFF;
        SCOPED_TRACE(row);
        EXPECT_EQ(left, row % 2 == 0 ? (full & 0xFFFFFF) : 0u);
        EXPECT_EQ(right, row % 2 == 0 ? 0u : (full & 0xFFFFFF));
    }
    EXPECT_EQ(image.pixel(band.x0, top - 1) & 0xFFFFFF, 0u) << "black above the block";
}

TEST_F(Patterns, Tg18QcHasTheDescribedLevelsWhereTheyBelong) {
    const QSize size(2560, 1440);
    const QImage image = render(size, kTg18Pattern);
    const QPoint o = tg18::origin(size);
    EXPECT_EQ(o, QPoint(768, 208));
    EXPECT_EQ(grey_at(image, {5, 5}), 128) << "the background";
    for (int k = 0; k < tg18::kPatchCount; ++k) {
        const QRect patch = tg18::patch_rect(size, k);
        SCOPED_TRACE(k);
        EXPECT_EQ(patch.size(), QSize(100, 100));
        EXPECT_EQ(grey_at(image, patch.center()), 8 + 16 * k);
        // Corner squares just off the patch level, for the just-noticeable-contrast check.
        const int corner = grey_at(image, patch.topLeft() + QPoint(10, 10));
        EXPECT_EQ(std::abs(corner - (8 + 16 * k)), 4);
        const int other = grey_at(image, patch.topRight() + QPoint(-10, 10));
        EXPECT_EQ(other + corner, 2 * (8 + 16 * k)) << "one darker, one lighter";
        // Patches lie inside the 1024 layout and do not overlap the next one.
        EXPECT_TRUE(QRect(o, QSize(1024, 1024)).contains(patch));
        for (int j = 0; j < k; ++j)
            EXPECT_FALSE(patch.intersects(tg18::patch_rect(size, j)));
    }
    const QRect black = tg18::black_square(size);
    const QRect white = tg18::white_square(size);
    EXPECT_EQ(grey_at(image, black.topLeft() + QPoint(3, 3)), 0);
    EXPECT_EQ(grey_at(image, white.topLeft() + QPoint(3, 3)), 255);
    EXPECT_EQ(grey_at(image, {black.left() + 27, black.center().y()}), 13);
    EXPECT_EQ(grey_at(image, {black.right() - 27, black.center().y()}), 6);
    EXPECT_EQ(grey_at(image, {white.right() - 27, white.center().y()}), 248);
    // Background and grid: a grid line through the centre and every 102 pixels.
    EXPECT_EQ(grey_at(image, {1280, 30}), 191);
    EXPECT_EQ(grey_at(image, {1280 + 102, 30}), 191);
    EXPECT_EQ(grey_at(image, {1281, 30}), 128);
    EXPECT_EQ(grey_at(image, {30, 720}), 191);
    // The ramps: all 256 levels, 2 pixels each, between y 256 and 768 of the layout.
    for (int level : {0, 1, 127, 200, 255}) {
        const int y = o.y() + 256 + 2 * level;
        EXPECT_EQ(grey_at(image, {o.x() + 26, y}), level);
        EXPECT_EQ(grey_at(image, {o.x() + 89, y + 1}), level);
        EXPECT_EQ(grey_at(image, {o.x() + 934, y}), 255 - level);
        EXPECT_EQ(grey_at(image, {o.x() + 997, y}), 255 - level);
    }
    EXPECT_NE(grey_at(image, {o.x() + 40, o.y() + 255}), 0) << "the ramp starts at y 256";
}

TEST_F(Patterns, QualityControlTilesTheChartsOuterThirds) {
    TW_test_pattern_widget widget;
    const QImage& chart = widget.quality_chart();
    ASSERT_FALSE(chart.isNull()) << "the IT8-3 chart is in the resources";
    const QRect dark = quality_region(chart, false);
    const QRect light = quality_region(chart, true);
    EXPECT_EQ(dark, QRect(0, 0, chart.width() / 3, chart.height()));
    EXPECT_EQ(light.left(), 2 * chart.width() / 3 + 1);
    EXPECT_EQ(light.width(), chart.width() / 3 - 2);
    const QSize size(1000, 700);
    for (const bool white : {false, true}) {
        const QImage image =
            render(size, white ? kWhiteQualityPattern : kBlackQualityPattern, chart);
        const QRect region = white ? light : dark;
        SCOPED_TRACE(white);
        for (const QPoint p : {QPoint(0, 0), QPoint(30, 20), QPoint(region.width() + 30, 20),
                               QPoint(30, region.height() + 20)}) {
            const QPoint source(region.left() + p.x() % region.width(), p.y() % region.height());
            EXPECT_EQ(image.pixel(p), chart.pixel(source)) << p.x() << "," << p.y();
        }
    }
}

TEST_F(Patterns, SolidPatternsFillTheWholeWidget) {
    const std::pair<int, QRgb> cases[] = {{1, qRgb(0, 0, 0)},       {2, qRgb(64, 64, 64)},
                                          {3, qRgb(128, 128, 128)}, {4, qRgb(191, 191, 191)},
                                          {5, qRgb(255, 255, 255)}, {6, qRgb(255, 0, 0)},
                                          {9, qRgb(255, 255, 0)},   {11, qRgb(255, 0, 255)}};
    for (const auto& [pattern, colour] : cases) {
        const QImage image = render({300, 200}, pattern);
        EXPECT_EQ(image.pixel(0, 0), colour) << pattern;
        EXPECT_EQ(image.pixel(299, 199), colour) << pattern;
    }
}

TEST_F(Patterns, NavigationWrapsAroundAndTheCaptionFollows) {
    TW_test_pattern_widget widget;
    EXPECT_EQ(widget.pattern(), 0);
    EXPECT_EQ(
        widget.getPatternName(),
        QStringLiteral("<html><b><font COLOR=white>Pattern #1: TG18-QC Pattern</font></b></html>"));
    widget.previous_test_pattern();
    EXPECT_EQ(widget.pattern(), 17);
    EXPECT_TRUE(
        widget.getPatternName().contains(QStringLiteral("Pattern #18: White Quality Control")));
    widget.next_test_pattern();
    EXPECT_EQ(widget.pattern(), 0);
    widget.SetTestPattern(17);
    widget.next_test_pattern();
    EXPECT_EQ(widget.pattern(), 0);
    widget.SetTestPattern(99);
    EXPECT_EQ(widget.pattern(), 0) << "only the sequence's patterns";
    EXPECT_TRUE(caption_template(18).contains(QStringLiteral("COLOR=yellow")));
}

struct PatternDialog : ::testing::Test {
    std::unique_ptr<tw_test_pattern_dialog> owner = std::make_unique<tw_test_pattern_dialog>();
    tw_test_pattern_dialog& dialog = *owner;
    QToolButton* button(const char* name) { return dialog.findChild<QToolButton*>(name); }
    QLabel* caption() { return dialog.findChild<QLabel*>("test_pattern_label"); }
    void activity() {
        QTest::mouseMove(dialog.pattern_widget(), QPoint(200, 200));
        dialog.pattern_widget()->reset_timer();
    }
    void SetUp() override {
        dialog.resize(800, 600);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void TearDown() override {
        owner.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
};

TEST_F(PatternDialog, WithControlsDisabledActivityNeverShowsTheCaption) {
    dialog.enable_controls(false);
    dialog.enable_close_control(true);
    activity();
    EXPECT_FALSE(caption()->isVisible());
    EXPECT_FALSE(button("test_pattern_next_toolButton")->isVisible());
    EXPECT_FALSE(button("test_pattern_previous_toolButton")->isVisible());
    EXPECT_TRUE(button("test_pattern_close_toolButton")->isVisible());
    dialog.enable_controls(true);
    EXPECT_TRUE(caption()->isVisible()) << "enabling applies to controls already shown";
    dialog.enable_close_control(false);
    EXPECT_FALSE(button("test_pattern_close_toolButton")->isVisible());
}

TEST_F(PatternDialog, ControlsHideFourSecondsAfterTheLastActivity) {
    dialog.enable_controls(true);
    QSignalSpy shows(dialog.pattern_widget(), &TW_test_pattern_widget::show_controls);
    activity();
    ASSERT_TRUE(caption()->isVisible());
    ASSERT_GE(shows.count(), 1);
    EXPECT_TRUE(shows.first().at(0).toBool());
    const int after_first = static_cast<int>(shows.count());
    QTest::qWait(1500);
    activity();  // restarts the 4 s without showing again
    EXPECT_EQ(shows.count(), after_first) << "already shown";
    QTest::qWait(3000);
    EXPECT_TRUE(caption()->isVisible()) << "4.5 s after the first activity, 3 s after the last";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !caption()->isVisible(); }, 1500));
    EXPECT_FALSE(shows.last().at(0).toBool());
}

TEST_F(PatternDialog, ButtonsAndShortcutsStepAndUpdateTheCaption) {
    dialog.enable_controls(true);
    activity();
    dialog.SetTestPattern(17);
    button("test_pattern_next_toolButton")->click();
    EXPECT_EQ(dialog.pattern_widget()->pattern(), 0);
    EXPECT_EQ(caption()->text(), dialog.pattern_widget()->getPatternName());
    EXPECT_TRUE(caption()->isVisible());
    button("test_pattern_previous_toolButton")->click();
    EXPECT_EQ(dialog.pattern_widget()->pattern(), 17);
    EXPECT_EQ(button("test_pattern_next_toolButton")->shortcut(),
              QKeySequence(QStringLiteral("]")));
    EXPECT_EQ(button("test_pattern_previous_toolButton")->shortcut(),
              QKeySequence(QStringLiteral("[")));
    EXPECT_FALSE(button("test_pattern_close_toolButton")->accessibleName().isEmpty());
}

TEST_F(PatternDialog, BracketKeysStepWithTheControlsHiddenOnlyWhenControlsAreEnabled) {
    dialog.enable_controls(true);
    dialog.SetTestPattern(5);
    dialog.show_controls(false);  // as the controls timer leaves them
    ASSERT_FALSE(button("test_pattern_next_toolButton")->isVisible());
    QTest::keyClick(dialog.pattern_widget(), Qt::Key_BracketRight);
    EXPECT_EQ(dialog.pattern_widget()->pattern(), 6) << "the first key steps, not only shows";
    EXPECT_EQ(caption()->text(), dialog.pattern_widget()->getPatternName());
    dialog.show_controls(false);
    QTest::keyClick(dialog.pattern_widget(), Qt::Key_BracketLeft);
    QTest::keyClick(dialog.pattern_widget(), Qt::Key_BracketLeft);
    EXPECT_EQ(dialog.pattern_widget()->pattern(), 4) << "one step per key, shown or hidden";

    // Where the dialog offers no stepping (the uniformity check's white), the keys keep it.
    dialog.enable_controls(false);
    QTest::keyClick(dialog.pattern_widget(), Qt::Key_BracketRight);
    EXPECT_EQ(dialog.pattern_widget()->pattern(), 4);
}

TEST_F(PatternDialog, EscapeAndTheCloseButtonHideItAndSayHidden) {
    QSignalSpy hidden(&dialog, &tw_test_pattern_dialog::hidden);
    // Frameless, yet a window the window manager focuses and closes (see the window manager
    // tests): a splash screen it would pass over.
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::SplashScreen));
    QTest::keyClick(dialog.pattern_widget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(hidden.count(), 1);
    dialog.show();
    dialog.enable_close_control(true);
    activity();
    button("test_pattern_close_toolButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(hidden.count(), 2);
}

}  // namespace
