#include <gtest/gtest.h>

#include "sim/sim_model.h"
#include "sim_wire.h"

using wire::bytes;

namespace {

sim::CSimMonitor make(const char* model = "KX271W") {
    return sim::CSimMonitor(*sim::find_sim_model(QString::fromLatin1(model)), {});
}

std::uint32_t le32(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

TEST(MemoryMap, FactoryPrimariesAreTheModelsNativeChromaticities) {
    for (const sim::CSimModel& model : sim::sim_models()) {
        if (!model.maker_commands) continue;
        sim::CSimMonitor m(model, {});
        const QByteArray groups = wire::read_memory(m, 0x8800, 48);
        double sum[3] = {0, 0, 0};
        for (int p = 0; p < 3; ++p) {
            const double X = le32(groups, 16 * p + 4);
            const double Y = le32(groups, 16 * p + 8);
            const double Z = le32(groups, 16 * p + 12);
            ASSERT_GT(X + Y + Z, 0);
            EXPECT_NEAR(X / (X + Y + Z), model.native[static_cast<std::size_t>(2 * p)], 0.0005);
            EXPECT_NEAR(Y / (X + Y + Z), model.native[static_cast<std::size_t>(2 * p + 1)], 0.0005);
            sum[0] += X;
            sum[1] += Y;
            sum[2] += Z;
        }
        // Full drive of all three gives the native white at the panel's luminance.
        const double total = sum[0] + sum[1] + sum[2];
        EXPECT_NEAR(sum[0] / total, model.native[6], 0.0005);
        EXPECT_NEAR(sum[1] / total, model.native[7], 0.0005);
        EXPECT_NEAR(sum[1] / 100.0, model.max_luminance, 0.05);
    }
}

TEST(MemoryMap, FactoryMatrixDecodesWithTheBit12SignRule) {
    for (const sim::CSimModel& model : sim::sim_models()) {
        if (!model.maker_commands) continue;
        sim::CSimMonitor m(model, {});
        const QByteArray raw = wire::read_memory(m, 0x8C90, 18);
        for (int i = 0; i < 9; ++i) {
            int v = static_cast<std::uint8_t>(raw[2 * i]) |
                    static_cast<std::uint8_t>(raw[2 * i + 1]) << 8;
            if (v & 0x1000) v -= 65536;
            EXPECT_NEAR(v / 10000.0, model.factory_matrix[static_cast<std::size_t>(i)], 0.00005)
                << model.name.toStdString() << " element " << i;
        }
    }
}

TEST(MemoryMap, BlocksAreWrittenAndReadBackUpTo32Bytes) {
    auto m = make();
    QByteArray data;
    for (int i = 0; i < 70; ++i)
        data.append(static_cast<char>(i * 7 + 3));
    wire::write_memory(m, 0x1200, data);
    EXPECT_EQ(wire::read_memory(m, 0x1200, 70), data);

    // 33 bytes, a zero count and a block running past the end are refused.
    EXPECT_TRUE(wire::exchange(m, bytes({0xC0, 0x09, 33, 0x12, 0x00})).null);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC0, 0x09, 0, 0x12, 0x00})).null);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC0, 0x09, 4, 0xFF, 0xFE})).null);
    // A write whose count disagrees with its data is ignored.
    wire::write(m, wire::request(bytes({0xC0, 0x02, 4, 0x12, 0x00, 1, 2, 3})));
    EXPECT_EQ(wire::read_memory(m, 0x1200, 4), data.left(4));
}

TEST(MemoryMap, FactoryCalibrationAreaIsWriteProtected) {
    auto m = make();
    const QByteArray before = wire::read_memory(m, 0x8800, 48);
    wire::write_memory(m, 0x8800, QByteArray(16, '\0'));
    wire::write_memory(m, 0x87F0, QByteArray(20, '\0'));  // straddles the area's start
    EXPECT_EQ(wire::read_memory(m, 0x8800, 48), before);
    EXPECT_EQ(m.counters().ignored_requests, 2);
}

TEST(ChangeTable, FactoryHeaderHasNoEntries) {
    auto m = make();
    EXPECT_EQ(wire::read_memory(m, 0xFF10, 3), bytes({0x01, 0x00, 0x00}));
    auto small = make("KX241W");  // this model keeps no table: erased memory
    EXPECT_EQ(wire::read_memory(small, 0xFF10, 3), bytes({0xFF, 0xFF, 0xFF}));
    small.osd_change({.memory = 2});
    EXPECT_EQ(wire::read_memory(small, 0xFF10, 3), bytes({0xFF, 0xFF, 0xFF}));
}

TEST(ChangeTable, OsdChangeAddsAnEntryForTheMemoryAndPreset) {
    auto m = make();
    m.osd_change({.memory = 3, .preset = 13, .stamp = 0x5F3A1B2C});
    EXPECT_EQ(wire::get_paged(m, 0x1050).current, 3);
    EXPECT_EQ(wire::get_paged(m, 0x1051).current, 13);
    EXPECT_EQ(wire::read_memory(m, 0xFF10, 3), bytes({0x01, 0x01, 0x01}));
    EXPECT_EQ(wire::read_memory(m, 0xFF13, 6), bytes({3, 13, 0x5F, 0x3A, 0x1B, 0x2C}));

    // The same memory and preset again updates the entry in place.
    m.osd_change({.luminance = 150, .stamp = 7});
    EXPECT_EQ(wire::read_memory(m, 0xFF10, 3), bytes({0x01, 0x01, 0x01}));
    EXPECT_EQ(wire::read_memory(m, 0xFF13, 6), bytes({3, 13, 0, 0, 0, 7}));
    EXPECT_EQ(wire::get_paged(m, 0x2B3).current, 150);
}

TEST(ChangeTable, HostClearsTheFlagAndErasesEntriesWhichAreReused) {
    auto m = make();
    m.osd_change({.memory = 1});
    m.osd_change({.memory = 2});
    wire::write_memory(m, 0xFF11, bytes({0x00}));        // clear the changed flag
    wire::write_memory(m, 0xFF13, QByteArray(6, '\0'));  // erase entry 0
    EXPECT_EQ(wire::read_memory(m, 0xFF10, 3), bytes({0x01, 0x00, 0x02}));
    m.osd_change({.memory = 4});
    const int preset4 = wire::get_paged(m, 0x1051).current;
    EXPECT_EQ(wire::read_memory(m, 0xFF10, 3), bytes({0x01, 0x01, 0x02}));
    EXPECT_EQ(wire::read_memory(m, 0xFF13, 2), bytes({4, preset4}));
}

TEST(ChangeTable, AFullTableDropsItsOldestEntry) {
    auto m = make();
    for (int preset = 1; preset <= 11; ++preset)
        m.osd_change({.preset = preset, .stamp = static_cast<std::uint32_t>(preset)});
    EXPECT_EQ(wire::read_memory(m, 0xFF12, 1), bytes({10}));
    const QByteArray entries = wire::read_memory(m, 0xFF13, 60);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(static_cast<std::uint8_t>(entries[6 * i + 1]), i + 2);  // preset 1 is gone
        EXPECT_EQ(static_cast<std::uint8_t>(entries[6 * i + 5]), i + 2);
    }
}

}  // namespace
