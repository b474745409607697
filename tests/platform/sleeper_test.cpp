#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <thread>

#include "platform/fake_sleeper.h"
#include "platform/sleeper.h"
#include "support/test_environment.h"

namespace {

TEST(Sleeper, FakeRecordsWaitsInOrderAndAdvancesItsClock) {
    platform::CFakeSleeper fake;
    platform::CScopedSleeper scope(fake);
    QElapsedTimer real;
    real.start();
    platform::sleep_ms(850);
    platform::sleep_ms(50);
    platform::sleep_ms(0);  // no wait at all: not recorded
    platform::sleep_ms(3500);
    EXPECT_EQ(fake.waits(), (std::vector<int>{850, 50, 3500}));
    EXPECT_EQ(fake.now_ms(), 4400);
    EXPECT_LT(real.elapsed(), 400) << "a fake wait must not block";
}

TEST(Sleeper, ScopedInstallRestoresThePreviousSleeper) {
    platform::CFakeSleeper outer, inner;
    platform::CScopedSleeper outer_scope(outer);
    {
        platform::CScopedSleeper inner_scope(inner);
        platform::sleep_ms(7);
    }
    platform::sleep_ms(9);
    EXPECT_EQ(inner.waits(), std::vector<int>{7});
    EXPECT_EQ(outer.waits(), std::vector<int>{9});
}

TEST(Sleeper, FakeCollectsWaitsFromSeveralThreads) {
    platform::CFakeSleeper fake;
    platform::CScopedSleeper scope(fake);
    std::thread a([] {
        for (int i = 0; i < 100; ++i)
            platform::sleep_ms(1);
    });
    std::thread b([] {
        for (int i = 0; i < 100; ++i)
            platform::sleep_ms(2);
    });
    a.join();
    b.join();
    EXPECT_EQ(fake.waits().size(), 200u);
    EXPECT_EQ(fake.now_ms(), 300);
}

TEST(Sleeper, TestProcessRunsOnTheVirtualClock) {
    // Without a sleeper of its own, a test's waits land on the process-wide fake.
    const auto before = testing_support::process_sleeper().now_ms();
    platform::sleep_ms(5000);
    EXPECT_EQ(testing_support::process_sleeper().now_ms(), before + 5000);
}

}  // namespace
