#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "comm/ddc_monitor.h"
#include "core/master_control.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "support/simulated_machine.h"

namespace wizard_testing {

// Accepts every message box that comes up and keeps its text, so that the error reports of
// the widgets can be asserted without a person pressing OK.
class ErrorBoxCatcher {
  public:
    ErrorBoxCatcher() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList texts;

  private:
    QTimer timer_;
};

// A controller whose current display is a simulated monitor (interface 0 of the given
// configuration), and a virtual clock whose waits the test may assert.
class WizardWidgetTest : public ::testing::Test {
  protected:
    static constexpr const char* kAbsoluteModel = R"({"monitors": [
        {"model": "KX271W", "serial": "71000123", "input": "DisplayPort"}]})";
    static constexpr const char* kPercentModel = R"({"monitors": [
        {"model": "KX272W", "serial": "72000555", "input": "DisplayPort"}]})";

    WizardWidgetTest() : sleeper_guard_(sleeper) {}

    ~WizardWidgetTest() override {
        master_.reset();
        machine_.reset();
    }

    void start(const char* json) {
        sim::CSimConfig config;
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(json, dir_.path(), config, &error)) << qPrintable(error);
        config.state_file = dir_.path() + QStringLiteral("/state.json");
        machine_ = std::make_unique<testing_support::CSimulatedMachine>(
            config, testing_support::CSimulatedMachine::machines_desktop);
        master_ = std::make_unique<MasterControl>();
        backend = machine_->backend;
        DisplayInfo info;
        info.index = 0;
        info.monitorId = -1;
        info.ddcCapable = 1;
        ASSERT_EQ(master_->current_display().connect(info), 0);
        ASSERT_NE(monitor(), nullptr);
        sleeper.clear();
    }

    CDDCMonitor* monitor() { return master_->current_display().monitor(); }
    sim::CSimMonitor& sim_monitor() { return *backend->monitor(0); }
    int sim_value(int code) { return sim_monitor().read_feature(code).current; }
    void set_sim_value(int code, int value) { sim_monitor().write_feature(code, value); }
    int exchanges() { return sim_monitor().counters().exchanges; }

    // Whether the virtual clock recorded a wait of exactly `ms`.
    bool waited(int ms) const {
        const auto waits = sleeper.waits();
        return std::find(waits.begin(), waits.end(), ms) != waits.end();
    }

    // Spoils the reads of the feature read after `reads_before` further successful exchanges:
    // every attempt the link makes at it loses its reply.
    void fail_exchange_after(int reads_before) {
        sim::CSimFaultRule rule;
        rule.fault = sim::CSimFault::lost_reply;
        rule.exchange = exchanges() + reads_before;
        rule.repeat = 10;
        sim_monitor().faults().add(rule);
    }

    // Makes the monitor's next exchanges fail at the I2C write, so that a set never arrives.
    void fail_writes() {
        sim::CSimFaultRule rule;
        rule.fault = sim::CSimFault::write_failure;
        rule.repeat = 50;
        sim_monitor().faults().add(rule);
    }

    void TearDown() override {
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window was left behind";
    }

    platform::CFakeSleeper sleeper;
    platform::CSimBackend* backend = nullptr;
    ErrorBoxCatcher errors;

  private:
    platform::CScopedSleeper sleeper_guard_;
    QTemporaryDir dir_;
    std::unique_ptr<testing_support::CSimulatedMachine> machine_;
    std::unique_ptr<MasterControl> master_;
};

}  // namespace wizard_testing
