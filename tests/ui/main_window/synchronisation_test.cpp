#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "comm/low_level_ddc.h"
#include "comm/multi_monitor.h"
#include "core/master_control.h"
#include "core/monitor_change_notes.h"
#include "core/monitor_tracker.h"
#include "core/settings_paths.h"
#include "core/string_table.h"
#include "support/test_environment.h"
#include "ui/display_config/display_configuration_dialog.h"
#include "ui/main_window/main_dialog.h"
#include "ui/main_window/main_window_start.h"

namespace {

// A brightness no monitor reports: a record that still holds it was not read again.
constexpr std::int16_t kMarker = 7777;

// A KX271W on USB (it keeps a change table) and a KX241W on its video cable.
constexpr const char* kTwoMonitors = R"({"state_file": "STATE", "monitors": [
    {"id": "a", "model": "KX271W", "serial": "71000001", "usb": true},
    {"id": "b", "model": "KX241W", "serial": "41000002"}]})";

// The main window on two simulated monitors, with every message box answered and counted.
class Synchronisation : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(monitor_change_notes::folder()).removeRecursively();
        ASSERT_NO_FATAL_FAILURE(
            testing_support::start_main_window(dir_.path(), kTwoMonitors, master_, window_));
    }
    void TearDown() override {
        master_.reset();
        qunsetenv("ORVALE_SIM_CONFIG");
        QDir(monitor_change_notes::folder()).removeRecursively();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    QString config_path() const { return dir_.path() + QStringLiteral("/sim.json"); }
    QString state_path() const { return dir_.path() + QStringLiteral("/state.json"); }

    void sim_tool(const QStringList& args) {
        QProcess tool;
        tool.setProcessEnvironment(testing_support::child_process_environment());
        tool.start(QStringLiteral(ORVALE_SIM_TOOL),
                   QStringList{QStringLiteral("--config"), config_path(), QStringLiteral("--state"),
                               state_path()} +
                       args);
        ASSERT_TRUE(tool.waitForFinished(20000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    // Puts the marker into the stored record of a monitor; false without a record.
    bool mark(const char* model, const char* serial) {
        CMonitorTracker& tracker = master_->monitor_tracker();
        CMonitorEntry entry;
        entry.modelName = QString::fromLatin1(model);
        entry.serialNumber = QString::fromLatin1(serial);
        if (tracker.lookup(entry) < 0 || entry.adjust.modeSettings.isEmpty()) return false;
        entry.adjust.modeSettings[0].values[14] = kMarker;
        tracker.store(entry);
        return true;
    }
    // True while the stored record still holds the marker, so nothing read it again.
    bool marked(const char* model, const char* serial) const {
        const CMonitorTracker& tracker = master_->monitor_tracker();
        const int i = tracker.find(QString::fromLatin1(model), QString::fromLatin1(serial));
        return i >= 0 && tracker.entry(i).adjust.modeSettings[0].brightness() == kMarker;
    }
    int synchronisations() const { return int(messages_.count(string(707))); }
    void select(int index) {
        window_->display_combo()->setCurrentIndex(index);
        window_->onDisplaySelectionChanged(index);
    }

    QTemporaryDir dir_;
    testing_support::MessageCatcher catcher_;
    QStringList& messages_ = catcher_.texts;
    std::unique_ptr<MasterControl> master_;
    main_dialog* window_ = nullptr;
};

TEST_F(Synchronisation, AStoredRecordIsUsedUntilTheMonitorReportsAChange) {
    // The first start has no record: read once, and the capability string reaches the monitor.
    EXPECT_EQ(synchronisations(), 1);
    ASSERT_TRUE(mark("KX271W", "71000001"));
    select(0);
    EXPECT_EQ(synchronisations(), 1);
    EXPECT_TRUE(marked("KX271W", "71000001"));

    // Changed with the monitor's own buttons: read again, once, and the flag is cleared.
    sim_tool({QStringLiteral("osd"), QStringLiteral("a"), QStringLiteral("--luminance"),
              QStringLiteral("150")});
    select(0);
    EXPECT_EQ(synchronisations(), 2);
    EXPECT_FALSE(marked("KX271W", "71000001"));
    ASSERT_TRUE(mark("KX271W", "71000001"));
    select(0);
    EXPECT_EQ(synchronisations(), 2);
    EXPECT_TRUE(marked("KX271W", "71000001"));
    EXPECT_EQ(messages_.size(), synchronisations()) << qPrintable(messages_.join('|'));
}

TEST_F(Synchronisation, AHotPlugResynchronisesNoKnownMonitor) {
    select(1);
    EXPECT_EQ(synchronisations(), 2);
    select(0);
    ASSERT_TRUE(mark("KX271W", "71000001"));
    ASSERT_TRUE(mark("KX241W", "41000002"));
    const int rescans = window_->rescan_count();
    // The KX271W drops to its video cable and comes back: both are the monitors they were.
    sim_tool({QStringLiteral("unplug"), QStringLiteral("a")});
    window_->update_on_device_changed();
    sim_tool({QStringLiteral("plug"), QStringLiteral("a")});
    window_->update_on_device_changed();
    sim_tool({QStringLiteral("ddcci"), QStringLiteral("b"), QStringLiteral("off")});
    window_->update_on_device_changed();
    EXPECT_EQ(window_->rescan_count(), rescans + 3);
    EXPECT_EQ(synchronisations(), 2);
    EXPECT_TRUE(marked("KX271W", "71000001"));
    EXPECT_TRUE(marked("KX241W", "41000002"));
}

TEST_F(Synchronisation, AChangeByTheCommandLineToolIsReadWhenTheWindowIsNextUsed) {
    select(1);
    select(0);
    ASSERT_EQ(synchronisations(), 2);
    ASSERT_TRUE(mark("KX271W", "71000001"));
    ASSERT_TRUE(mark("KX241W", "41000002"));
    // The tool changed the KX241W: selecting the KX271W reads nothing.
    ASSERT_TRUE(monitor_change_notes::note(QStringLiteral("KX241W"), QStringLiteral("41000002")));
    select(0);
    EXPECT_EQ(synchronisations(), 2);
    EXPECT_TRUE(marked("KX271W", "71000001"));
    select(1);
    EXPECT_EQ(synchronisations(), 3);
    EXPECT_FALSE(marked("KX241W", "41000002"));
    EXPECT_FALSE(monitor_change_notes::noted(QStringLiteral("KX241W"), QStringLiteral("41000002")));

    // The tool changes the selected monitor while another window has the focus: coming back
    // to the main window reads it before anything else.
    ASSERT_TRUE(mark("KX241W", "41000002"));
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_TRUE(monitor_change_notes::note(QStringLiteral("KX241W"), QStringLiteral("41000002")));
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    EXPECT_TRUE(QTest::qWaitFor([&] { return synchronisations() == 4; }, 10000));
    EXPECT_FALSE(marked("KX241W", "41000002"));
    EXPECT_FALSE(monitor_change_notes::noted(QStringLiteral("KX241W"), QStringLiteral("41000002")));
    // Activated again without a change: nothing more.
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    QTest::qWait(100);
    EXPECT_EQ(synchronisations(), 4);
}

// Every DDC/CI request written to the two monitors' interfaces so far.
int requests() {
    int total = 0;
    for (int i = 0; i < 4; ++i)
        total += low_level_ddc::interface_counters(i).exchanges;
    return total;
}

// Runs the main window's display configuration and answers the dialog with `answer` once it
// shows, noting the requests the opening cost.
struct ConfigurationRun {
    int opening_requests = -1;
    bool answered = false;
};
ConfigurationRun configure(main_dialog* window, QDialog::DialogCode answer) {
    ConfigurationRun run;
    const int before = requests();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog =
            qobject_cast<TW_Display_Configuration_Dialog*>(QApplication::activeModalWidget());
        if (!dialog || run.answered) return;
        run.opening_requests = requests() - before;
        run.answered = true;
        dialog->done(answer);
    });
    poll.start(5);
    window->onDisplayConfiguration();
    return run;
}

TEST_F(Synchronisation, TheDisplayConfigurationOpensWithoutAskingAnyMonitor) {
    const DisplayInfo first = master_->monitor_list().display(0);
    ASSERT_GE(first.index, 0);
    ASSERT_TRUE(first.ddcCapable);
    const QStringList texts = main_dialog::display_texts();

    // Cancel: nothing was asked, and every display still has its monitor.
    const ConfigurationRun cancelled = configure(window_, QDialog::Rejected);
    ASSERT_TRUE(cancelled.answered);
    EXPECT_EQ(cancelled.opening_requests, 0);
    const DisplayInfo after_cancel = master_->monitor_list().display(0);
    EXPECT_EQ(after_cancel.index, first.index);
    EXPECT_EQ(after_cancel.ddcCapable, first.ddcCapable);
    EXPECT_EQ(main_dialog::display_texts(), texts);

    // OK with the same monitors: the selector is as it was, and no record is read again.
    ASSERT_TRUE(mark("KX271W", "71000001"));
    const ConfigurationRun accepted = configure(window_, QDialog::Accepted);
    ASSERT_TRUE(accepted.answered);
    EXPECT_EQ(accepted.opening_requests, 0);
    EXPECT_EQ(main_dialog::display_texts(), texts);
    EXPECT_EQ(master_->monitor_list().display(0).ddcCapable, first.ddcCapable);
    EXPECT_TRUE(marked("KX271W", "71000001"));
    EXPECT_EQ(synchronisations(), 1);
}

}  // namespace

