// Window positions and stacking under a window manager that decorates windows (openbox on a
// private Xvfb, see with_openbox.sh): what the offscreen platform cannot show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "ui/display_config/display_configuration_dialog.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"
#include "ui/main_window/main_dialog.h"
#include "ui/patterns/tw_test_pattern_dialog.h"
#include "ui/wizard/color_wizard.h"

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(10000)) return QString();
    return QString::fromLatin1(p.readAllStandardOutput());
}

// The window manager has mapped the window and stopped moving it.
bool managed(QWidget& w) {
    if (!QTest::qWaitForWindowExposed(&w, 20000)) return false;
    QRect last = w.geometry();
    for (int stable = 0; stable < 3;) {
        QTest::qWait(50);
        stable = w.geometry() == last ? stable + 1 : 0;
        last = w.geometry();
    }
    return true;
}

// Client windows bottom to top, as the window manager stacks them.
QList<WId> stacking() {
    const QString text =
        run(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<WId> ids;
    const int from = text.indexOf(QLatin1Char('#'));
    if (from < 0) return ids;
    for (const QString& part : text.mid(from + 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids.append(static_cast<WId>(part.trimmed().toULongLong(nullptr, 16)));
    return ids;
}

QString property(QWidget& w, const char* name) {
    return run(QStringLiteral("xprop"),
               {QStringLiteral("-id"), QString::number(w.winId()), QLatin1String(name)});
}

class WindowManager : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(preferences_file_path());
        master_ = std::make_unique<MasterControl>();
        // Without a monitor the wizard's pages report that none answers: closed unread.
        boxes_.setInterval(20);
        QObject::connect(&boxes_, &QTimer::timeout, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                    box->done(QMessageBox::Ok);
            }
        });
        boxes_.start();
    }
    void TearDown() override {
        master_.reset();
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    Preferences& preferences() { return master_->preferences(); }
    std::unique_ptr<MasterControl> master_;
    QTimer boxes_;
};

TEST_F(WindowManager, TheMainWindowOpensAtTheSamePlaceThreeStartsInARow) {
    const QPoint stored(240, 160);
    preferences().set_main_window_position(stored);
    for (int start = 0; start < 3; ++start) {
        main_dialog window;
        window.show();
        ASSERT_TRUE(managed(window)) << start;
        EXPECT_EQ(window.geometry().topLeft(), stored) << start;
    }  // each window stores its place as it goes, as at the end of a run
}

TEST_F(WindowManager, TheWizardOpensAtTheSamePlaceThreeTimesInARow) {
    const QPoint stored(300, 120);
    preferences().set_wizard_position(stored);
    for (int opening = 0; opening < 3; ++opening) {
        color_wizard wizard;
        wizard.show();
        ASSERT_TRUE(managed(wizard)) << opening;
        EXPECT_EQ(wizard.geometry().topLeft(), stored) << opening;
        wizard.reject();
    }
}

TEST_F(WindowManager, TheLutViewerStaysAboveItsWizardWhenNextIsClicked) {
    preferences().set_wizard_position(QPoint(100, 100));
    preferences().set_lut_viewer_position(QPoint(900, 150));
    main_dialog main_window;
    main_window.show();
    ASSERT_TRUE(managed(main_window));
    color_wizard wizard(&main_window);
    wizard.setWindowModality(Qt::ApplicationModal);
    wizard.show();
    ASSERT_TRUE(managed(wizard));
    view_3d_lut_dialog* viewer = wizard.lut_viewer();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    ASSERT_TRUE(managed(*viewer));

    // A click on Next raises the wizard, as the window manager does on a click.
    QAbstractButton* next = wizard.button(QWizard::NextButton);
    ASSERT_TRUE(next->isVisible());
    const QPoint inside = next->mapToGlobal(next->rect().center());
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(inside.x()),
         QString::number(inside.y()), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
    QTest::qWait(200);
    const QList<WId> order = stacking();
    ASSERT_TRUE(order.contains(wizard.winId()));
    ASSERT_TRUE(order.contains(viewer->winId()));
    EXPECT_GT(order.indexOf(viewer->winId()), order.indexOf(wizard.winId()));
    EXPECT_TRUE(viewer->isVisible());
    wizard.reject();
    EXPECT_FALSE(viewer->isVisible());
}

// The test patterns cover a display without a frame; the window manager's close (Alt+F4 in
// openbox) must reach them as it reaches any window. As a splash window the manager never gave
// them the focus, so the close went to the main window behind, which the toolkit keeps closed
// while a modal window is up.
TEST_F(WindowManager, TheWindowManagersCloseEndsTheTestPatterns) {
    main_dialog main_window;
    main_window.show();
    ASSERT_TRUE(managed(main_window));
    test_pattern_dialog_class patterns(&main_window);
    patterns.setWindowModality(Qt::ApplicationModal);
    ASSERT_TRUE(patterns.show_over(QRect(0, 0, 800, 600), 1, true));
    ASSERT_TRUE(managed(patterns));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&patterns));
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !patterns.isVisible(); }, 5000));
    EXPECT_TRUE(main_window.isVisible()) << "the close was the patterns', not the program's";
}

// Openbox draws a maximise button on every decorated window, even a fixed-size one, and only
// disables the action; window managers that read the Motif hints button by button leave it
// out. Both must be told: no maximise or resize action, no maximise decoration.
TEST_F(WindowManager, FixedSizeWindowsAskForNoMaximiseButton) {
    main_dialog window;
    window.show();
    ASSERT_TRUE(managed(window));
    TW_Display_Configuration_Dialog dialog(master_->monitor_list(), &window);
    dialog.show();
    ASSERT_TRUE(managed(dialog));
    for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&dialog)}) {
        SCOPED_TRACE(w->objectName().toStdString());
        const QString actions = property(*w, "_NET_WM_ALLOWED_ACTIONS");
        ASSERT_TRUE(actions.contains(QLatin1String("_NET_WM_ACTION_CLOSE"))) << qPrintable(actions);
        EXPECT_FALSE(actions.contains(QLatin1String("MAXIMIZE"))) << qPrintable(actions);
        EXPECT_FALSE(actions.contains(QLatin1String("_NET_WM_ACTION_RESIZE")))
            << qPrintable(actions);
        // flags, functions, decorations, ...: decorations given, a title, no maximise button.
        const QString motif = property(*w, "_MOTIF_WM_HINTS");
        const QStringList fields = motif.section(QLatin1Char('='), 1).split(QLatin1Char(','));
        ASSERT_GE(fields.size(), 3) << qPrintable(motif);
        const unsigned flags = fields[0].trimmed().toUInt(nullptr, 16);
        const unsigned decorations = fields[2].trimmed().toUInt(nullptr, 16);
        EXPECT_TRUE(flags & 0x2u) << qPrintable(motif);
        EXPECT_TRUE(decorations & 0x8u) << qPrintable(motif);
        EXPECT_FALSE(decorations & 0x40u) << qPrintable(motif);
    }
    EXPECT_TRUE(property(window, "_NET_WM_ALLOWED_ACTIONS")
                    .contains(QLatin1String("_NET_WM_ACTION_MINIMIZE")));
}

}  // namespace
