#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "comm/ddc_monitor.h"
#include "core/error_box.h"
#include "core/master_control.h"
#include "core/settings_paths.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "ui/wizard/color_wizard.h"
#include "wizard_fixture.h"

namespace wizard_testing {

// A controller on a simulated monitor whose record has been synchronised into the tracker (as
// the main window does when a display is selected), profiles installed in the colour
// directory, and helpers that walk the wizard as a user does: choose, then Next.
class ColorWizardTest : public ::testing::Test {
  protected:
    static constexpr const char* kKx271w = R"({"monitors": [
        {"model": "KX271W", "serial": "71000123", "input": "DisplayPort"}]})";
    static constexpr const char* kKx241w = R"({"monitors": [
        {"model": "KX241W", "serial": "41000456", "input": "DVI"}]})";
    static constexpr const char* kKx272w = R"({"monitors": [
        {"model": "KX272W", "serial": "72000555", "input": "DisplayPort"}]})";

    ColorWizardTest() : sleeper_guard_(sleeper) {}

    ~ColorWizardTest() override {
        master_.reset();
        machine_.reset();
    }

    void SetUp() override {
        // Each controller saves its files when it goes: a test starts from none.
        QFile::remove(preferences_file_path());
        QFile::remove(config_file_path());
        QDir(colorDirectory()).removeRecursively();
        QDir().mkpath(colorDirectory());
    }

    void TearDown() override {
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window was left behind";
    }

    // Builds the simulator from `json` (its configuration also saved as config.json) and the
    // controller on its first monitor; with `synchronise` the record is read and stored.
    void start(const char* json = kKx271w, bool synchronise = true) {
        config_json_ = QByteArray(json);
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(config_json_, dir_.path(), config_, &error))
            << qPrintable(error);
        config_.state_file = state_path();
        ASSERT_TRUE(testing_support::write_file(config_path(), config_json_));
        machine_ = std::make_unique<testing_support::CSimulatedMachine>(
            config_, testing_support::CSimulatedMachine::machines_desktop);
        master_ = std::make_unique<MasterControl>();
        backend = machine_->backend;
        DisplayInfo info;
        info.index = 0;
        info.monitorId = -1;
        info.ddcCapable = 1;
        ASSERT_EQ(master_->current_display().connect(info), 0);
        ASSERT_NE(monitor(), nullptr);
        if (synchronise) {
            CMonitorEntry entry = key();
            ASSERT_EQ(monitor()->read_picture_memories(entry.adjust), 0);
            monitor()->read_capabilities();
            master_->monitor_tracker().store(entry);
        }
        sleeper.clear();
    }

    CMonitorEntry key() {
        CMonitorEntry entry;
        entry.modelName = monitor()->model_name();
        entry.serialNumber = monitor()->serial_number();
        return entry;
    }
    // The record the controller keeps for the monitor now; false when it keeps none.
    bool stored_record(CMonitorEntry& entry) {
        entry = key();
        return master_->monitor_tracker().lookup(entry) >= 0;
    }
    void store_record(const CMonitorEntry& entry) { master_->monitor_tracker().store(entry); }

    CDDCMonitor* monitor() { return master_->current_display().monitor(); }
    MasterControl& master() { return *master_; }
    sim::CSimMonitor& sim_monitor() { return *backend->monitor(0); }
    int sim_value(int code) { return sim_monitor().read_feature(code).current; }
    void set_sim_value(int code, int value) { sim_monitor().write_feature(code, value); }
    QString config_path() const { return dir_.path() + QStringLiteral("/config.json"); }
    QString state_path() const { return dir_.path() + QStringLiteral("/state.json"); }

    // Fails every attempt at the next request of this command (0xC227 writes a slot name).
    void fail_command(int command) {
        sim::CSimFaultRule rule;
        rule.fault = sim::CSimFault::write_failure;
        rule.command = command;
        rule.repeat = 10;
        sim_monitor().faults().add(rule);
    }

    // Copies a profile into the colour directory under `name`; false when it is not installed
    // on this machine.
    bool install_profile(const QString& source, const QString& name) {
        if (!QFile::exists(source)) return false;
        const QString target = colorDirectory() + QLatin1Char('/') + name;
        QFile::remove(target);
        return QFile::copy(source, target);
    }
    // Writes a display profile of ours into the colour directory.
    QString write_display_profile(const QString& name, ProfileSpec spec) {
        spec.path = colorDirectory() + QLatin1Char('/') + name;
        if (spec.description.isEmpty()) spec.description = name;
        EXPECT_EQ(writeDisplayProfile(spec, QStringLiteral("Copyright test")), 0);
        return spec.path;
    }
    // A display within every acceptance limit: a plain gamma of 2.2 and a white of 160 cd/m².
    static ProfileSpec emulated_display() {
        ProfileSpec spec;
        spec.gamma = 2.2;
        spec.whiteX = 0.3127;
        spec.whiteY = 0.3290;
        spec.redX = 0.660;
        spec.redY = 0.330;
        spec.greenX = 0.220;
        spec.greenY = 0.700;
        spec.blueX = 0.150;
        spec.blueY = 0.060;
        spec.luminance = 160.0;
        return spec;
    }

    std::unique_ptr<color_wizard> open_wizard() {
        auto wizard = std::make_unique<color_wizard>();
        wizard->show();
        return wizard;
    }

    // Presses Next (or Finish on the last page) until the wizard ends, after `choose` has made
    // the choices of each page it is given; the ids of the pages shown, in order.
    std::vector<int> walk(color_wizard& wizard,
                          const std::function<void(color_wizard&, int page)>& choose) {
        std::vector<int> shown;
        for (int steps = 0; steps < 12 && wizard.isVisible(); ++steps) {
            const int page = wizard.currentId();
            shown.push_back(page);
            choose(wizard, page);
            const bool last = wizard.currentPage()->nextId() == -1;
            wizard.button(last ? QWizard::FinishButton : QWizard::NextButton)->click();
            if (wizard.isVisible() && wizard.currentId() == page) break;  // refused
        }
        return shown;
    }

    platform::CFakeSleeper sleeper;
    platform::CSimBackend* backend = nullptr;
    ErrorBoxCatcher errors;

  private:
    platform::CScopedSleeper sleeper_guard_;
    QTemporaryDir dir_;
    QByteArray config_json_;
    sim::CSimConfig config_;
    std::unique_ptr<testing_support::CSimulatedMachine> machine_;
    std::unique_ptr<MasterControl> master_;
};

// Chooses on each page what the named path needs; anything else is left as the page offers.
inline void choose_fields(color_wizard& wizard, int page, const char* preset,
                          const char* custom_type = nullptr) {
    if (page == color_wizard_rules::kIntroPage) wizard.setField(QLatin1String(preset), true);
    if (page == color_wizard_rules::kCustomTypePage && custom_type)
        wizard.setField(QLatin1String(custom_type), true);
}

}  // namespace wizard_testing
