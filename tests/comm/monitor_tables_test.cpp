#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "comm/monitor_features.h"
#include "monitor_fixture.h"
#include "sim/sim_model.h"

namespace mf = monitor_feature;

namespace {

using monitor_testing::MonitorTest;
using sim::CSimFault;

// Interfaces: KX271W on DisplayPort (video, USB), KX241W on DVI, KX302W (1024-entry tables).
constexpr int kKx271 = 0;
constexpr int kKx271Usb = 1;
constexpr int kKx241 = 2;
constexpr int kKx302 = 3;

constexpr const char* kConfig = R"({"monitors": [
    {"model": "KX271W", "serial": "71000123", "usb": true, "input": "DisplayPort"},
    {"model": "KX241W", "serial": "41000456", "input": "DVI"},
    {"model": "KX302W", "serial": "30000555", "input": "HDMI"}]})";

constexpr int kEntries = 256;

// A table unlike the factory ramp: a different curve per channel.
std::vector<std::int32_t> test_table() {
    std::vector<std::int32_t> table(3 * kEntries);
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < kEntries; ++i) {
            const double x = i / 255.0;
            table[std::size_t(c * kEntries + i)] =
                static_cast<std::int32_t>(std::lround(65535.0 * std::pow(x, 1.8 + 0.2 * c)));
        }
    }
    return table;
}

class MonitorTableTest : public MonitorTest {
  protected:
    void SetUp() override { simulate(kConfig); }
    const sim::CSimMemoryState& active_memory(std::size_t m) {
        const sim::CSimMonitorState& s = sim_monitor(m).state();
        return s.memories[std::size_t(s.active_memory - 1)];
    }
    // The waits the upload rules give, for a monitor whose 0x268 was or was not at 6.
    static std::vector<int> upload_waits(bool mode_was_6) {
        std::vector<int> waits;
        if (!mode_was_6) waits.push_back(3000);
        waits.insert(waits.end(), {2000, 5000, 2000});
        return waits;
    }
};

TEST_F(MonitorTableTest, DisplayPortUploadsInBlocksOfFourAndReadsBackEqual) {
    open(kKx271);
    const bool mode_was_6 = sim_monitor(0).read_feature(mf::gamma_type).current == 6;
    const int stores = sim_monitor(0).counters().table_stores;
    const int applies = sim_monitor(0).counters().table_applies;
    const std::vector<std::int32_t> table = test_table();

    EXPECT_EQ(monitor.write_gamma_table(table), 0);
    const unsigned blocks = 3 * kEntries / 4;
    EXPECT_EQ(progress.totals(), std::vector<unsigned>{blocks + 3});
    EXPECT_EQ(progress.totals().front(), 195u);
    EXPECT_EQ(progress.steps(), int(blocks) + 3);
    EXPECT_TRUE(progress.steps_carry_zero());
    EXPECT_EQ(settle_waits(), upload_waits(mode_was_6));
    EXPECT_EQ(sim_monitor(0).read_feature(mf::gamma_type).current, 6);
    EXPECT_EQ(sim_monitor(0).counters().table_stores, stores + 1);
    EXPECT_EQ(sim_monitor(0).counters().table_applies, applies + 1);
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < kEntries; ++i) {
            ASSERT_EQ(active_memory(0).tables[std::size_t(c)][std::size_t(i)],
                      table[std::size_t(c * kEntries + i)])
                << c << " " << i;
        }
    }

    // Read back: 96 blocks of 8 words, each curve holding (i / 255, word / 65535).
    progress.clear();
    CSpline red, green, blue;
    EXPECT_EQ(monitor.read_gamma_tables(red, green, blue), 0);
    EXPECT_EQ(progress.totals(), std::vector<unsigned>{96});
    EXPECT_EQ(progress.steps(), 96);
    const std::array<const CSpline*, 3> curves = {&red, &green, &blue};
    for (int c = 0; c < 3; ++c) {
        const CSpline& curve = *curves[std::size_t(c)];
        EXPECT_TRUE(curve.valid);
        ASSERT_EQ(curve.size(), kEntries);
        for (int i = 0; i < kEntries; ++i) {
            EXPECT_DOUBLE_EQ(curve.xAt(i), i / 255.0);
            ASSERT_EQ(std::lround(curve.yAt(i) * 65535.0), table[std::size_t(c * kEntries + i)])
                << c << " " << i;
        }
    }
}

