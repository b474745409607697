#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTest>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "support/qt_printers.h"
#include "ui/main_window/main_dialog.h"

namespace {

struct MainDialogPosition : ::testing::Test {
    void SetUp() override {
        QFile::remove(preferences_file_path());
        QFile::remove(config_file_path());
    }
    // Shows the window with its frame at `where`, closes it and gives the stored position;
    // `client` gets the client area's corner the window had.
    static QPoint closed_at(MasterControl& master, QPoint where, QPoint* client = nullptr) {
        main_dialog window;
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.move(where);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.pos() == where; }, 2000))
            << "the window did not move to " << where.x() << ", " << where.y();
        if (client) *client = window.geometry().topLeft();
        window.close();
        return master.preferences().main_window_position();
    }
};

TEST_F(MainDialogPosition, AWindowClosedOnAnAxisLeavesTheStoredPosition) {
    MasterControl master;
    master.preferences().set_main_window_position(QPoint(300, 200));
    EXPECT_EQ(closed_at(master, QPoint(0, 120)), QPoint(300, 200));
    EXPECT_EQ(closed_at(master, QPoint(120, 0)), QPoint(300, 200));
    // The client area's corner is stored: showing gives it back as such.
    QPoint client;
    EXPECT_EQ(closed_at(master, QPoint(40, 60), &client), client);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(MainDialogPosition, TheStoredPositionReachesTheFileAfterTheWindowIsGone) {
    QPoint client;
    {
        MasterControl master;
        closed_at(master, QPoint(0, 120));
        EXPECT_EQ(master.preferences().main_window_position(), QPoint(99999, 99999));
        closed_at(master, QPoint(55, 66), &client);
    }
    Preferences reloaded;
    EXPECT_EQ(reloaded.main_window_position(), client);
}

}  // namespace
