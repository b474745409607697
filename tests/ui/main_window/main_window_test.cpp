#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "comm/multi_monitor.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "core/operation_running.h"
#include "core/picture_mode_rules.h"
#include "core/settings_paths.h"
#include "core/string_table.h"
#include "platform/device_notifier.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "sim/sim_store.h"
#include "support/log_capture.h"
#include "support/test_environment.h"
#include "ui/main_window/main_dialog.h"
#include "ui/main_window/main_window_start.h"

namespace mf = monitor_feature;

namespace {

using testing_support::MessageCatcher;

// A process environment with the simulator configured, the controller started and detection
// finished, so the main window works on the simulated monitors.
class MainWindow : public ::testing::Test {
  protected:
    void start(const char* json) {
        json_ = json;
        ASSERT_NO_FATAL_FAILURE(
            testing_support::start_main_window(dir_.path(), json, master_, window_));
    }
    void TearDown() override {
        master_.reset();
        qunsetenv("ORVALE_SIM_CONFIG");
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    void activate() {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    }

    // The first simulated monitor's current value as the simulator's state file holds it (-1:
    // unreadable). Reading the file is no conversation: polling the monitor itself would
    // keep the window's own timers from it while they fall due.
    int stored_value(int code) const {
        sim::CSimConfig config;
        const QByteArray json = QByteArray(json_).replace(
            "STATE", (dir_.path() + QStringLiteral("/state.json")).toUtf8());
        if (!sim::CSimConfig::parse(json, dir_.path(), config, nullptr)) return -1;
        auto monitors = sim::create_monitors(config);
        if (monitors.empty()) return -1;
        sim::CSimStateStore store(config.state_file);
        if (!store.load({monitors.front().get()})) return -1;
        return monitors.front()->read_feature(code).current;
    }

    QTemporaryDir dir_;
    const char* json_ = nullptr;
    std::unique_ptr<MasterControl> master_;
    main_dialog* window_ = nullptr;
};

constexpr const char* kOneMonitor = R"({"state_file": "STATE", "monitors": [
    {"id": "a", "model": "KX241W", "serial": "41000001", "usb": true}]})";

// Three displays: a monitor of another maker, a supported one whose DDC/CI does not answer,
// and a usable one.
constexpr const char* kThreeDisplays = R"({"state_file": "STATE", "monitors": [
    {"id": "other", "model": "Generic 24", "serial": "24000001"},
    {"id": "mute", "model": "KX271W", "serial": "71000002", "video": "unusable"},
    {"id": "good", "model": "KX241W", "serial": "41000003"}]})";

TEST_F(MainWindow, ThePageListAndTheSelectorAreBuiltAsDescribed) {
    MessageCatcher catcher;
    start(kOneMonitor);
    QListWidget* list = window_->page_list();
    ASSERT_EQ(list->count(), main_dialog::kPageCount);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Picture Mode"));
    EXPECT_EQ(list->item(4)->text(), QStringLiteral("Status"));
    EXPECT_EQ(list->iconSize(), QSize(64, 64));
    EXPECT_EQ(list->width(), 120);
    for (int i = 0; i < list->count(); ++i)
        EXPECT_FALSE(list->item(i)->icon().isNull()) << i;
    EXPECT_EQ(window_->pages()->count(), main_dialog::kPageCount);
    list->setCurrentRow(3);
    EXPECT_EQ(window_->pages()->currentIndex(), 3);
    EXPECT_EQ(window_->display_combo()->objectName(), QStringLiteral("main_Display_comboBox"));
    ASSERT_EQ(window_->display_combo()->count(), 1);
    EXPECT_TRUE(window_->isVisible());
    // The record of the monitor was synchronised when it was selected.
    EXPECT_EQ(master_->monitor_tracker().find(QStringLiteral("KX241W"), QStringLiteral("41000001")),
              0);
}

TEST_F(MainWindow, ThreeDisplaysCarryTheirSuffixesAndTheUsableOneIsSelected) {
    MessageCatcher catcher;
    start(kThreeDisplays);
    QComboBox* combo = window_->display_combo();
    ASSERT_EQ(combo->count(), 3);
    EXPECT_TRUE(combo->itemText(0).endsWith(string(303))) << qPrintable(combo->itemText(0));
    EXPECT_TRUE(combo->itemText(0).startsWith(string(502).arg(1).arg(QString()).trimmed()));
    EXPECT_TRUE(combo->itemText(1).endsWith(string(304))) << qPrintable(combo->itemText(1));
    EXPECT_FALSE(combo->itemText(2).endsWith(string(303)));
    EXPECT_FALSE(combo->itemText(2).endsWith(string(304)));
    EXPECT_EQ(combo->currentIndex(), 2);
}

