#include <array>
#include <functional>
#include <vector>

#include "comm/monitor_features.h"
#include "monitor_fixture.h"
#include "sim/sim_model.h"

namespace mf = monitor_feature;

namespace {

using monitor_testing::MonitorTest;
using sim::CSimFault;

// Interfaces: the KX271W's video cable and USB link, then the KX241W (no uniformity
// correction, no 0x237 or 0x2F8).
constexpr int kKx271 = 0;
constexpr int kKx241 = 2;
constexpr std::size_t kSimKx241 = 1;

constexpr const char* kConfig = R"({"monitors": [
    {"model": "KX271W", "serial": "71000123", "usb": true, "input": "DisplayPort",
     "operating_hours": 1234.5},
    {"model": "KX241W", "serial": "41000456", "input": "DVI"}]})";

class MonitorFeatureTest : public MonitorTest {
  protected:
    void SetUp() override {
        simulate(kConfig);
        open(kKx271);
    }
    int sim_value(int code, std::size_t m = 0) { return sim_monitor(m).read_feature(code).current; }
};

TEST_F(MonitorFeatureTest, ReadsAndWritesReportWhatTheMonitorHolds) {
    const sim::CSimReading black = sim_monitor().read_feature(mf::black_level);
    int current = -1, maximum = -1;
    EXPECT_EQ(monitor.get_value_max(mf::black_level, current, maximum), 0);
    EXPECT_EQ(current, black.current);
    EXPECT_EQ(maximum, black.maximum);

    // Page 0 goes through the paged commands as well.
    const int contrast = sim_value(0x12) == 40 ? 41 : 40;
    int value = contrast;
    EXPECT_EQ(monitor.set_contrast(value), 0);
    EXPECT_EQ(sim_value(0x12), contrast);
    EXPECT_EQ(value, contrast);

    // Out of range: the monitor keeps the nearest value and says which.
    value = 9999;
    EXPECT_EQ(monitor.set_value(mf::black_level, value), 0);
    EXPECT_EQ(value, black.maximum);
    EXPECT_EQ(sim_value(mf::black_level), black.maximum);

    EXPECT_EQ(monitor.get_value(0x10000, current), -29) << "no page above 255";
}

TEST_F(MonitorFeatureTest, AnUnsupportedFeatureLeavesEveryOutputAlone) {
    // The KX241W answers uniformity correction with result code 1.
    open(kKx241);
    ASSERT_EQ(sim_monitor(kSimKx241).read_feature(mf::uniformity).result, 1);
    int current = 77, maximum = 88, value = 3;
    EXPECT_EQ(monitor.get_value(mf::uniformity, current), CDDCMonitor::kUnsupported);
    EXPECT_EQ(monitor.get_value_max(mf::uniformity, current, maximum), CDDCMonitor::kUnsupported);
    EXPECT_EQ(monitor.get_uniformity_level(current, maximum), CDDCMonitor::kUnsupported);
    EXPECT_EQ(monitor.set_uniformity_level(value), CDDCMonitor::kUnsupported);
    EXPECT_EQ(current, 77);
    EXPECT_EQ(maximum, 88);
    EXPECT_EQ(value, 3);

    // The raw read passes the result code out instead.
    int result_code = 0, type = -1;
    EXPECT_EQ(monitor.get_raw(mf::uniformity, current, maximum, result_code, type), 0);
    EXPECT_EQ(result_code, 1);
    EXPECT_EQ(monitor.feature_2f8_usable(), 0);
    EXPECT_EQ(monitor.feature_237_usable(), 0);
    const int applies = sim_monitor(kSimKx241).counters().table_applies;
    EXPECT_EQ(monitor.enable_feature_2f8(), CDDCMonitor::kUnsupported);
    EXPECT_EQ(sim_monitor(kSimKx241).counters().table_applies, applies)
        << "no table command after a refused enable";
}

