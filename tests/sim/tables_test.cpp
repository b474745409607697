#include <gtest/gtest.h>

#include <cmath>

#include "sim/sim_model.h"
#include "sim_wire.h"

using wire::bytes;

namespace {

sim::CSimMonitor make(const char* model = "KX271W") {
    return sim::CSimMonitor(*sim::find_sim_model(QString::fromLatin1(model)), {});
}

QByteArray words_request(int address, const std::vector<int>& values) {
    QByteArray p = bytes({0xC2, 0x0B, address >> 8, address});
    for (int v : values)
        p += bytes({v >> 8, v});
    return p;
}

std::vector<int> read_words(sim::CSimMonitor& m, int address, int count) {
    const wire::Reply r = wire::exchange(m, bytes({0xC2, 0x0A, address >> 8, address, count}));
    std::vector<int> out;
    if (r.payload.size() != 2 * count + 2) {
        ADD_FAILURE() << "reply of " << r.payload.size() << " bytes";
        return out;
    }
    EXPECT_EQ(r.payload.left(2), bytes({0xC3, 0x0A}));
    for (int i = 0; i < count; ++i)
        out.push_back(wire::word(r.payload, 2 + 2 * i));
    return out;
}

TEST(GammaTables, WordsAreWrittenAndReadBackPerChannel) {
    auto m = make();
    std::vector<int> ramp;
    for (int i = 0; i < 16; ++i)
        ramp.push_back(0xFFFF - 4099 * i);
    for (int offset : {0x000 + 8, 0x100 + 64, 0x200 + 240}) {
        wire::write(m, wire::request(words_request(offset, ramp)));
        EXPECT_EQ(read_words(m, offset, 16), ramp);
    }
    // The factory tables are straight ramps from 0 to 65535.
    EXPECT_EQ(read_words(m, 0x000, 2), (std::vector<int>{0, 257}));
    EXPECT_EQ(read_words(m, 0x0FF, 1), (std::vector<int>{65535}));
}

TEST(GammaTables, RequestsOutsideTheTablesOrOver16WordsAreIgnored) {
    auto m = make();
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x0A, 0x00, 0x00, 17})).null);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x0A, 0x02, 0xFC, 8})).null);  // runs past blue
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x0A, 0x00, 0x00, 0})).null);
    wire::write(m, wire::request(words_request(0x2FC, {1, 2, 3, 4, 5})));  // runs past blue
    // Still the factory ramp: entry i of 256 is i * 65535 / 255.
    EXPECT_EQ(read_words(m, 0x2FC, 4), (std::vector<int>{252 * 257, 253 * 257, 254 * 257, 65535}));
}

TEST(GammaTables, EachMemoryKeepsItsOwnTables) {
    auto m = make();
    wire::write(m, wire::request(words_request(0x010, {1234})));
    wire::set_paged(m, 0x1050, 2);
    EXPECT_NE(read_words(m, 0x010, 1).front(), 1234);
    wire::set_paged(m, 0x1050, 1);
    EXPECT_EQ(read_words(m, 0x010, 1).front(), 1234);
}

TEST(GammaTables, LargeTablesTakeCompactTransfersOnlyInTransferMode) {
    auto m = make("KX302W");
    ASSERT_EQ(m.model().table_entries, 1024);
    // Without transfer mode word addresses reach single entries of the 1024-entry table.
    wire::write(m, wire::request(words_request(0x400 + 5, {777})));
    EXPECT_EQ(m.state().memories[0].tables[1][5], 777);
    EXPECT_EQ(m.state().memories[0].tables[1][4], std::lround(4 * 65535.0 / 1023));

    EXPECT_EQ(wire::set_paged(m, 0x2F9, 1).current, 1);
    wire::write(m, wire::request(words_request(0x400 + 3, {4000, 5000})));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(m.state().memories[0].tables[1][static_cast<std::size_t>(12 + k)], 4000);
        EXPECT_EQ(m.state().memories[0].tables[1][static_cast<std::size_t>(16 + k)], 5000);
    }
    EXPECT_EQ(read_words(m, 0x400 + 3, 2), (std::vector<int>{4000, 5000}));
    // In transfer mode each table spans 256 words.
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x0A, 0x04, 0xFF, 1})).payload.size(), 4);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x0A, 0x05, 0x00, 1})).null);

    // C2 06 applies the tables and ends transfer mode; C2 07 stores them.
    wire::write(m, wire::request(bytes({0xC2, 0x07})));
    wire::write(m, wire::request(bytes({0xC2, 0x06})));
    EXPECT_EQ(m.counters().table_stores, 1);
    EXPECT_EQ(m.counters().table_applies, 1);
    EXPECT_EQ(wire::get_paged(m, 0x2F9).current, 0);
}