TEST_F(MonitorTableTest, BlockSizeFollowsTheLinkAndTheInput) {
    struct Case {
        int index;
        bool usb;
        unsigned total;
    } cases[] = {{kKx271Usb, true, 3 * kEntries / 8 + 3}, {kKx241, false, 3 * kEntries / 8 + 3}};
    for (const Case& c : cases) {
        open(c.index);
        monitor.set_usb(c.usb);
        EXPECT_EQ(monitor.write_gamma_table(test_table()), 0) << c.index;
        EXPECT_EQ(progress.totals(), std::vector<unsigned>{c.total}) << c.index;
        EXPECT_EQ(progress.steps(), int(c.total)) << c.index;
    }
}

TEST_F(MonitorTableTest, LargerTablesTakeTheUploadThroughTheTransferMode) {
    open(kKx302);
    const std::size_t m = 2;
    const int span = sim_monitor(m).model().table_entries / kEntries;
    ASSERT_GT(span, 1);
    const std::vector<std::int32_t> table = test_table();
    EXPECT_EQ(monitor.write_gamma_table(table), 0);
    EXPECT_EQ(sim_monitor(m).read_feature(mf::table_transfer).current, 0)
        << "ended by the apply command";
    for (int c = 0; c < 3; ++c) {
        const auto& stored = active_memory(m).tables[std::size_t(c)];
        for (std::size_t e = 0; e < stored.size(); ++e)
            ASSERT_EQ(stored[e], table[std::size_t(c * kEntries) + e / std::size_t(span)]) << e;
    }

    sleeper.clear();
    CSpline red, green, blue;
    EXPECT_EQ(monitor.read_gamma_tables(red, green, blue), 0);
    EXPECT_EQ(settle_waits(), std::vector<int>{500});
    for (int i = 0; i < kEntries; ++i)
        ASSERT_EQ(std::lround(blue.yAt(i) * 65535.0), table[std::size_t(2 * kEntries + i)]);
}

TEST_F(MonitorTableTest, CurvesAreSampledIntoWords) {
    open(kKx241);
    CSpline red, green, blue;
    red.init(CSpline::kCatmullRom, 256, 0, 1);
    red.makeGamma(2.2);
    green.init(CSpline::kCatmullRom, 256, 0, 1);
    blue.init(CSpline::kCatmullRom, 17, 0, 1);
    blue.makeGamma(0.45);
    EXPECT_EQ(monitor.write_gamma_from_curves(red, green, blue), 0);
    const std::array<const CSpline*, 3> curves = {&red, &green, &blue};
    for (std::size_t c = 0; c < 3; ++c) {
        for (int i = 0; i < kEntries; ++i) {
            const double y = curves[c]->evaluate(i / 255.0);
            const auto word = static_cast<std::uint16_t>(std::trunc(y * 65535.0 + 0.5));
            ASSERT_EQ(active_memory(1).tables[c][std::size_t(i)], word) << c << " " << i;
        }
    }
}

TEST_F(MonitorTableTest, WithoutGammaTableOrOnAFailedBlockNothingMore) {
    open(kKx241);
    monitor.set_capabilities("(vcp(10 12))");
    const std::vector<std::int32_t> table = test_table();
    EXPECT_EQ(monitor.upload_gamma_table(table, 8), -1);
    CSpline red, green, blue;
    EXPECT_EQ(monitor.read_gamma_tables(red, green, blue), -1);
    EXPECT_FALSE(red.valid);

    // A block that never reads back as written: the verified write gives up, the upload stops
    // and neither table command is sent.
    open(kKx241);
    const int stores = sim_monitor(1).counters().table_stores;
    sim_monitor(1).faults().add({CSimFault::wrong_opcode, -1, 0xC20A, 1, 7});
    EXPECT_EQ(monitor.write_gamma_table(table), -32);
    EXPECT_EQ(sim_monitor(1).counters().table_stores, stores);
    EXPECT_EQ(progress.steps(), 1);

    // A failed read leaves the curves as they were.
    sim_monitor(1).faults().add({CSimFault::wrong_opcode, -1, 0xC20A, 1, 1});
    EXPECT_EQ(monitor.read_gamma_tables(red, green, blue), -26);
    EXPECT_FALSE(red.valid);
    EXPECT_EQ(red.size(), 0);
}