TEST_F(MainWindow, EscapeDoesNotCloseTheWindow) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    QTest::keyClick(window_, Qt::Key_Escape);
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindow, ARescanBlockedByAPageRunsOnceAfterTheBlockIsLifted) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    const int before = window_->rescan_count();
    window_->block_unblock_usb_update(true);
    window_->usb_device_changed(true);
    window_->usb_device_changed(false);
    EXPECT_FALSE(window_->device_timer()->isActive());
    EXPECT_TRUE(window_->usb_update_pending());
    QTest::qWait(300);
    EXPECT_EQ(window_->rescan_count(), before);

    window_->block_unblock_usb_update(false);
    EXPECT_TRUE(window_->device_timer()->isActive());
    EXPECT_EQ(window_->device_timer()->interval(), monitor_timing::kDeviceChangeDelayMs);
    EXPECT_FALSE(window_->usb_update_pending());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->rescan_count() > before; }, 4000));
    QTest::qWait(300);
    EXPECT_EQ(window_->rescan_count(), before + 1);
}

TEST_F(MainWindow, TwoEventsASecondApartGiveOneRescan) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    const int before = window_->rescan_count();
    window_->usb_device_changed(false);
    QTest::qWait(1000);
    window_->usb_device_changed(true);
    // Restarted by the second event: still running a second after the first one's expiry.
    QTest::qWait(1300);
    EXPECT_EQ(window_->rescan_count(), before);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->rescan_count() > before; }, 3000));
    EXPECT_EQ(window_->rescan_count(), before + 1);
    EXPECT_EQ(window_->display_combo()->count(), 1);
}

TEST_F(MainWindow, ARescanDueWhileTheMonitorIsBusyWaits) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    const int before = window_->rescan_count();
    operation_running = true;
    window_->update_on_device_changed();
    EXPECT_EQ(window_->rescan_count(), before);
    EXPECT_TRUE(window_->usb_update_pending());
    EXPECT_TRUE(window_->device_timer()->isActive());
    operation_running = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->rescan_count() > before; }, 4000));
}

// A rescan covers the changes reported before it: the device timer falling due inside its waits
// once deferred a second rescan, whose waits met the timer the first had started again, and so
// on every few seconds for as long as the program ran.
TEST_F(MainWindow, ATimerDueInsideARescanStartsNoRescanAfterIt) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    const int before = window_->rescan_count();
    window_->device_timer()->start(0);  // a change reported just before the rescan
    window_->update_on_device_changed();
    EXPECT_EQ(window_->rescan_count(), before + 1);
    EXPECT_FALSE(window_->device_timer()->isActive());
    EXPECT_EQ(monitor_token::deferred_count(), 0);
    QTest::qWait(monitor_timing::kDeviceChangeDelayMs + 500);
    EXPECT_EQ(window_->rescan_count(), before + 1) << "no rescan follows the rescan";
}

// Damage the program found in its settings is said in the window, once, before anything is
// read again; an intact file says nothing.
TEST_F(MainWindow, ADamagedSettingsFileIsSaidInTheWindow) {
    {
        MessageCatcher catcher;
        start(kOneMonitor);
        EXPECT_FALSE(catcher.texts.join('|').contains(QStringLiteral("damaged")));
        master_.reset();
    }
    MessageCatcher catcher;
    json_ = kOneMonitor;
    const QByteArray damaged(64, char(0xEE));
    ASSERT_NO_FATAL_FAILURE(
        testing_support::start_main_window(dir_.path(), json_, master_, window_, &damaged));
    const QStringList said = catcher.texts.filter(QStringLiteral("was damaged"));
    ASSERT_EQ(said.size(), 1) << qPrintable(catcher.texts.join('|'));
    EXPECT_TRUE(said[0].contains(QStringLiteral("config.dat.damaged"))) << qPrintable(said[0]);
    // Said before the monitor's settings are read again.
    EXPECT_LT(catcher.texts.indexOf(said[0]), catcher.texts.indexOf(string(707)));
}

