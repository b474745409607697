#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "support/qt_printers.h"
#include "ui/display_config/display_configuration_widget.h"

namespace {

using Item = TW_display_configuration_widget::display_item;

Item item(int left, int top, int width, int height, bool selected = false) {
    Item out;
    out.left = left;
    out.top = top;
    out.right = left + width - 1;
    out.bottom = top + height - 1;
    out.title = QStringLiteral("Display");
    out.selected = selected;
    return out;
}

struct DisplayLayoutPicture : ::testing::Test {
    void TearDown() override {
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window was left open";
    }
    // The widget as it paints itself at its present size.
    static QImage painted(TW_display_configuration_widget& widget) {
        return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
};

TEST_F(DisplayLayoutPicture, ASingleDisplayFillsTheWidgetWhateverItsDesktopPlace) {
    TW_display_configuration_widget widget;
    widget.resize(256, 144);
    widget.set_items({item(1920, -300, 2560, 1440)});
    EXPECT_EQ(widget.scaled_rectangle(0), QRect(0, 0, 256, 144));
    EXPECT_EQ(widget.drawn_rectangle(0), QRect(4, 4, 247, 135));

    // A wider widget: the height limits the scale and the display keeps its shape.
    widget.resize(400, 144);
    EXPECT_EQ(widget.scaled_rectangle(0), QRect(0, 0, 256, 144));
    const QImage image = painted(widget);
    EXPECT_EQ(at(image, 12, 12), QColor(96, 96, 96)) << "unselected displays are gray";
    EXPECT_EQ(at(image, 4, 70), QColor(Qt::white)) << "with a white outline";
    EXPECT_EQ(at(image, 1, 70), widget.palette().color(QPalette::Window))
        << "outside the inset the background shows";
    EXPECT_EQ(at(image, 330, 70), widget.palette().color(QPalette::Window));
}

TEST_F(DisplayLayoutPicture, TheSelectedDisplayIsHighlightedWithAWideOutline) {
    TW_display_configuration_widget widget;
    widget.resize(300, 100);
    widget.set_items({item(0, 0, 1500, 1000), item(1500, 0, 1500, 1000, true)});
    const QRect r = widget.drawn_rectangle(1);
    const QImage image = painted(widget);
    const QColor highlight = widget.palette().color(QPalette::Highlight);
    EXPECT_EQ(at(image, r.left() + 12, r.top() + 12), highlight);
    EXPECT_EQ(at(image, r.left(), r.center().y()), QColor(Qt::white));
    // The 9-pixel outline reaches past the 3-pixel white one on both sides.
    EXPECT_EQ(at(image, r.left() - 3, r.center().y()), highlight);
    EXPECT_EQ(at(image, r.left() + 3, r.center().y()), highlight);
    EXPECT_EQ(at(image, widget.drawn_rectangle(0).left() + 12, 20), QColor(96, 96, 96));
}

TEST_F(DisplayLayoutPicture, ClicksHitTheFirstDisplayUnderTheLeftButtonOnly) {
    TW_display_configuration_widget widget;
    widget.resize(400, 100);
    // Two displays side by side and a third below the second.
    widget.set_items({item(0, 0, 1000, 500), item(1000, 0, 1000, 500), item(1000, 500, 1000, 500)});
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QSignalSpy clicked(&widget, &TW_display_configuration_widget::clicked_display);

    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.drawn_rectangle(2).center());
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.drawn_rectangle(0).topLeft());
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 2);
    EXPECT_EQ(clicked.at(1).at(0).toInt(), 0);

    // The seam between displays 0 and 1, and the margin around the picture.
    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(widget.scaled_rectangle(1).left(), 20));
    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(&widget, Qt::RightButton, {}, widget.drawn_rectangle(1).center());
    QTest::mouseClick(&widget, Qt::MiddleButton, {}, widget.drawn_rectangle(1).center());
    EXPECT_EQ(clicked.count(), 2);

    // A selected display answers over its whole area, margin included.
    widget.set_items(
        {item(0, 0, 1000, 500), item(1000, 0, 1000, 500, true), item(1000, 500, 1000, 500)});
    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(widget.scaled_rectangle(1).left(), 20));
    ASSERT_EQ(clicked.count(), 3);
    EXPECT_EQ(clicked.at(2).at(0).toInt(), 1);
    EXPECT_EQ(widget.item_at(QPoint(widget.scaled_rectangle(1).left() - 1, 20)), -1)
        << "display 0's own margin is still free";
    widget.close();
}

TEST_F(DisplayLayoutPicture, BoundsCoverEveryDisplayAndNoDisplayDrawsNothing) {
    TW_display_configuration_widget widget;
    EXPECT_EQ(widget.sizeHint(), QSize(80, 60));
    EXPECT_EQ(widget.minimumSizeHint(), QSize(80, 60));
    // 224 x 100 pixels for a 4480 x 1440 desktop: one pixel per 20 desktop pixels.
    widget.resize(224, 100);
    widget.set_items({item(-1920, 200, 1920, 1080), item(0, 0, 2560, 1440)});
    EXPECT_EQ(widget.bounding_rectangle(), QRect(-1920, 0, 4480, 1440));
    EXPECT_EQ(widget.scaled_rectangle(0), QRect(0, 10, 96, 54));
    EXPECT_EQ(widget.scaled_rectangle(1), QRect(96, 0, 128, 72));

    widget.set_items({});
    EXPECT_EQ(widget.item_at(QPoint(50, 50)), -1);
    EXPECT_TRUE(widget.scaled_rectangle(0).isNull());
    const QImage image = painted(widget);
    EXPECT_EQ(at(image, 100, 50), widget.palette().color(QPalette::Window));
}

}  // namespace
