#include <gtest/gtest.h>

#include "comm/low_level_ddc.h"
#include "monitor_fixture.h"
#include "sim/sim_faults.h"

namespace {

constexpr const char* kOneMonitor = R"({"monitors": [{"id": "m", "model": "KX271W",
    "serial": "71000999", "usb": false}], "displays": []})";

struct LinkQuality : monitor_testing::MonitorTest {
    void SetUp() override {
        simulate(kOneMonitor);
        open(0);
        link = monitor.command_object()->link.get();
        start = link->counters();
    }
    CLinkCounters delta() const {
        const CLinkCounters now = link->counters();
        return {now.exchanges - start.exchanges, now.retries - start.retries,
                now.null_replies - start.null_replies, now.checksum_errors - start.checksum_errors,
                now.failed_operations - start.failed_operations};
    }
    void fault(sim::CSimFault kind, int count, int repeat) {
        sim_monitor().faults().add({kind, -1, -1, count, repeat});
    }
    low_level_ddc* link = nullptr;
    CLinkCounters start;
};

TEST_F(LinkQuality, ACleanReadIsOneExchangeAndNothingElse) {
    int value = 0, maximum = 0;
    ASSERT_EQ(monitor.get_value_max(0x10, value, maximum), 0);
    const CLinkCounters d = delta();
    EXPECT_EQ(d.exchanges, 1);
    EXPECT_EQ(d.retries, 0);
    EXPECT_EQ(d.null_replies, 0);
    EXPECT_EQ(d.checksum_errors, 0);
    EXPECT_EQ(d.failed_operations, 0);
}

TEST_F(LinkQuality, ARecoveredChecksumErrorCountsOneRetryAndNoFailure) {
    fault(sim::CSimFault::bad_checksum, 1, 1);
    int value = 0, maximum = 0;
    ASSERT_EQ(monitor.get_value_max(0x10, value, maximum), 0);
    const CLinkCounters d = delta();
    EXPECT_EQ(d.checksum_errors, 1);
    EXPECT_EQ(d.retries, 1);
    EXPECT_EQ(d.exchanges, 2);
    EXPECT_EQ(d.failed_operations, 0);
}

TEST_F(LinkQuality, AWriteThatNeverGoesOutIsAFailedOperation) {
    fault(sim::CSimFault::write_failure, 1, 50);
    int value = 50;
    EXPECT_LT(monitor.set_value(0x10, value), 0);
    const CLinkCounters d = delta();
    EXPECT_GE(d.failed_operations, 1);
    EXPECT_GE(d.retries, 4) << "every attempt after the first";
    EXPECT_EQ(d.checksum_errors, 0);
}

TEST_F(LinkQuality, NullRepliesAreCountedAndTheProcessWideTallyHasThem) {
    const CLinkCounters tally_before = low_level_ddc::interface_counters(link->interface_index);
    const int sent_before = sim_monitor().counters().null_replies;
    fault(sim::CSimFault::null_replies, 2, 3);
    int value = 0, maximum = 0;
    ASSERT_EQ(monitor.get_value_max(0x10, value, maximum), 0);
    const int sent = sim_monitor().counters().null_replies - sent_before;
    ASSERT_GE(sent, 2);
    EXPECT_EQ(delta().null_replies, sent) << "every null message the monitor sent";
    EXPECT_EQ(delta().failed_operations, 0);
    EXPECT_GE(delta().retries, 1);
    const CLinkCounters tally = low_level_ddc::interface_counters(link->interface_index);
    EXPECT_EQ(tally.null_replies - tally_before.null_replies, sent);
    EXPECT_EQ(tally.exchanges - tally_before.exchanges, delta().exchanges);
}

}  // namespace