TEST_F(MainWindow, AStoredPositionOffEveryScreenIsIgnored) {
    MessageCatcher catcher;
    QFile::remove(preferences_file_path());
    {
        MasterControl master;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint off(screen.right() + 5000, screen.bottom() + 5000);
        EXPECT_FALSE(main_dialog::position_on_screen(off));
        master.preferences().set_main_window_position(off);
        main_dialog window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_NE(window.pos(), off);

        const QPoint on = screen.topLeft() + QPoint(40, 30);
        EXPECT_TRUE(main_dialog::position_on_screen(on));
        master.preferences().set_main_window_position(on);
        main_dialog second;
        second.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
        EXPECT_TRUE(QTest::qWaitFor([&] { return second.geometry().topLeft() == on; }, 2000));
    }
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(MainWindow, Synchronising707OnlyForANewOrChangedMonitorAndTheRecordIsKept) {
    MessageCatcher catcher;
    start(kOneMonitor);
    // The first selection met a monitor without a record.
    EXPECT_EQ(catcher.texts.count(string(707)), 1);
    const int index =
        master_->monitor_tracker().find(QStringLiteral("KX241W"), QStringLiteral("41000001"));
    ASSERT_GE(index, 0);
    const CMonitorEntry& entry = master_->monitor_tracker().entry(index);
    EXPECT_FALSE(entry.adjust.modeSettings.isEmpty());
    EXPECT_FALSE(entry.adjust.extra.isEmpty());

    // Known and unchanged: no message.
    catcher.texts.clear();
    window_->onDisplaySelectionChanged(0);
    EXPECT_EQ(catcher.texts.count(string(707)), 0);
    EXPECT_TRUE(catcher.texts.isEmpty()) << qPrintable(catcher.texts.join('|'));
}

TEST_F(MainWindow, TheFirstSynchronisationShowsThePresetNamesAtOnce) {
    MessageCatcher catcher;
    start(kOneMonitor);
    ASSERT_EQ(catcher.texts.count(string(707)), 1) << "a first synchronisation ran";
    const int index =
        master_->monitor_tracker().find(QStringLiteral("KX241W"), QStringLiteral("41000001"));
    ASSERT_GE(index, 0);
    const CMonitorEntry& entry = master_->monitor_tracker().entry(index);
    ASSERT_FALSE(entry.adjust.modeSettings.isEmpty());
    auto* page = window_->findChild<QWidget*>(QStringLiteral("panel_picture_mode"));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->isVisible());
    for (const CModeSettings& item : entry.adjust.modeSettings) {
        const auto* button = page->findChild<QPushButton*>(
            QStringLiteral("picture_mode%1_pushButton").arg(item.memory()));
        ASSERT_NE(button, nullptr) << item.memory();
        EXPECT_EQ(button->text(),
                  picture_mode::preset_label(item.preset(), &entry.adjust, false).simplified())
            << item.memory();
    }
}

TEST_F(MainWindow, ThePlaceholderPagesAllowTheDeviceNotifierOfTheSimulator) {
    MessageCatcher catcher;
    start(kOneMonitor);
    auto* sim = qobject_cast<platform::CSimDeviceNotifier*>(window_->device_notifier());
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->state_file(), dir_.path() + QStringLiteral("/state.json"));
}

