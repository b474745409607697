#include <gtest/gtest.h>

#include "sim/sim_model.h"
#include "sim_wire.h"

using sim::CSimFault;
using sim::CSimFaultRule;
using wire::bytes;

namespace {

sim::CSimMonitor make() {
    return sim::CSimMonitor(*sim::find_sim_model(QStringLiteral("KX241W")), {});
}

const QByteArray kGetContrast = bytes({0x01, 0x12});

// The reply a fault-free monitor gives, to compare spoilt replies with.
wire::Reply clean_reply(const QByteArray& payload) {
    auto m = make();
    return wire::exchange(m, payload);
}

void arm(sim::CSimMonitor& m, CSimFault fault, int count = 1) {
    m.faults().add({.fault = fault, .exchange = m.counters().exchanges, .count = count});
}

TEST(Faults, LostReplyCarriesOutTheRequestButNeverAnswers) {
    auto m = make();
    arm(m, CSimFault::lost_reply);
    int nulls = 0;
    const wire::Reply r = wire::poll(m, bytes({0xC8, 0x02, 0xBE, 0x00, 0x02}), nulls, 10);
    EXPECT_TRUE(r.null);
    EXPECT_EQ(nulls, 10);
    EXPECT_EQ(wire::get_paged(m, 0x2BE).current, 2);
    EXPECT_EQ(m.faults().fired(CSimFault::lost_reply), 1);
}

TEST(Faults, NullRepliesComeBeforeTheRealReply) {
    auto m = make();
    arm(m, CSimFault::null_replies, 3);
    int nulls = 0;
    const wire::Reply r = wire::poll(m, kGetContrast, nulls);
    EXPECT_EQ(nulls, 3);
    EXPECT_EQ(r.payload, clean_reply(kGetContrast).payload);
}

TEST(Faults, SlowProcessingAddsPollsToTheMonitorsOwn) {
    auto m = make();
    const QByteArray select = bytes({0xC8, 0x10, 0x50, 0x00, 0x02});
    arm(m, CSimFault::slow, 4);
    int nulls = 0;
    const wire::Reply r = wire::poll(m, select, nulls);
    EXPECT_EQ(nulls, 4 + m.model().busy_polls);
    EXPECT_EQ(wire::word(r.payload, 7), 2);
    EXPECT_EQ(m.faults().fired(CSimFault::slow), 1);
}

TEST(Faults, FrameFaultsSpoilOnlyTheirPart) {
    const wire::Reply clean = clean_reply(kGetContrast);
    ASSERT_TRUE(clean.valid);

    auto m = make();
    arm(m, CSimFault::bad_checksum);
    wire::Reply r = wire::exchange(m, kGetContrast);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.raw.left(r.raw.size() - 1), clean.raw.left(clean.raw.size() - 1));
    EXPECT_NE(r.raw.back(), clean.raw.back());

    arm(m, CSimFault::wrong_source);
    r = wire::exchange(m, kGetContrast);
    EXPECT_NE(r.source, 0x6E);
    EXPECT_NE(r.source, 0x51);
    EXPECT_EQ(r.raw.mid(1), clean.raw.mid(1));

    arm(m, CSimFault::wrong_length);
    r = wire::exchange(m, kGetContrast);
    EXPECT_EQ(r.length_byte, 0x80 | (clean.payload.size() + 1));

    arm(m, CSimFault::wrong_opcode);
    r = wire::exchange(m, kGetContrast);
    EXPECT_TRUE(r.valid);
    EXPECT_NE(r.payload[0], clean.payload[0]);
    EXPECT_EQ(r.payload.mid(1), clean.payload.mid(1));
    EXPECT_EQ(m.faults().total_fired(), 4);
}

TEST(Faults, WrongEchoNamesAnotherCodeOffsetOrSlot) {
    struct Case {
        QByteArray request;
        int echo_at;  // the payload byte that echoes the request
    };
    const Case cases[] = {
        {bytes({0x01, 0x12}), 2},
        {bytes({0xC6, 0x10, 0x51}), 3},
        {bytes({0xF3, 0x00, 0x20}), 2},
        {bytes({0xC2, 0x27, 0x02}) + QByteArray(13, 'A'), 2},
        {bytes({0xC0, 0x09, 0x02, 0x88, 0x00}), 1},
    };
    for (const Case& c : cases) {
        const wire::Reply clean = clean_reply(c.request);
        auto m = make();
        arm(m, CSimFault::wrong_echo);
        const wire::Reply r = wire::exchange(m, c.request);
        ASSERT_TRUE(r.valid);
        ASSERT_EQ(r.payload.size(), clean.payload.size());
        for (int i = 0; i < r.payload.size(); ++i) {
            if (i == c.echo_at) {
                EXPECT_NE(r.payload[i], clean.payload[i])
                    << std::hex << int(static_cast<std::uint8_t>(c.request[0]));
            } else {
                EXPECT_EQ(r.payload[i], clean.payload[i]);
            }
        }
    }
}