QByteArray lut_points(int i0, int i1, int i2, const std::vector<std::array<int, 3>>& points) {
    QByteArray p = bytes({0xC2, 0x25, i0, i1, i2});
    for (const auto& rgb : points) {
        for (int v : rgb)
            p += bytes({v >> 8, v});
    }
    return p;
}

std::vector<std::array<int, 3>> read_lut(sim::CSimMonitor& m, int i0, int i1, int i2, int count) {
    const wire::Reply r = wire::exchange(m, bytes({0xC2, 0x24, i0, i1, i2, count}));
    std::vector<std::array<int, 3>> out;
    if (r.payload.size() != 6 * count + 2) {
        ADD_FAILURE() << "reply of " << r.payload.size() << " bytes";
        return out;
    }
    EXPECT_EQ(r.payload.left(2), bytes({0xC3, 0x24}));
    for (int k = 0; k < count; ++k) {
        out.push_back({wire::word(r.payload, 2 + 6 * k), wire::word(r.payload, 4 + 6 * k),
                       wire::word(r.payload, 6 + 6 * k)});
    }
    return out;
}

TEST(Lut3d, FactorySlotsHoldTheIdentityCube) {
    auto m = make();
    wire::set_paged(m, 0x106B, 2);
    const auto row = read_lut(m, 0, 4, 8, 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(row[static_cast<std::size_t>(k)][0], std::lround(k * 1020.0 / 8));
        EXPECT_EQ(row[static_cast<std::size_t>(k)][1], std::lround(4 * 1020.0 / 8));
        EXPECT_EQ(row[static_cast<std::size_t>(k)][2], 1020);
    }
}

TEST(Lut3d, PointsAreWrittenIntoTheSelectedSlotAndEchoed) {
    auto m = make();
    wire::set_paged(m, 0x106B, 3);
    std::vector<std::array<int, 3>> points;
    for (int k = 0; k < 8; ++k)
        points.push_back({k * 100, 1020 - k * 90, 17 * k});
    const wire::Reply ack = wire::exchange(m, lut_points(1, 3, 5, points));
    EXPECT_EQ(ack.payload, bytes({0xC3, 0x25, 1, 3, 5}));
    EXPECT_EQ(read_lut(m, 1, 3, 5, 8), points);

    wire::set_paged(m, 0x106B, 4);  // another slot is untouched
    EXPECT_EQ(read_lut(m, 1, 3, 5, 1).front()[0], std::lround(1 * 1020.0 / 8));
}

TEST(Lut3d, RequestsOutsideTheCubeOrWithoutSlotAreIgnored) {
    auto m = make();
    wire::set_paged(m, 0x106B, 0);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x24, 0, 0, 0, 1})).null);
    wire::set_paged(m, 0x106B, 1);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x24, 0, 0, 0, 9})).null);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x24, 5, 0, 0, 5})).null);  // 5 + 5 > 9
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x24, 0, 9, 0, 1})).null);
    std::vector<std::array<int, 3>> nine(9, {1, 2, 3});
    EXPECT_TRUE(wire::exchange(m, lut_points(0, 0, 0, nine)).null);
    EXPECT_TRUE(wire::exchange(m, lut_points(0, 0, 0, {}) + bytes({0, 1})).null);
}

TEST(SlotNames, FactoryNamesAreReadAndValidNamesStored) {
    auto m = make();
    for (int slot = 1; slot <= 5; ++slot) {
        const wire::Reply r = wire::exchange(m, bytes({0xC2, 0x26, slot}));
        EXPECT_EQ(r.payload, bytes({0xC3, 0x26}) + "Programmable" + QByteArray::number(slot));
    }
    const QByteArray name = "Proof +2.0 ab";
    ASSERT_EQ(name.size(), 13);
    const wire::Reply ack = wire::exchange(m, bytes({0xC2, 0x27, 4}) + name);
    EXPECT_EQ(ack.payload, bytes({0xC3, 0x27, 4}));
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x26, 4})).payload.mid(2), name);
}

TEST(SlotNames, CharactersTheDisplayCannotShowAndBadSlotsAreRefused) {
    auto m = make();
    for (const QByteArray& name : {QByteArray("Bad!name     "), QByteArray("under_score  "),
                                   QByteArray("caf\xe9         ")}) {
        ASSERT_EQ(name.size(), 13);
        EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x27, 1}) + name).null);
    }
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x27, 6}) + QByteArray(13, 'A')).null);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x27, 1}) + QByteArray(12, 'A')).null);
    EXPECT_TRUE(wire::exchange(m, bytes({0xC2, 0x26, 0})).null);
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x26, 1})).payload.mid(2), "Programmable1");
}

}  // namespace