TEST_F(MainWindow, ReturnInASpinBoxTakesTheValueForTheActiveMemoryAndSwitchesNothing) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    catcher.texts.clear();
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->autoDefault()) << qPrintable(button->objectName());
        EXPECT_FALSE(button->isDefault()) << qPrintable(button->objectName());
    }
    // Memory 2 is active; the page reads it again when it is shown again.
    CDDCMonitor* monitor = master_->current_display().monitor();
    ASSERT_NE(monitor, nullptr);
    int memory = 2;
    ASSERT_EQ(monitor->set_value(mf::memory_select, memory), 0);
    QListWidget* list = window_->page_list();
    list->setCurrentRow(1);
    list->setCurrentRow(0);

    int boxes = 0;
    for (int page = 0; page < main_dialog::kPageCount; ++page) {
        list->setCurrentRow(page);
        QApplication::processEvents();
        for (QAbstractSpinBox* box :
             window_->pages()->widget(page)->findChildren<QAbstractSpinBox*>()) {
            auto* spin = qobject_cast<QDoubleSpinBox*>(box);
            if (!spin || !spin->isVisible() || !spin->isEnabled()) continue;
            ++boxes;
            const double before = spin->value();
            const double typed = spin->value() > (spin->minimum() + spin->maximum()) / 2
                                     ? spin->minimum() + spin->singleStep()
                                     : spin->maximum() - spin->singleStep();
            spin->setFocus();
            spin->selectAll();
            QTest::keyClicks(spin, spin->textFromValue(typed));
            QTest::keyClick(spin, Qt::Key_Return);
            const QString name = spin->objectName();
            // The value is the one typed, for the memory that was active; no mode was switched.
            EXPECT_NE(spin->value(), before) << qPrintable(name);
            EXPECT_DOUBLE_EQ(spin->value(), typed) << qPrintable(name);
            int active = 0;
            ASSERT_EQ(monitor->get_value(mf::memory_select, active), 0);
            EXPECT_EQ(active, 2) << qPrintable(name);
            const int feature =
                name.startsWith(QLatin1String("brightness")) ? mf::luminance : mf::black_level;
            auto* slider = window_->pages()->widget(page)->findChild<QSlider*>(
                QString(name).replace(QLatin1String("spinBox"), QLatin1String("verticalSlider")));
            ASSERT_NE(slider, nullptr) << qPrintable(name);
            // The page shows what the monitor holds once it has written: the typed value.
            const int wanted = slider->value();
            EXPECT_TRUE(QTest::qWaitFor([&] { return stored_value(feature) == wanted; }, 5000))
                << qPrintable(name) << " was not written";
            int written = -1;
            ASSERT_EQ(monitor->get_value(feature, written), 0);
            EXPECT_EQ(written, wanted) << qPrintable(name);
            EXPECT_EQ(slider->value(), wanted) << qPrintable(name);
            EXPECT_DOUBLE_EQ(spin->value(), typed) << qPrintable(name);
            ASSERT_EQ(monitor->get_value(mf::memory_select, active), 0);
            EXPECT_EQ(active, 2) << qPrintable(name);
        }
    }
    EXPECT_EQ(boxes, 2) << "the Picture Mode page's brightness and black level";
    EXPECT_TRUE(catcher.texts.isEmpty()) << qPrintable(catcher.texts.join('|'));
}

TEST_F(MainWindow, DdcCiSwitchedOffIsLoggedAsADisplayChangeNotAnArrival) {
    MessageCatcher catcher;
    start(kOneMonitor);
    activate();
    QLoggingCategory::setFilterRules(QStringLiteral("orvale.monitor.info=true"));
    testing_support::LogCapture log("orvale.monitor");
    QProcess tool;
    tool.start(QStringLiteral(ORVALE_SIM_TOOL),
               {QStringLiteral("ddcci"), QStringLiteral("a"), QStringLiteral("off")});
    ASSERT_TRUE(tool.waitForFinished(10000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
    const bool noted = QTest::qWaitFor([&] { return log.text().contains("rescan"); }, 5000);
    QLoggingCategory::setFilterRules(QString());
    ASSERT_TRUE(noted);
    EXPECT_TRUE(log.text().contains(QLatin1String("a display changed"))) << qPrintable(log.text());
    EXPECT_FALSE(log.text().contains(QLatin1String("arrived"))) << qPrintable(log.text());
}

TEST(UsbIds, OnlyTheMonitorsControlInterfacesCount) {
    std::uint16_t vid = 0, pid = 0;
    ASSERT_TRUE(
        platform::parse_vid_pid(QStringLiteral("\\\\?\\USB#VID_F0E1&PID_0002#123"), vid, pid));
    EXPECT_TRUE(platform::is_monitor_usb_id(vid, pid));
    ASSERT_TRUE(platform::parse_vid_pid(QStringLiteral("usb#vid_f0e1&pid_0003"), vid, pid));
    EXPECT_FALSE(platform::is_monitor_usb_id(vid, pid));
    EXPECT_FALSE(platform::parse_vid_pid(QStringLiteral("usb#vid_f0e1&pid_00"), vid, pid));
    EXPECT_FALSE(platform::parse_vid_pid(QStringLiteral("usb#vid_zzzz&pid_0001"), vid, pid));
    EXPECT_FALSE(platform::is_monitor_usb_id(0x0001, 0xF0E1));
}

}  // namespace
