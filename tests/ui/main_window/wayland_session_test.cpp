#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "core/master_control.h"
#include "core/monitor_tracker.h"
#include "core/preferences.h"
#include "core/settings_paths.h"
#include "support/test_environment.h"
#include "ui/main_window/main_dialog.h"
#include "ui/patterns/test_pattern_drawing.h"
#include "ui/patterns/tw_test_pattern_dialog.h"
#include "ui/patterns/tw_test_pattern_widget.h"

// Run by the CTest entries ui_wayland_session(_scaled) inside a headless weston
// (tests/support/headless_weston.sh); the ordinary run leaves these out.
namespace {

// weston's own screenshot of its whole output (weston --debug), kept under a name of its own
// where ORVALE_SCREENSHOT_DIR says, so a person can look at it.
QImage screenshot(const QString& name) {
    QTemporaryDir folder;
    QProcess tool;
    tool.setWorkingDirectory(folder.path());
    tool.start(QStringLiteral("weston-screenshooter"), {});
    if (!tool.waitForFinished(20000) || tool.exitCode() != 0) {
        ADD_FAILURE() << "weston-screenshooter: " << tool.readAllStandardError().toStdString();
        return QImage();
    }
    const QStringList shots = QDir(folder.path()).entryList({QStringLiteral("*.png")});
    if (shots.size() != 1) {
        ADD_FAILURE() << "expected one screenshot, found " << shots.size();
        return QImage();
    }
    const QString shot = folder.path() + QLatin1Char('/') + shots.front();
    const QString keep = qEnvironmentVariable("ORVALE_SCREENSHOT_DIR");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        QFile::remove(keep + QLatin1Char('/') + name);
        QFile::copy(shot, keep + QLatin1Char('/') + name);
    }
    return QImage(shot).convertToFormat(QImage::Format_RGB32);
}

// Lets the compositor draw what the client committed before the screenshot copies it.
void settle_frames() {
    QTest::qWait(300);
}

class WaylandInASession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"))
            << "run through tests/support/headless_weston.sh";
        ASSERT_FALSE(QGuiApplication::screens().isEmpty());
    }
};

constexpr const char* kOneMonitor = R"({"state_file": "STATE", "monitors": [
    {"id": "a", "model": "KX271W", "serial": "71000001", "memories": 1, "usb": true}]})";

TEST_F(WaylandInASession, TheMainWindowShowsAndLeavesTheStoredPositionAlone) {
    QTemporaryDir dir;
    QFile::remove(preferences_file_path());
    QFile::remove(config_file_path());
    const QString config = dir.path() + QStringLiteral("/sim.json");
    ASSERT_TRUE(testing_support::write_file(
        config, QByteArray(kOneMonitor)
                    .replace("STATE", (dir.path() + QStringLiteral("/state.json")).toUtf8())));
    qputenv("ORVALE_SIM_CONFIG", config.toUtf8());
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                box->done(QMessageBox::Ok);
        }
    });
    closer.start(5);
    // A position stored in an X11 session: a Wayland client can neither use nor replace it.
    const QPoint stored(321, 123);
    {
        MasterControl::set_window_factories([] { return new main_dialog(); },
                                            [](QWidget*) { return nullptr; });
        MasterControl master;
        master.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return master.startup_processed(); }, 60000));
        master.preferences().set_main_window_position(stored);
        auto* window = qobject_cast<main_dialog*>(master.main_window());
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        settle_frames();
        const QImage shot = screenshot(QStringLiteral("wayland_main_window.png"));
        ASSERT_FALSE(shot.isNull());
        // The colour the window itself draws most (its background) is on the output as often
        // as in the window: the compositor shows the window, whole.
        const QImage own = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QHash<QRgb, qint64> counts;
        for (int y = 0; y < own.height(); ++y) {
            for (int x = 0; x < own.width(); ++x)
                ++counts[own.pixel(x, y)];
        }
        QRgb background = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > counts.value(background)) background = it.key();
        }
        qint64 covered = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                covered += shot.pixel(x, y) == background;
        }
        EXPECT_GE(covered, counts.value(background)) << qPrintable(QColor(background).name());
        window->close();
        EXPECT_EQ(master.preferences().main_window_position(), stored);
    }
    qunsetenv("ORVALE_SIM_CONFIG");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

// Full screen on the output through the compositor, and TG18-QC in device pixels: what weston
// shows is, pixel for pixel, the pattern drawn for the output's size in device pixels.
TEST_F(WaylandInASession, ThePatternWindowFillsTheOutputInDevicePixels) {
    QScreen* screen = QGuiApplication::screens().back();
    {
        test_pattern_dialog_class dialog;
        ASSERT_TRUE(dialog.show_over(screen->geometry(), test_patterns::kTg18Pattern, true));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isFullScreen(); }, 5000));
        EXPECT_EQ(dialog.windowHandle()->screen(), screen);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.size() == screen->size(); }, 5000))
            << dialog.width() << "x" << dialog.height();
        settle_frames();
        const QImage shot =
            screenshot(QStringLiteral("wayland_tg18_qc_x%1.png").arg(dialog.devicePixelRatioF()));
        ASSERT_FALSE(shot.isNull());
        const QImage expected =
            test_patterns::render_pattern(shot.size(), dialog.devicePixelRatioF(),
                                          test_patterns::kTg18Pattern,
                                          dialog.pattern_widget()->quality_chart())
                .convertToFormat(QImage::Format_RGB32);
        qint64 different = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                different += (shot.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF);
        }
        EXPECT_EQ(different, 0) << "of " << shot.width() * shot.height();
        // Escape leaves, as everywhere else.
        QTest::keyClick(dialog.pattern_widget(), Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 2000));
    }
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

}  // namespace
