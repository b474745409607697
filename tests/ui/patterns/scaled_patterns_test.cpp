#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include "ui/patterns/test_pattern_drawing.h"
#include "ui/patterns/tw_test_pattern_widget.h"

// Run by the CTest entry ui_patterns_scaled with QT_SCALE_FACTOR=2: a desktop scaled to 2x.
namespace {

using namespace test_patterns;

struct PatternsScaledInASession : ::testing::Test {
    TW_test_pattern_widget widget;
    void SetUp() override {
        ASSERT_EQ(qGuiApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
        widget.resize(1280, 720);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    // What the widget put on screen, in device pixels.
    QImage shown(int pattern) {
        widget.SetTestPattern(pattern);
        const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(image.size(), QSize(2560, 1440));
        return image;
    }
};

TEST_F(PatternsScaledInASession, EveryPatternIsDrawnForTheDevicePixels) {
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        const QImage image = shown(pattern);
        const QImage expected = render_pattern(image.size(), 2.0, pattern, widget.quality_chart())
                                    .convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(image == expected) << "pattern " << pattern + 1;
    }
}

TEST_F(PatternsScaledInASession, Tg18LinePairsAreOneDevicePixelAndLevelsExact) {
    const QImage image = shown(kTg18Pattern);
    const QSize device = image.size();
    // The centre bar group's top-left quadrant: vertical white lines one device pixel wide.
    const QPoint centre(device.width() / 2, device.height() / 2);
    const int y = centre.y() - 40;
    int changes = 0;
    for (int x = centre.x() - 49; x < centre.x() - 2; ++x)
        changes += image.pixel(x, y) != image.pixel(x + 1, y);
    EXPECT_EQ(changes, 47) << "a line pair spread over two device pixels changes half as often";
    for (int k = 0; k < tg18::kPatchCount; ++k) {
        const QRect patch = tg18::patch_rect(device, k);
        const int level = tg18::patch_level(k);
        EXPECT_EQ(image.pixel(patch.center()), qRgb(level, level, level)) << "patch " << k;
        // The low-contrast corner squares keep their exact +-4 at the device pixel.
        const QPoint dark = patch.topLeft() + QPoint(6 + 4, 6 + 4);
        EXPECT_EQ(qRed(image.pixel(dark)), level - tg18::kCornerOffset) << "patch " << k;
    }
}

}  // namespace
