// Draws the 3D LUT view with a real OpenGL context (run under Xvfb with Mesa's software
// renderer) and reads the frame back.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTimer>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "ui/lut_viewer/gl_widget.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"

namespace {

struct FrameCensus {
    int lit = 0;  // not black
    int reddish = 0;
    int greenish = 0;
    int bluish = 0;
};

FrameCensus census(const QImage& frame) {
    FrameCensus c;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QColor p = frame.pixelColor(x, y);
            if (p.red() + p.green() + p.blue() < 30) continue;
            ++c.lit;
            if (p.red() > p.green() + 40 && p.red() > p.blue() + 40) ++c.reddish;
            if (p.green() > p.red() + 40 && p.green() > p.blue() + 40) ++c.greenish;
            if (p.blue() > p.red() + 40 && p.blue() > p.green() + 40) ++c.bluish;
        }
    }
    return c;
}

// Mesa unloads its driver at exit, before the leak checker looks: what the driver keeps for
// the life of the process then shows as leaks nobody can name or suppress. Held resident, its
// allocations are named and the suppressions beside this test apply.
const bool kDriverResident = [] {
    for (const char* driver : {"swrast_dri.so", "kms_swrast_dri.so"})
        dlopen((std::string("/usr/lib/x86_64-linux-gnu/dri/") + driver).c_str(),
               RTLD_NOW | RTLD_NODELETE);
    return true;
}();

class LutRender : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(preferences_file_path());
        master = std::make_unique<MasterControl>();
    }
    void TearDown() override {
        master.reset();
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    std::unique_ptr<MasterControl> master;
};

TEST_F(LutRender, AFrameOfTheIdentityLatticeShowsTheCubesInTheirColours) {
    ASSERT_TRUE(view_3d_lut_dialog::opengl_available());
    view_3d_lut_dialog dialog;
    GLWidget* widget = dialog.gl_widget();
    ASSERT_NE(widget, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(widget->spinning());
    const QImage empty = widget->grabFramebuffer();
    ASSERT_TRUE(widget->can_draw()) << "no compatibility context";
    EXPECT_EQ(census(empty).lit, 0) << "nothing is drawn before the first table";

    dialog.set_3d_lut(lut_geometry::identity_points());
    EXPECT_NE(widget->display_list(), 0u);
    const QImage frame = widget->grabFramebuffer();
    ASSERT_FALSE(frame.isNull());
    const FrameCensus c = census(frame);
    // 729 cubes fill a good part of the square view, and the lattice's red, green and blue
    // corners show in their own colours.
    EXPECT_GT(c.lit, frame.width() * frame.height() / 20) << "lit pixels " << c.lit;
    EXPECT_GT(c.reddish, 20);
    EXPECT_GT(c.greenish, 20);
    EXPECT_GT(c.bluish, 20);
}

TEST_F(LutRender, ANewTableReplacesTheListAndTheFrame) {
    view_3d_lut_dialog dialog;
    GLWidget* widget = dialog.gl_widget();
    ASSERT_NE(widget, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(widget->can_draw());
    // The spin would move the lattice between the two frames.
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    dialog.set_3d_lut(lut_geometry::identity_points());
    const QImage identity = widget->grabFramebuffer();

    // Every node moved onto the grey axis: a thin diagonal line of cubes.
    lut_geometry::Points grey = lut_geometry::identity_points();
    for (auto& p : grey) {
        const int mean = (p.red + p.green + p.blue) / 3;
        p = {mean, mean, mean};
    }
    dialog.set_3d_lut(grey);
    EXPECT_NE(widget->display_list(), 0u);
    const QImage collapsed = widget->grabFramebuffer();
    EXPECT_LT(census(collapsed).lit, census(identity).lit / 2);
    EXPECT_GT(census(collapsed).lit, 0);
}

TEST_F(LutRender, AWindowOwningTheViewerStillPaintsAndRunsItsDialogs) {
    // The wizard owns the viewer: its own window is then composited with the viewer's
    // OpenGL in mind, and its modal progress dialogs must still come and go.
    QDialog owner;
    owner.resize(300, 200);
    auto* viewer = new view_3d_lut_dialog(&owner);
    viewer->set_3d_lut(lut_geometry::identity_points());
    owner.show();
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    QDialog progress(&owner);
    QTimer::singleShot(50, &progress, [&progress] { progress.done(7); });
    EXPECT_EQ(progress.exec(), 7);
    const QImage owner_frame = owner.grab().toImage();
    EXPECT_EQ(owner_frame.size(), owner.size() * owner_frame.devicePixelRatio());
    EXPECT_GT(census(viewer->gl_widget()->grabFramebuffer()).lit, 0);
}

}  // namespace