TEST(Faults, WriteFailureMeansTheMonitorNeverSawTheRequest) {
    auto m = make();
    const int before = wire::get_paged(m, 0x12).current;
    arm(m, CSimFault::write_failure);
    const QByteArray set = wire::request(bytes({0x03, 0x12, 0x00, before + 5}));
    EXPECT_LT(wire::write(m, set), 0);
    EXPECT_EQ(wire::get_paged(m, 0x12).current, before);
    EXPECT_GE(wire::write(m, set), 0);  // the next attempt goes through
    EXPECT_EQ(wire::get_paged(m, 0x12).current, before + 5);
}

TEST(Faults, UnplugMidTransferLosesTheLinkUntilReconnected) {
    auto m = make();
    arm(m, CSimFault::unplug);
    EXPECT_GE(wire::write(m, wire::request(bytes({0xC8, 0x02, 0xBE, 0x00, 0x01}))), 0);
    EXPECT_TRUE(m.link_lost());
    std::uint8_t buffer[12];
    EXPECT_EQ(m.i2c_read(0x6F, buffer, 12), sim::kSimNoDevice);
    const QByteArray frame = wire::request(kGetContrast);
    EXPECT_EQ(wire::write(m, frame), sim::kSimNoDevice);
    EXPECT_EQ(m.i2c_read(0xA1, buffer, 12), sim::kSimNoDevice);
    m.reconnect();
    EXPECT_EQ(wire::get_paged(m, 0x2BE).current, 1);  // the request had been carried out
}

TEST(FaultScript, RulesAreBoundToExchangesCommandsAndRepeats) {
    auto m = make();
    // Exchanges 2 and 3 (counted from 0) get bad checksums.
    m.faults().add({.fault = CSimFault::bad_checksum, .exchange = 2, .repeat = 2});
    bool valid[5];
    for (bool& v : valid)
        v = wire::exchange(m, kGetContrast).valid;
    EXPECT_TRUE(valid[0] && valid[1] && valid[4]);
    EXPECT_FALSE(valid[2] || valid[3]);

    // An unbound rule with a command filter waits for that command.
    m.faults().add({.fault = CSimFault::wrong_opcode, .command = 0xC20A});
    EXPECT_TRUE(wire::exchange(m, kGetContrast).valid);
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x0A, 0, 0, 1})).payload[0], static_cast<char>(0xC2));
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x0A, 0, 0, 1})).payload[0], static_cast<char>(0xC3));
    EXPECT_EQ(m.faults().pending(), 0);
}

TEST(FaultScript, ReplyFaultsWaitForAnExchangeWithAReply) {
    auto m = make();
    m.faults().add({.fault = CSimFault::bad_checksum});
    wire::write(m, wire::request(bytes({0x03, 0x12, 0x00, 0x10})));  // a set: nothing to spoil
    EXPECT_EQ(m.faults().pending(), 1);
    EXPECT_FALSE(wire::exchange(m, kGetContrast).valid);
    EXPECT_EQ(m.faults().fired(CSimFault::bad_checksum), 1);

    // A rule bound to an exchange that passes without a reply is dropped.
    m.faults().add({.fault = CSimFault::bad_checksum, .exchange = m.counters().exchanges});
    wire::write(m, wire::request(bytes({0x03, 0x12, 0x00, 0x11})));
    EXPECT_TRUE(wire::exchange(m, kGetContrast).valid);
    EXPECT_EQ(m.faults().pending(), 0);
}

TEST(FaultScript, FaultNamesRoundTrip) {
    for (int i = 0; i < sim::kSimFaultKinds; ++i) {
        CSimFault f{};
        ASSERT_TRUE(sim::CSimFaultScript::from_name(
            sim::CSimFaultScript::name(static_cast<CSimFault>(i)), f));
        EXPECT_EQ(static_cast<int>(f), i);
    }
    CSimFault f{};
    EXPECT_FALSE(sim::CSimFaultScript::from_name(QStringLiteral("gremlins"), f));
}

}  // namespace
