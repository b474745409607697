#include <gtest/gtest.h>

#include <QTest>
#include <functional>
#include <vector>

#include "comm/monitor_timing.h"
#include "platform/fake_sleeper.h"
#include "platform/sleeper.h"
#include "simulated_desktop.h"

namespace {

using display_config_testing::kThreeDisplays;
using display_config_testing::SimulatedDesktop;

constexpr int kBrightness = 0x10;
constexpr int kContrast = 0x12;

// What the monitor shows while the dialog holds a flash state.
struct Shown {
    int brightness;
    int contrast;
    bool operator==(const Shown&) const = default;
};
void PrintTo(const Shown& s, std::ostream* os) {
    *os << "{brightness " << s.brightness << ", contrast " << s.contrast << "}";
}

// A virtual clock that also notes the simulated monitor's brightness and contrast at every
// wait of the flash's length, and lets a test act at the n-th of them.
class FlashWatcher : public platform::CSleeper {
  public:
    explicit FlashWatcher(sim::CSimMonitor& monitor) : monitor_(monitor) {}
    void sleep(int milliseconds) override {
        clock.sleep(milliseconds);
        if (milliseconds != monitor_timing::kFlashHoldMs) return;
        shown.push_back(
            {monitor_.read_feature(kBrightness).current, monitor_.read_feature(kContrast).current});
        if (on_hold) on_hold(static_cast<int>(shown.size()));
    }
    // Waits of the flash's length or longer: the link's own pauses are shorter.
    std::vector<int> long_waits() const {
        std::vector<int> out;
        for (int w : clock.waits()) {
            if (w >= monitor_timing::kFlashHoldMs) out.push_back(w);
        }
        return out;
    }

    platform::CFakeSleeper clock;
    std::vector<Shown> shown;
    std::function<void(int)> on_hold;

  private:
    sim::CSimMonitor& monitor_;
};

class TestMonitor : public SimulatedDesktop {
  protected:
    // Gives the monitor a brightness and contrast of its own and returns them as it took them.
    Shown prepare(sim::CSimMonitor& monitor) {
        monitor.write_feature(kBrightness, 63);
        monitor.write_feature(kContrast, 37);
        return {monitor.read_feature(kBrightness).current, monitor.read_feature(kContrast).current};
    }
    static void click_test(TW_Display_Configuration_Dialog& dialog) {
        QTest::mouseClick(test_button(dialog), Qt::LeftButton);
    }
};

TEST_F(TestMonitor, FlashesBrightnessThenContrastAndPutsBothBack) {
    start(kThreeDisplays);
    sim::CSimMonitor& main = sim_monitor(0);
    const Shown before = prepare(main);
    const int brightness_max = main.read_feature(kBrightness).maximum;
    const int contrast_max = main.read_feature(kContrast).maximum;
    ASSERT_GT(brightness_max, 0);
    const Shown other = prepare(sim_monitor(1));

    TW_Display_Configuration_Dialog dialog(monitors);
    ASSERT_EQ(monitor_list(dialog)->currentData().toInt(), 1) << "the USB link of display 1";
    FlashWatcher watcher(main);
    const platform::CScopedSleeper installed(watcher);
    click_test(dialog);

    const std::vector<Shown> expected = {
        {0, before.contrast},   {brightness_max, before.contrast},
        {0, before.contrast},   {brightness_max, before.contrast},
        {before.brightness, 0}, {before.brightness, contrast_max},
        {before.brightness, 0},
    };
    EXPECT_EQ(watcher.shown, expected);
    EXPECT_EQ(watcher.long_waits(), std::vector<int>(7, 500));
    const Shown after{main.read_feature(kBrightness).current, main.read_feature(kContrast).current};
    EXPECT_EQ(after, before);
    const Shown other_after{sim_monitor(1).read_feature(kBrightness).current,
                            sim_monitor(1).read_feature(kContrast).current};
    EXPECT_EQ(other_after, other) << "only the chosen monitor flashes";
}

TEST_F(TestMonitor, TheChosenVideoInterfaceIsTheOneThatFlashes) {
    start(kThreeDisplays);
    TW_Display_Configuration_Dialog dialog(monitors);
    display_list(dialog)->setCurrentIndex(2);
    ASSERT_EQ(monitor_list(dialog)->currentData().toInt(), 3);
    const int before_main = exchanges(0), before_left = exchanges(1);
    FlashWatcher watcher(sim_monitor(2));
    const platform::CScopedSleeper installed(watcher);
    click_test(dialog);
    ASSERT_EQ(watcher.shown.size(), 7u);
    EXPECT_EQ(watcher.shown[0].brightness, 0);
    EXPECT_EQ(exchanges(0), before_main);
    EXPECT_EQ(exchanges(1), before_left);
}

TEST_F(TestMonitor, AFailedWriteMidwayStillLeavesTheMonitorAsItWas) {
    start(kThreeDisplays);
    sim::CSimMonitor& main = sim_monitor(0);
    const Shown before = prepare(main);
    TW_Display_Configuration_Dialog dialog(monitors);
    FlashWatcher watcher(main);
    // While the screen is dark, the link fails every attempt of the next set (five tries).
    watcher.on_hold = [&](int hold) {
        if (hold == 1) main.faults().add({sim::CSimFault::write_failure, -1, 0xC8, 1, 5});
    };
    const platform::CScopedSleeper installed(watcher);
    click_test(dialog);

    EXPECT_EQ(main.faults().fired(sim::CSimFault::write_failure), 5);
    EXPECT_EQ(main.faults().pending(), 0);
    ASSERT_FALSE(watcher.shown.empty());
    EXPECT_EQ(watcher.shown.front(), (Shown{0, before.contrast}));
    const Shown after{main.read_feature(kBrightness).current, main.read_feature(kContrast).current};
    EXPECT_EQ(after, before) << "brightness must come back although the flash broke off";
    // The contrast flash is a test of its own and still runs in full.
    ASSERT_GE(watcher.shown.size(), 3u);
    EXPECT_EQ(watcher.shown.back(), (Shown{before.brightness, 0}));
}

TEST_F(TestMonitor, NothingIsSentWithoutAMonitorOrToOneThatDoesNotAnswer) {
    start(kThreeDisplays);
    TW_Display_Configuration_Dialog dialog(monitors);
    monitor_list(dialog)->setCurrentIndex(0);
    FlashWatcher watcher(sim_monitor(0));
    const platform::CScopedSleeper installed(watcher);
    const int before = exchanges(0);
    // The button is disabled for None; the slot itself must not guess a monitor either.
    dialog.on_display_configuration_Test_Monitor_pushButton_clicked();
    EXPECT_EQ(exchanges(0), before);

    // A monitor whose reads go unanswered is left alone: no flash, no write.
    const Shown untouched = prepare(sim_monitor(0));
    monitor_list(dialog)->setCurrentIndex(item_of(dialog, 1));
    sim_monitor(0).faults().add({sim::CSimFault::lost_reply, -1, 0xC6, 1, 1000});
    click_test(dialog);
    EXPECT_TRUE(watcher.shown.empty());
    EXPECT_GT(sim_monitor(0).faults().fired(sim::CSimFault::lost_reply), 0);
    EXPECT_EQ((Shown{sim_monitor(0).read_feature(kBrightness).current,
                     sim_monitor(0).read_feature(kContrast).current}),
              untouched);
}

}  // namespace