// --- 3D LUT and slot names ------------------------------------------------------------------

std::vector<std::int32_t> test_lut() {
    std::vector<std::int32_t> points(3 * 729);
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<std::int32_t>((i * 37 + i / 3 * 11) % 1021);
    return points;
}

TEST_F(MonitorTableTest, A3dLutWrittenToASlotReadsBackEqual) {
    open(kKx271);
    const std::vector<std::int32_t> lut = test_lut();
    const int slot = 2;
    const std::vector<std::uint16_t> other_slot = sim_monitor(0).state().lut_slots[0];
    EXPECT_EQ(monitor.write_lut_to_slot(slot, lut), 0);
    EXPECT_EQ(sim_monitor(0).read_feature(mf::lut_slot).current, slot);
    EXPECT_EQ(settle_waits(), std::vector<int>{3000});
    EXPECT_EQ(progress.totals(), std::vector<unsigned>{81});
    EXPECT_EQ(progress.steps(), 81);
    const auto& stored = sim_monitor(0).state().lut_slots[std::size_t(slot - 1)];
    ASSERT_EQ(stored.size(), lut.size());
    for (std::size_t i = 0; i < lut.size(); ++i)
        ASSERT_EQ(stored[i], lut[i]) << i;
    EXPECT_EQ(sim_monitor(0).state().lut_slots[0], other_slot);

    // Rows of nine points travel as 4 + 4 + 1.
    progress.clear();
    std::vector<std::int32_t> back(lut.size(), -1);
    EXPECT_EQ(monitor.read_lut(back, 9), 0);
    EXPECT_EQ(back, lut);
    EXPECT_EQ(progress.steps(), 9 * 9 * 3);
}

TEST_F(MonitorTableTest, ASlotTheMonitorLacksIsNeverWritten) {
    open(kKx271);
    const std::vector<std::int32_t> lut = test_lut();
    const int slot_count = sim_monitor(0).read_feature(mf::lut_slot).maximum;
    const auto last = sim_monitor(0).state().lut_slots[std::size_t(slot_count - 1)];
    const int before = exchanges(0);
    EXPECT_EQ(monitor.write_lut_to_slot(0, lut), -1);
    EXPECT_EQ(exchanges(0), before);
    EXPECT_EQ(monitor.write_lut_to_slot(1, std::span(lut).first(100)), -1);
    EXPECT_EQ(exchanges(0), before);
    // The monitor keeps its last slot when asked for one more: that slot's LUT stays.
    EXPECT_EQ(monitor.write_lut_to_slot(slot_count + 1, lut), -1);
    EXPECT_EQ(sim_monitor(0).state().lut_slots[std::size_t(slot_count - 1)], last);
}

// The characters a slot name may hold; everything else is sent as a blank.
std::string shown_as(const std::string& name) {
    std::string out(13, ' ');
    for (std::size_t i = 0; i < 13 && i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool shown = c == ' ' || (c >= 0x2B && c <= 0x3A) || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z');
        out[i] = shown ? name[i] : ' ';
    }
    return out;
}

TEST_F(MonitorTableTest, SlotNamesRoundTripThroughTheCharacterFilter) {
    open(kKx271);
    const std::vector<std::string> names = {"Print_proof!", "Soft-proof 2,3", "Caf\xE9 au lait",
                                            "ABCDEFGHIJKLMNOP", "x"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int slot = int(i) + 1;
        EXPECT_EQ(monitor.write_slot_name(slot, names[i].c_str()), 0) << names[i];
        std::array<char, 14> back{};
        back.fill('#');
        EXPECT_EQ(monitor.read_slot_name(slot, back.data()), 0);
        EXPECT_EQ(std::string(back.data()), shown_as(names[i])) << names[i];
        EXPECT_EQ(sim_monitor(0).state().slot_names[i],
                  QByteArray::fromStdString(shown_as(names[i])));
    }
}

}  // namespace