TEST_F(MonitorFeatureTest, WithoutAConnectionNothingIsSent) {
    CDDCMonitor unconnected;
    int a = 5, b = 6;
    double hours = 2.5;
    std::array<std::int32_t, 3 * 729> lut{};
    std::array<char, 16> text{};
    for (int result : {unconnected.get_value(0x10, a), unconnected.get_value_max(0x10, a, b),
                       unconnected.set_value(0x10, a), unconnected.save_settings(),
                       unconnected.send_command_06(), unconnected.send_command_07(),
                       unconnected.operating_hours(hours), unconnected.read_edid(),
                       unconnected.read_capabilities(), unconnected.gamma_table_size(a),
                       unconnected.write_gamma_table(std::span<const std::int32_t>(lut).first(768)),
                       unconnected.write_lut_to_slot(1, lut), unconnected.read_lut(lut, 9),
                       unconnected.read_slot_name(1, text.data()),
                       unconnected.copy_firmware_version(text.data(), 16)}) {
        EXPECT_EQ(result, CDDCMonitor::kNotConnected);
    }
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 6);
    EXPECT_EQ(hours, 2.5);
    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_EQ(exchanges(), 0);
}

TEST_F(MonitorFeatureTest, EachWriteIsFollowedByItsSettleWait) {
    struct Case {
        const char* name;
        int code;
        int wanted;
        std::function<int(int&)> write;
        std::vector<int> waits;
    };
    auto other = [this](int code, int a, int b) { return sim_value(code) == a ? b : a; };
    const std::vector<Case> cases = {
        {"brightness",
         0x10,
         other(0x10, 30, 31),
         [this](int& v) { return monitor.set_brightness(v); },
         {}},
        {"contrast",
         0x12,
         other(0x12, 30, 31),
         [this](int& v) { return monitor.set_contrast(v); },
         {}},
        {"red gain",
         0x16,
         other(0x16, 200, 201),
         [this](int& v) { return monitor.set_red_gain(v); },
         {1000}},
        {"green gain",
         0x18,
         other(0x18, 200, 201),
         [this](int& v) { return monitor.set_green_gain(v); },
         {1000}},
        {"blue gain",
         0x1A,
         other(0x1A, 200, 201),
         [this](int& v) { return monitor.set_blue_gain(v); },
         {1000}},
        {"colour preset",
         0x14,
         other(0x14, 5, 6),
         [this](int& v) { return monitor.set_color_preset(v); },
         {1000}},
        {"0x268",
         mf::gamma_type,
         other(mf::gamma_type, 9, 11),
         [this](int& v) { return monitor.set_mode_0268(v); },
         {3000}},
        {"power LED",
         mf::power_led,
         other(mf::power_led, 2, 3),
         [this](int& v) { return monitor.set_power_led_brightness(v); },
         {}},
        {"uniformity",
         mf::uniformity,
         other(mf::uniformity, 1, 2),
         [this](int& v) { return monitor.set_uniformity_level(v); },
         {}},
    };
    for (const Case& c : cases) {
        sleeper.clear();
        int value = c.wanted;
        EXPECT_EQ(c.write(value), 0) << c.name;
        EXPECT_EQ(sim_value(c.code), c.wanted) << c.name;
        EXPECT_EQ(settle_waits(), c.waits) << c.name;
    }

    // Restoring the colour defaults puts the gains back and waits for the monitor.
    const int factory_red = sim_monitor().model().feature(0x16)->factory;
    sleeper.clear();
    EXPECT_EQ(monitor.restore_color_defaults(), 0);
    EXPECT_EQ(sim_value(0x16), factory_red);
    EXPECT_EQ(settle_waits(), std::vector<int>{1000});

    sleeper.clear();
    EXPECT_EQ(monitor.save_settings(), 0);
    EXPECT_EQ(settle_waits(), std::vector<int>{2000});
}

