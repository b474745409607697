#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "comm/ddc_monitor.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"

namespace monitor_testing {

// Every Broadcast_MessageOut of one monitor, delivered directly.
struct ProgressLog {
    std::vector<std::pair<unsigned, unsigned>> messages;

    void attach(CDDCMonitor& monitor) {
        QObject::connect(
            &monitor, &CDDCMonitor::Broadcast_MessageOut,
            [this](uint message, uint value) { messages.emplace_back(message, value); });
    }
    void clear() { messages.clear(); }
    int steps() const {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [](const auto& m) { return m.first == 1; }));
    }
    // The values of the announcements, in order.
    std::vector<unsigned> totals() const {
        std::vector<unsigned> out;
        for (const auto& m : messages) {
            if (m.first == 2) out.push_back(m.second);
        }
        return out;
    }
    // Every step message carries the value 0.
    bool steps_carry_zero() const {
        return std::all_of(messages.begin(), messages.end(),
                           [](const auto& m) { return m.first != 1 || m.second == 0; });
    }
};

// Simulated monitors behind a private access object, a virtual clock, and one monitor model
// under test with its progress messages recorded.
class MonitorTest : public ::testing::Test {
  protected:
    MonitorTest() : guard_(sleeper), previous_(platform::access_library()) {
        progress.attach(monitor);
    }
    ~MonitorTest() override { platform::set_access_library(previous_); }

    // Builds the simulator from a configuration and makes it the process's access object.
    void simulate(const char* json) {
        sim::CSimConfig config;
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(json, dir_.path(), config, &error)) << qPrintable(error);
        config.state_file = dir_.path() + QStringLiteral("/state.json");
        auto simulated = std::make_unique<platform::CSimBackend>(config);
        backend = simulated.get();
        library_ = std::make_unique<platform::CAccessLibrary>();
        library_->add_backend(std::move(simulated));
        library_->EnumerateInterfaces(1, 3);
        platform::set_access_library(library_.get());
    }
    // Connects the monitor model to an interface and forgets what that cost.
    void open(int index) {
        ASSERT_EQ(monitor.connect_interface(index), 0);
        sleeper.clear();
        progress.clear();
    }
    sim::CSimMonitor& sim_monitor(std::size_t i = 0) { return *backend->monitor(i); }
    platform::CAccessLibrary* library() { return library_.get(); }

    // The waits the model adds: the link's own pauses and polls are all shorter.
    std::vector<int> settle_waits() const {
        std::vector<int> out;
        for (int w : sleeper.waits()) {
            if (w >= 500) out.push_back(w);
        }
        return out;
    }
    int exchanges(std::size_t i = 0) { return sim_monitor(i).counters().exchanges; }

    platform::CFakeSleeper sleeper;
    platform::CSimBackend* backend = nullptr;
    CDDCMonitor monitor;
    ProgressLog progress;

  private:
    QTemporaryDir dir_;
    platform::CScopedSleeper guard_;
    std::unique_ptr<platform::CAccessLibrary> library_;
    platform::CAccessLibrary* previous_;
};

}  // namespace monitor_testing
