#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <memory>

#include "core/check_restore_monitor_settings_thread.h"
#include "core/master_control.h"
#include "core/settings_paths.h"
#include "platform/access_library.h"
#include "platform/display_services.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "support/simulated_machine.h"

namespace panels_testing {

// A KX271W (everything, picture-in-picture included) on DP-1 at 0,0 and a KX241W (no
// picture-in-picture, no uniformity correction) on DVI-D-1 beside it, both reached over USB.
inline const char* kTwoMonitors = R"({
  "monitors": [
    {"id": "main", "model": "KX271W", "serial": "71000123", "usb": true,
     "input": "DisplayPort", "operating_hours": 1234.5},
    {"id": "side", "model": "KX241W", "serial": "41000456", "usb": true, "input": "DVI"}
  ],
  "displays": [
    {"connector": "DP-1", "monitor": "main", "x": 0, "y": 0, "width": 2560, "height": 1440,
     "primary": true, "edid": true},
    {"connector": "DVI-D-1", "monitor": "side", "x": 2560, "y": 0, "width": 1920,
     "height": 1200, "edid": true}
  ]
})";

// MasterControl against simulated monitors, with the first display selected and a virtual
// clock recording every protocol wait.
class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(config_file_path());
        QFile::remove(preferences_file_path());
        previous_sleeper_ = platform::install_sleeper(&sleeper);
    }
    void TearDown() override {
        // One conversation per monitor: the simulator saw no request inside another's exchange.
        // (The latest backend: a rescan replaces the access library and its backend.)
        platform::CSimBackend* latest = machine_ ? machine_->backend : nullptr;
        if (latest && !CheckRestoreMonitorSettingsThread::monitor_in_use()) {
            for (std::size_t i = 0; i < latest->monitor_count(); ++i)
                EXPECT_EQ(latest->monitor(i)->state().overlapping_conversations, 0)
                    << qPrintable(latest->monitor(i)->key());
        }
        master.reset();
        machine_.reset();
        QToolTip::hideText();
        QApplication::processEvents();
        platform::install_sleeper(previous_sleeper_);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            // Tool tips close on their own after a moment; anything else is a leak.
            if (w->inherits("QTipLabel")) continue;
            ADD_FAILURE() << "top-level widget left: " << w->metaObject()->className();
        }
    }

    // Builds the simulator and the controller, then selects `display`.
    void start(const char* json = kTwoMonitors, int display = 0) {
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(QByteArray(json), dir_.path(), config_, &error))
            << qPrintable(error);
        config_.state_file = dir_.path() + QStringLiteral("/state.json");
        machine_ = std::make_unique<testing_support::CSimulatedMachine>(
            config_, testing_support::CSimulatedMachine::simulated_desktop);
        master = std::make_unique<MasterControl>();
        backend = machine_->backend;
        CMultiMonitor& monitors = master->monitor_list();
        monitors.scan_interfaces();
        monitors.match_scanned();
        monitors.initialise_displays();
        select(display);
    }
    void select(int display) {
        ASSERT_EQ(master->current_display().connect(master->monitor_list().display(display)), 0);
        ASSERT_NE(master->current_display().monitor(), nullptr);
        sleeper.clear();
    }

    sim::CSimMonitor& sim_monitor(std::size_t i = 0) { return *backend->monitor(i); }
    int feature(int code, std::size_t i = 0) { return sim_monitor(i).read_feature(code).current; }
    void set_feature(int code, int value, std::size_t i = 0) {
        sim_monitor(i).write_feature(code, value);
    }
    int saves(std::size_t i = 0) { return sim_monitor(i).counters().saves; }
    int exchanges(std::size_t i = 0) { return sim_monitor(i).counters().exchanges; }

    // Closes the next message box that opens, counting it.
    void expect_message_box() {
        QTimer::singleShot(0, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++message_boxes;
                box->accept();
            }
        });
    }

    platform::CFakeSleeper sleeper;
    platform::CSimBackend* backend = nullptr;
    std::unique_ptr<MasterControl> master;
    int message_boxes = 0;

  private:
    QTemporaryDir dir_;
    sim::CSimConfig config_;
    platform::CSleeper* previous_sleeper_ = nullptr;
    std::unique_ptr<testing_support::CSimulatedMachine> machine_;
};

}  // namespace panels_testing