namespace {

TEST_F(Synchronisation, AHotPlugOfAnotherMonitorKeepsTheSelection) {
    select(1);
    const QString chosen = window_->display_combo()->currentText();
    const auto still_chosen = [&](const char* after) {
        EXPECT_EQ(window_->display_combo()->currentIndex(), 1) << after;
        EXPECT_TRUE(window_->display_combo()->currentText().startsWith(chosen.left(12))) << after;
        const DisplayInfo shown = master_->monitor_list().display(1);
        EXPECT_EQ(master_->current_display().info().text2, shown.text2) << after;
    };
    sim_tool({QStringLiteral("unplug"), QStringLiteral("a")});
    window_->update_on_device_changed();
    still_chosen("the other monitor's USB link unplugged");
    sim_tool({QStringLiteral("plug"), QStringLiteral("a")});
    window_->update_on_device_changed();
    still_chosen("and plugged again");
    // The chosen monitor itself stops answering and answers again: still the user's choice.
    sim_tool({QStringLiteral("ddcci"), QStringLiteral("b"), QStringLiteral("off")});
    window_->update_on_device_changed();
    EXPECT_EQ(window_->display_combo()->currentIndex(), 1);
    sim_tool({QStringLiteral("ddcci"), QStringLiteral("b"), QStringLiteral("on")});
    window_->update_on_device_changed();
    still_chosen("its DDC/CI off and on");
}

}  // namespace
