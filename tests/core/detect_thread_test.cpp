#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "comm/multi_monitor.h"
#include "core/monitor_detect_thread.h"
#include "platform/access_library.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"

namespace {

// A backend whose rescans wait at a gate the test opens, so the detection pass can be held
// while the test talks to the thread.
class GateBackend : public platform::CAccessBackend {
  public:
    void rescan(int mode) override {
        modes.push_back(mode);
        entered.release();
        gate.acquire();
    }
    int interface_count() const override { return 0; }
    int interface_info(int, platform::CInterfaceInfo&) override { return -1; }
    int i2c_write(int, int, const std::uint8_t*, int) override { return -1; }
    int i2c_read(int, int, std::uint8_t*, int) override { return -1; }

    QSemaphore entered;
    QSemaphore gate;
    std::vector<int> modes;
};

struct DetectThread : ::testing::Test {
    void SetUp() override {
        auto backend = std::make_unique<GateBackend>();
        gate = backend.get();
        library.add_backend(std::move(backend));
        platform::set_access_library(&library);
        platform::interface_enumeration_mode = 3;
    }
    void TearDown() override { platform::set_access_library(nullptr); }

    platform::CAccessLibrary library;
    GateBackend* gate = nullptr;
    CMultiMonitor monitors;
};

TEST_F(DetectThread, PassRescansWithModeZeroThenScansWithTheStartupMode) {
    MonitorDetectThread thread(monitors);
    gate->gate.release(10);
    thread.request(false);
    ASSERT_TRUE(thread.wait(10000));
    EXPECT_EQ(gate->modes, (std::vector<int>{0, 3}));
}

TEST_F(DetectThread, FullDetectionClearsTheStoredAssignmentsOnlyWhenAsked) {
    monitors.set_mapping(0, 5);
    monitors.set_mapping(9, 1);
    {
        MonitorDetectThread thread(monitors);
        gate->gate.release(10);
        thread.request(false);
        ASSERT_TRUE(thread.wait(10000));
        EXPECT_EQ(monitors.mapping(0), 5);
    }
    MonitorDetectThread thread(monitors);
    gate->gate.release(10);
    thread.request(true);
    ASSERT_TRUE(thread.wait(10000));
    for (int i = 0; i < CMultiMonitor::kMappingCount; ++i)
        EXPECT_EQ(monitors.mapping(i), -1);
}

TEST_F(DetectThread, RequestWhileRunningAsksForAnotherPassWithItsOwnChoice) {
    monitors.set_mapping(0, 5);
    MonitorDetectThread thread(monitors);
    thread.request(false);
    gate->entered.acquire();  // the first pass is under way
    EXPECT_TRUE(thread.isRunning());
    thread.request(true);
    EXPECT_TRUE(thread.restart_requested());
    EXPECT_TRUE(thread.full_detection());
    gate->gate.release(10);
    ASSERT_TRUE(thread.wait(10000));
    EXPECT_EQ(gate->modes.size(), 4u) << "two passes of two rescans each";
    EXPECT_FALSE(thread.restart_requested());
    EXPECT_EQ(monitors.mapping(0), -1) << "the second pass did the full matching it was asked for";
}

TEST_F(DetectThread, DestroyingTheThreadAbortsThePassAndJoins) {
    auto* thread = new MonitorDetectThread(monitors);
    thread->request(true);
    gate->entered.acquire();
    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        delete thread;
        destroyed = true;
    });
    // The object lives until its thread has ended, which cannot happen before the gate opens.
    while (!thread->abort_requested())
        std::this_thread::yield();
    EXPECT_FALSE(destroyed.load());
    gate->gate.release(10);
    destroyer.join();
    EXPECT_TRUE(destroyed.load());
    EXPECT_EQ(gate->modes.size(), 1u) << "nothing after the abort reached the interfaces";
}

}  // namespace

namespace {

// The detection pass on a simulated machine: the simulator's monitors and desktop.
struct SimulatedDetection : ::testing::Test {
    void SetUp() override {
        config = sim::CSimConfig::default_set();
        config.state_file = dir.path() + QStringLiteral("/state.json");
        library.add_backend(std::make_unique<platform::CSimBackend>(config));
        services = std::make_unique<platform::CSimDisplayServices>(config);
        platform::set_access_library(&library);
        platform::set_display_services(services.get());
        platform::interface_enumeration_mode = 3;
    }
    void TearDown() override {
        platform::set_access_library(nullptr);
        platform::set_display_services(nullptr);
    }
    void run_pass(CMultiMonitor& monitors, bool full) {
        MonitorDetectThread thread(monitors);
        thread.request(full);
        ASSERT_TRUE(thread.wait(10000));
    }

    QTemporaryDir dir;
    sim::CSimConfig config;
    platform::CAccessLibrary library;
    std::unique_ptr<platform::CSimDisplayServices> services;
};

TEST_F(SimulatedDetection, AFullPassMatchesAndFillsTheRecordsAndReportsToTheGuiThread) {
    CMultiMonitor monitors;
    QSignalSpy texts(&monitors, &CMultiMonitor::detectedMonitor);
    run_pass(monitors, true);
    // Default set: 0 KX271W video, 1 KX271W USB, 2 KX241W, 3 Generic 24, 4 KX302W.
    EXPECT_EQ(monitors.mapping(0), 1);
    EXPECT_EQ(monitors.mapping(1), 2);
    EXPECT_EQ(monitors.mapping(2), 3);
    EXPECT_EQ(monitors.mapping(3), 4);
    ASSERT_EQ(monitors.display_count(), 4);
    EXPECT_EQ(monitors.display(0).ddcCapable, 1);
    EXPECT_EQ(monitors.display(1).ddcCapable, 1) << "answers over its video cable";
    EXPECT_EQ(monitors.display(2).supported_model, 0);
    EXPECT_EQ(monitors.display(3).ddcCapable, 0) << "DDC/CI is off in its menu";
    // The texts cross to this thread queued, in the order the scan found the monitors.
    EXPECT_TRUE(texts.isEmpty()) << "nothing delivered before this thread's events run";
    QCoreApplication::processEvents();
    QStringList received;
    for (const auto& t : texts)
        received << t.at(0).toString();
    EXPECT_EQ(received, (QStringList{"KX271W", "KX271W (USB)", "KX241W", "Generic 24", "KX302W"}));
}

TEST_F(SimulatedDetection, APassWithoutFullMatchingUsesTheStoredAssignments) {
    CMultiMonitor monitors;
    monitors.set_mapping(0, 2);  // the user put the KX241W on the first display
    run_pass(monitors, false);
    EXPECT_EQ(monitors.mapping(0), 2);
    EXPECT_EQ(monitors.mapping(1), -1);
    EXPECT_EQ(monitors.display(0).text1, "KX241W");
    EXPECT_EQ(monitors.display(0).index, 2);
    EXPECT_EQ(monitors.display(1).index, -1);
}

}  // namespace
