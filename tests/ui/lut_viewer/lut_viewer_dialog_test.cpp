#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "ui/lut_viewer/gl_widget.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"

namespace {

class LutViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(preferences_file_path());
        master = std::make_unique<MasterControl>();
    }
    void TearDown() override {
        master.reset();
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window was left behind";
    }
    Preferences& preferences() { return master->preferences(); }

    std::unique_ptr<MasterControl> master;
};

TEST_F(LutViewerTest, RotationSettersNormaliseAndSignalOnlyRealChanges) {
    GLWidget widget;
    EXPECT_EQ(widget.xRotation(), 5630) << "the initial tilt of -130";
    EXPECT_EQ(widget.yRotation(), 0);
    QSignalSpy x_changed(&widget, &GLWidget::xRotationChanged);
    QSignalSpy z_changed(&widget, &GLWidget::zRotationChanged);
    widget.setXRotation(5630 - 5760);
    EXPECT_EQ(x_changed.count(), 0) << "the same angle once normalised";
    widget.setXRotation(-16);
    ASSERT_EQ(x_changed.count(), 1);
    EXPECT_EQ(x_changed.takeFirst().at(0).toInt(), 5744);
    widget.setZRotation(6000);
    ASSERT_EQ(z_changed.count(), 1);
    EXPECT_EQ(widget.zRotation(), 240);
}

TEST_F(LutViewerTest, EachTickAddsTheSpinSpeeds) {
    GLWidget widget;
    EXPECT_FALSE(widget.spinning()) << "nothing turns while hidden";
    EXPECT_EQ(widget.xSpeed(), 0);
    EXPECT_EQ(widget.ySpeed(), 8);
    for (int i = 0; i < 3; ++i)
        widget.advanceGears();
    EXPECT_EQ(widget.yRotation(), 24);
    EXPECT_EQ(widget.xRotation(), 5630);
}

TEST_F(LutViewerTest, DraggingTurnsAndSetsTheSpinAClickWithoutMovingStopsIt) {
    GLWidget widget;
    widget.resize(200, 200);
    QTest::mousePress(&widget, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::mouseMove(&widget, QPoint(53, 48));
    EXPECT_EQ(widget.yRotation(), 8 * 3);
    EXPECT_EQ(widget.xRotation(), 5630 - 8 * 2);
    EXPECT_EQ(widget.xSpeed(), -2);
    EXPECT_EQ(widget.ySpeed(), 3);
    QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, QPoint(53, 48));
    EXPECT_EQ(widget.ySpeed(), 3) << "released elsewhere, the lattice keeps turning";
    widget.advanceGears();
    EXPECT_EQ(widget.yRotation(), 8 * 3 + 3);

    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, QPoint(120, 80));
    EXPECT_EQ(widget.xSpeed(), 0);
    EXPECT_EQ(widget.ySpeed(), 0);
    const int y_before = widget.yRotation();
    widget.advanceGears();
    EXPECT_EQ(widget.yRotation(), y_before);
}

TEST_F(LutViewerTest, RightDragTurnsAboutTheViewingAxisAndLongDragsWrap) {
    GLWidget widget;
    widget.resize(400, 400);
    QTest::mousePress(&widget, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(&widget, QPoint(30, 10));
    EXPECT_EQ(widget.zRotation(), 160);
    EXPECT_EQ(widget.yRotation(), 0);
    QTest::mouseRelease(&widget, Qt::RightButton, Qt::NoModifier, QPoint(30, 10));

    QTest::mousePress(&widget, Qt::LeftButton, Qt::NoModifier, QPoint(0, 200));
    int x = 0;
    for (int step = 0; step < 10; ++step) {  // 10 x 80 px x 8 = 6400 sixteenths, past 360 degrees
        x += 80;
        QTest::mouseMove(&widget, QPoint(x, 200));
    }
    EXPECT_EQ(widget.yRotation(), 6400 - 5760);
    QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, QPoint(x, 200));
}

TEST_F(LutViewerTest, ATableIsKeptWholeUntilTheNextReplacesIt) {
    view_3d_lut_dialog dialog;
    EXPECT_FALSE(dialog.has_data()) << "nothing to draw before the first table";
    EmulationLut::Table table = EmulationLut().table();
    table[100] = {1, 2, 3};
    dialog.set_3d_lut(table);
    EXPECT_TRUE(dialog.has_data());
    EXPECT_EQ(dialog.lut_data()[100], (ThreeD_LUT_Point{1, 2, 3}));
    dialog.set_3d_lut(lut_geometry::identity_points());
    EXPECT_EQ(dialog.lut_data(), lut_geometry::identity_points());

    // The view takes the same table when it exists.
    GLWidget widget;
    EXPECT_FALSE(widget.has_data());
    widget.set_3d_lut_data(dialog.lut_data());
    EXPECT_TRUE(widget.has_data());
    EXPECT_EQ(widget.lut_data(), lut_geometry::identity_points());
}

TEST_F(LutViewerTest, TheDialogIsASquareWindowTitled3dLutWithoutHelpButton) {
    view_3d_lut_dialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("3D LUT"));
    EXPECT_EQ(dialog.size(), QSize(370, 370));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(dialog.layout()->spacing(), 6);
    EXPECT_EQ(dialog.layout()->contentsMargins(), QMargins(11, 11, 11, 11));
    ASSERT_EQ(dialog.layout()->count(), 1) << "one child fills the window";
    // This platform offers no OpenGL: a note stands where the view would be, and the window
    // can be shown and painted without it.
    ASSERT_FALSE(view_3d_lut_dialog::opengl_available());
    EXPECT_EQ(dialog.gl_widget(), nullptr);
    EXPECT_NE(dialog.findChild<QLabel*>(QStringLiteral("no_opengl_label")), nullptr);
    dialog.show();
    dialog.repaint();
    QApplication::processEvents();
    dialog.hide();
}

TEST_F(LutViewerTest, HidingTellsTheWizardAndKeepsThePositionForTheNextShow) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint place = screen.topLeft() + QPoint(140, 90);
    {
        view_3d_lut_dialog dialog;
        QSignalSpy hidden(&dialog, &view_3d_lut_dialog::hide_Event);
        dialog.show();
        dialog.move(place);
        dialog.hide();
        EXPECT_EQ(hidden.count(), 1);
    }
    EXPECT_EQ(preferences().lut_viewer_position(), place);

    view_3d_lut_dialog again;
    EXPECT_EQ(again.pos(), place) << "constructed at the stored place";
    again.move(screen.topLeft() + QPoint(300, 300));
    again.show();
    EXPECT_EQ(again.pos(), place) << "and shown there";
    again.hide();
}

TEST_F(LutViewerTest, PositionsOffEveryScreenOrNotStoredAreNotUsed) {
    preferences().set_lut_viewer_position(QPoint(Preferences::kNoPosition, 40));
    view_3d_lut_dialog none;
    EXPECT_NE(none.pos().x(), Preferences::kNoPosition);

    preferences().set_lut_viewer_position(QPoint(-20000, -20000));
    view_3d_lut_dialog off_screen;
    EXPECT_NE(off_screen.pos(), QPoint(-20000, -20000));

    // A position at a zero coordinate is not stored.
    preferences().set_lut_viewer_position(QPoint(77, 77));
    view_3d_lut_dialog dialog;
    dialog.show();
    dialog.move(QPoint(0, 50));
    dialog.hide();
    EXPECT_EQ(preferences().lut_viewer_position(), QPoint(77, 77));
}

}  // namespace
