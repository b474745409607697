#include <gtest/gtest.h>

#include "sim/sim_model.h"
#include "sim_wire.h"

using wire::bytes;

namespace {

sim::CSimMonitor make(const char* model = "KX271W", std::uint8_t source = 0x6E) {
    sim::CSimMonitorSetup setup;
    setup.serial = "71000123";
    setup.reply_source = source;
    return sim::CSimMonitor(*sim::find_sim_model(QString::fromLatin1(model)), setup);
}

const QByteArray kGetContrast = bytes({0x01, 0x12});

TEST(Framing, WellFormedRequestIsAnsweredWithA0x50SeededChecksum) {
    auto m = make();
    const wire::Reply r = wire::exchange(m, kGetContrast);
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.source, 0x6E);
    EXPECT_EQ(r.length_byte, 0x80 | 8);
    // The same frame checked with the request's seed would not balance.
    std::uint8_t with_request_seed = 0x6E ^ 0x51;
    for (char c : r.raw)
        with_request_seed ^= static_cast<std::uint8_t>(c);
    EXPECT_NE(with_request_seed, 0);
}

TEST(Framing, NullMessageWhenNothingIsPending) {
    auto m = make();
    const QByteArray frame = wire::read(m, 3);
    const int checksum = 0x50 ^ 0x6E ^ 0x80;
    EXPECT_EQ(frame, bytes({0x6E, 0x80, checksum}));
}

TEST(Framing, MalformedRequestsAreIgnoredWithoutEffect) {
    auto m = make();
    const int before = wire::get_paged(m, 0x12).current;
    const QByteArray good = wire::request(bytes({0x03, 0x12, 0x00, before == 20 ? 30 : 20}));

    QByteArray bad_checksum = good;
    bad_checksum[bad_checksum.size() - 1] = static_cast<char>(bad_checksum.back() ^ 0x01);
    QByteArray bad_source = good;
    bad_source[0] = 0x50;
    QByteArray no_length_flag = good;
    no_length_flag[1] = static_cast<char>(good[1] & 0x7F);
    const QByteArray short_write = good.left(good.size() - 1);
    const QByteArray long_write = good + bytes({0x00});

    for (const QByteArray& frame :
         {bad_checksum, bad_source, no_length_flag, short_write, long_write}) {
        EXPECT_GE(wire::write(m, frame), 0);  // the bus accepts the bytes
        EXPECT_TRUE(wire::parse(wire::read(m)).null);
    }
    EXPECT_EQ(m.counters().rejected_frames, 5);
    EXPECT_EQ(wire::get_paged(m, 0x12).current, before);
}

TEST(Framing, AnUnreadReplyIsDroppedByTheNextRequestAndReadOnlyOnce) {
    auto m = make();
    ASSERT_GE(wire::write(m, wire::request(kGetContrast)), 0);
    ASSERT_GE(wire::write(m, wire::request(bytes({0xC6, 0x10, 0x50}))), 0);
    const wire::Reply r = wire::parse(wire::read(m));
    EXPECT_EQ(static_cast<std::uint8_t>(r.payload[0]), 0xC7);
    EXPECT_TRUE(wire::parse(wire::read(m)).null);
}

TEST(Framing, ModelConfiguredFor0x51AnswersWithThatSource) {
    auto m = make("KX271W", 0x51);
    const wire::Reply r = wire::exchange(m, kGetContrast);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.source, 0x51);
    EXPECT_EQ(r.payload.size(), 8);
}

TEST(Framing, OtherAddressesAreNotAcknowledged) {
    auto m = make();
    const QByteArray frame = wire::request(kGetContrast);
    const auto* data = reinterpret_cast<const std::uint8_t*>(frame.constData());
    EXPECT_LT(m.i2c_write(0x70, data, static_cast<int>(frame.size())), 0);
    std::uint8_t buffer[4];
    EXPECT_NE(m.i2c_read(0x71, buffer, 4), 0);
    EXPECT_EQ(m.i2c_write(0x6E, nullptr, 3), sim::kSimBadArguments);
}

TEST(Framing, EdidIsReadFromTheOffsetLastWritten) {
    auto m = make("KX302W");
    const QByteArray edid = m.edid();
    ASSERT_EQ(edid.size(), 256);
    std::uint8_t offset = 128;
    ASSERT_GE(m.i2c_write(0xA0, &offset, 1), 0);
    QByteArray block(128, '\0');
    ASSERT_EQ(m.i2c_read(0xA1, reinterpret_cast<std::uint8_t*>(block.data()), 128), 0);
    EXPECT_EQ(block, edid.mid(128));
    offset = 0;
    ASSERT_GE(m.i2c_write(0xA0, &offset, 1), 0);
    ASSERT_EQ(m.i2c_read(0xA1, reinterpret_cast<std::uint8_t*>(block.data()), 128), 0);
    EXPECT_EQ(block, edid.left(128));
}

}  // namespace