TEST_F(MonitorFeatureTest, GainsGoToTheirMaximaInTurn) {
    for (int code : {0x16, 0x18, 0x1A})
        sim_monitor().write_feature(code, 100);
    int red = 0, green = 0, blue = 0;
    EXPECT_EQ(monitor.reset_gains_to_maximum(red, green, blue), 0);
    const std::array<int, 3> maxima = {red, green, blue};
    const std::array<int, 3> codes = {0x16, 0x18, 0x1A};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(maxima[i], sim_monitor().model().feature(codes[i])->maximum);
        EXPECT_EQ(sim_value(codes[i]), maxima[i]);
    }
    EXPECT_EQ(settle_waits(), (std::vector<int>{1000, 1000, 1000}));

    // A failed read of the green gain ends it there: blue is not touched.
    sim_monitor().write_feature(0x1A, 100);
    sim_monitor().faults().add({CSimFault::wrong_opcode, exchanges() + 2, 0xC6, 1, 5});
    EXPECT_EQ(monitor.reset_gains(), -26);
    EXPECT_EQ(sim_value(0x1A), 100);
}

TEST_F(MonitorFeatureTest, PairedSelectorsAreWrittenInTheirOrder) {
    struct Case {
        int selector;
        int e3;
        int fb;
    } cases[] = {{1, 0, 0}, {2, 0, 1}, {7, 1, 0}};
    for (const Case& c : cases) {
        sim_monitor().write_feature(0xE3, 1 - c.e3);
        sim_monitor().write_feature(0xFB, 1 - c.fb);
        EXPECT_EQ(monitor.select_e3_fb(c.selector), 0) << c.selector;
        EXPECT_EQ(sim_value(0xE3), c.e3) << c.selector;
        EXPECT_EQ(sim_value(0xFB), c.fb) << c.selector;
    }
    // Any other selector writes 0xFB first; when that write is not confirmed, 0xE3 stays.
    sim_monitor().write_feature(0xE3, 0);
    sim_monitor().faults().add({CSimFault::lost_reply, -1, 0xC8, 1, 5});
    EXPECT_EQ(monitor.select_e3_fb(3), -23);
    EXPECT_EQ(sim_value(0xE3), 0);
}

TEST_F(MonitorFeatureTest, ProbedFeaturesAndTheHourMeter) {
    EXPECT_EQ(monitor.feature_2f8_usable(), 1);
    EXPECT_EQ(monitor.feature_237_usable(), 1);
    const int applies = sim_monitor().counters().table_applies;
    EXPECT_EQ(monitor.enable_feature_2f8(), 0);
    EXPECT_EQ(sim_value(mf::adjust_2f8), 1);
    EXPECT_EQ(sim_monitor().counters().table_applies, applies + 1);
    EXPECT_EQ(settle_waits(), std::vector<int>{2000});
    EXPECT_EQ(monitor.enable_feature_237(), 0);
    EXPECT_EQ(sim_value(mf::adjust_237), 1);

    double hours = 0;
    EXPECT_EQ(monitor.operating_hours(hours), 0);
    EXPECT_EQ(hours, sim_value(0xFF) / 2.0);
    EXPECT_EQ(hours, 1234.5);
}

// --- settings lists -----------------------------------------------------------------------

TEST_F(MonitorFeatureTest, AnEqualValueUnderTheCompareFlagIsNeitherWrittenNorWaitedFor) {
    const int preset = sim_value(mf::preset);
    CMonitorSettingList list = {{CMonitorSetting::kWriteIfDifferent, mf::preset, preset, 0, 99}};
    const int before = exchanges();
    EXPECT_EQ(monitor.apply_settings(list), 0);
    EXPECT_EQ(exchanges() - before, 1) << "one read, no write";
    EXPECT_TRUE(settle_waits().empty());
    EXPECT_EQ(list[0].result, 0);
    EXPECT_EQ(list[0].value, preset);
    EXPECT_EQ(list[0].maximum, sim_monitor().read_feature(mf::preset).maximum);
    EXPECT_EQ(progress.totals(), std::vector<unsigned>{1});
    EXPECT_EQ(progress.steps(), 1);
}

TEST_F(MonitorFeatureTest, SettingsListsWriteInOrderWithTheirWaits) {
    sim_monitor().write_feature(mf::lut_mode, 1);
    const int memory = sim_value(mf::memory_select) == 2 ? 3 : 2;
    const int memory_preset =
        sim_monitor().state().memories[std::size_t(memory - 1)].values.at(mf::preset);
    const int preset = memory_preset == 4 ? 6 : 4;
    const sim::CSimReading black = sim_monitor().read_feature(mf::black_level);
    ASSERT_EQ(sim_monitor().read_feature(0x1234).result, 1);
    CMonitorSettingList list = {
        {CMonitorSetting::kReadOnly, mf::black_level, 0, 0, 99},
        {CMonitorSetting::kWrite, mf::memory_select, memory, 0, 99},
        {CMonitorSetting::kWriteIfDifferent, mf::preset, preset, 0, 99},
        {CMonitorSetting::kWrite, mf::luminance, 120, 0, 99},
        {CMonitorSetting::kWrite, mf::gamma_value, 170, 0, 99},
        {CMonitorSetting::kWriteIfDifferent, mf::lut_mode, 1, 0, 99},  // already 1
        {CMonitorSetting::kWrite, mf::lut_mode, 3, 0, 99},
        {CMonitorSetting::kWrite, mf::lut_mode, 1, 0, 99},
        {CMonitorSetting::kWrite, 0x1234, 2, 0, 99},  // a feature the monitor lacks
        {CMonitorSetting::kWrite, 0x12, 55, 0, 99},
    };
    EXPECT_EQ(monitor.apply_settings(list), 0);
    EXPECT_EQ(list[0].value, black.current);
    EXPECT_EQ(list[0].maximum, black.maximum);
    EXPECT_EQ(sim_value(mf::memory_select), memory);
    EXPECT_EQ(sim_value(mf::preset), preset);
    EXPECT_EQ(list[2].maximum, sim_monitor().read_feature(mf::preset).maximum);
    EXPECT_EQ(sim_value(mf::luminance), 120);
    EXPECT_EQ(sim_value(mf::gamma_value), 170);
    EXPECT_EQ(sim_value(mf::lut_mode), 1);
    EXPECT_EQ(list[8].result, CDDCMonitor::kUnsupported);
    EXPECT_EQ(list[8].value, 2);
    EXPECT_EQ(sim_value(0x12), 55) << "an unsupported entry does not end the list";
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(list[i].result, 0) << i;
    // 0x1050, 0x1051, 0x2B3, 0x2E8; the compare of 0x1067 = 1; 0x1067 = 3 (none); 0x1067 = 1.
    EXPECT_EQ(settle_waits(), (std::vector<int>{3500, 2000, 1000, 3000, 500, 4000}));
    EXPECT_EQ(progress.totals(), std::vector<unsigned>{unsigned(list.size())});
    EXPECT_EQ(progress.steps(), list.size());
}

TEST_F(MonitorFeatureTest, ALinkErrorEndsTheList) {
    const int contrast = sim_value(0x12);
    CMonitorSettingList list = {{CMonitorSetting::kWrite, 0x10, 20, 0, 99},
                                {CMonitorSetting::kReadOnly, 0x14, 0, 0, 99},
                                {CMonitorSetting::kWrite, 0x12, contrast == 20 ? 21 : 20, 0, 99}};
    sim_monitor().faults().add({CSimFault::wrong_opcode, -1, 0xC6, 1, 5});
    EXPECT_EQ(monitor.apply_settings(list), -26);
    EXPECT_EQ(list[0].result, 0);
    EXPECT_EQ(list[1].result, -26);
    EXPECT_EQ(list[2].result, 99) << "untouched";
    EXPECT_EQ(sim_value(0x12), contrast);
    EXPECT_EQ(progress.steps(), 2);
}

}  // namespace
