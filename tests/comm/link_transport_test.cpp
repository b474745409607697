#include <gtest/gtest.h>

#include <array>

#include "comm/ddc_control.h"
#include "comm/low_level_ddc.h"
#include "comm/monitor_timing.h"
#include "scripted_bus.h"

namespace {

using link_testing::Bytes;
using link_testing::null_reply;
using link_testing::reply_frame;
using link_testing::request_frame;

constexpr int kLinkParameter = 10000;

class LinkTest : public link_testing::BusFixture {
  protected:
    low_level_ddc link{kInterface, kLinkParameter, 3};
    std::array<std::uint8_t, 130> payload{};
};

TEST(RequestFrame, MatchesTheStandardGetVcpExample) {
    // The well-known request for VCP code 0x10: 51 82 01 10 AC.
    EXPECT_EQ(request_frame({0x01, 0x10}), (Bytes{0x51, 0x82, 0x01, 0x10, 0xAC}));
}

TEST_F(LinkTest, SendFramesThePayloadToTheDisplayAddress) {
    const Bytes payload_bytes{0x03, 0x10, 0x00, 0x32};
    bus->expect_write(0x6E, request_frame(payload_bytes), 7);
    EXPECT_EQ(link.send(payload_bytes.data(), 4), 7);

    // The null message too is a valid frame.
    bus->expect_write(0x6E, request_frame({}), -204);
    EXPECT_EQ(link.send(nullptr, 0), -204);
    ASSERT_EQ(bus->log().size(), 2u);
    EXPECT_EQ(bus->log()[1].length, 3);
}

TEST_F(LinkTest, ReadsUseTheOddAddressAndTurnSuccessIntoOne) {
    std::array<std::uint8_t, 4> buffer{};
    bus->expect_read(0x6F, 4, {1, 2, 3, 4}, 0);
    EXPECT_EQ(link.i2c_read(0x6E, buffer.data(), 4), 1);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    bus->expect_read(0x6F, 4, {}, -204);
    EXPECT_EQ(link.i2c_read(0x6E, buffer.data(), 4), -204);
    bus->expect_read(0x6F, 4, {}, 9);
    EXPECT_EQ(link.i2c_read(0x6F, buffer.data(), 4), 9);
}

TEST_F(LinkTest, ReceiveAcceptsEitherSourceByte) {
    const Bytes reply{0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32};
    for (std::uint8_t source : {std::uint8_t{0x6E}, std::uint8_t{0x51}}) {
        payload.fill(0);
        expect_reply(8, reply_frame(reply, source));
        ASSERT_EQ(link.receive(payload.data(), 8), 8) << int(source);
        EXPECT_TRUE(std::equal(reply.begin(), reply.end(), payload.begin()));
    }
    // A shorter reply than the capacity is fine; a null message is a length of 0.
    expect_reply(8, reply_frame({0x02, 0x01}));
    EXPECT_EQ(link.receive(payload.data(), 8), 2);
    expect_reply(8, null_reply());
    EXPECT_EQ(link.receive(payload.data(), 8), 0);
}

TEST_F(LinkTest, ReceiveRejectsBadFramesInItsOrder) {
    const Bytes reply{0x02, 0x00, 0x10};
    Bytes bad_source_and_sum = reply_frame(reply, 0x6F);
    bad_source_and_sum.back() ^= 0x01;
    Bytes long_with_bad_sum = reply_frame({1, 2, 3, 4, 5});
    long_with_bad_sum.back() ^= 0x01;
    struct Case {
        const char* what;
        Bytes frame;
        int result;
    } cases[] = {
        {"source 0x50", reply_frame(reply, 0x50), -27},
        {"source 0x6F", reply_frame(reply, 0x6F), -27},
        {"source checked before the checksum", bad_source_and_sum, -27},
        {"too long, right checksum", reply_frame({1, 2, 3, 4}), -24},
        {"length checked before the checksum", long_with_bad_sum, -24},
        {"checksum seeded with 0x6E", reply_frame(reply, 0x6E, 0x6E), -20},
        {"checksum seeded with 0x51", reply_frame(reply, 0x6E, 0x51), -20},
        {"checksum without seed", reply_frame(reply, 0x6E, 0x00), -20},
    };
    for (const Case& c : cases) {
        payload.fill(0xEE);
        expect_reply(3, c.frame);
        EXPECT_EQ(link.receive(payload.data(), 3), c.result) << c.what;
        EXPECT_EQ(payload[0], 0xEE) << c.what << ": a rejected reply must not be handed out";
    }
    expect_reply(3, {}, -204);
    EXPECT_EQ(link.receive(payload.data(), 3), -204);
}

TEST_F(LinkTest, ReadRegisterWritesTheOffsetFirst) {
    std::array<std::uint8_t, 2> buffer{};
    bus->expect_write(0xA0, {0x80});
    bus->expect_read(0xA1, 2, {0x12, 0x34});
    EXPECT_EQ(link.read_register(buffer.data(), 0xA0, 0x80, 2), 1);
    EXPECT_EQ(buffer[1], 0x34);
    // A failed offset write ends it before any read.
    bus->expect_write(0xA0, {0x00}, -204);
    EXPECT_EQ(link.read_register(buffer.data(), 0xA0, 0, 2), -204);
}

TEST_F(LinkTest, WaitGoesThroughTheSleeper) {
    EXPECT_EQ(link.wait(123), 0);
    EXPECT_EQ(sleeper.waits(), std::vector<int>{123});
}

TEST_F(LinkTest, AccessHooksBracketTransactionsOnTheBus) {
    EXPECT_EQ(link.begin_access(), 0);
    EXPECT_EQ(link.end_access(), 0);
    EXPECT_EQ(bus->begins, 1);
    EXPECT_EQ(bus->ends, 1);
    // An interface the access object does not know is left to the transfers to report.
    low_level_ddc stale{kInterface + 5, kLinkParameter, 3};
    EXPECT_EQ(stale.begin_access(), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(stale.i2c_write(0x6E, &byte, 1), platform::kAccessBadIndex);
}

TEST(LinkWithoutAccessObject, TransfersFail) {
    platform::CAccessLibrary* previous = platform::access_library();
    platform::set_access_library(nullptr);
    low_level_ddc link{0, kLinkParameter, 3};
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(link.begin_access(), 0);
    EXPECT_LT(link.i2c_write(0x6E, buffer, 4), 0);
    EXPECT_LT(link.i2c_read(0x6E, buffer, 4), 0);
    EXPECT_LT(link.receive(buffer, 1), 0);
    platform::set_access_library(previous);
}

class TransactionTest : public link_testing::BusFixture {
  protected:
    ddc_control control{kInterface, kLinkParameter, 3};
    std::array<std::uint8_t, 130> reply{};
    int length = 0;

    int transact(const Bytes& request, int capacity, bool null_is_error,
                 int delay = monitor_timing::kReplyDelayBaseMs) {
        length = capacity;
        return control.transact(request.data(), static_cast<int>(request.size()), reply.data(),
                                length, null_is_error, delay);
    }
};

TEST_F(TransactionTest, LengthLimitsRefuseBeforeAnyTraffic) {
    const Bytes longest(120, 0x42);
    expect_request(longest);
    EXPECT_EQ(control.send_command(longest.data(), 120, 0), 0);
    const Bytes too_long(121, 0x42);
    EXPECT_EQ(control.send_command(too_long.data(), 121, 0), -28);
    EXPECT_EQ(transact(too_long, 8, true), -28);
    EXPECT_EQ(transact({}, 8, true), -24);
    EXPECT_EQ(transact({0x01, 0x10}, 121, true), -28);
    EXPECT_EQ(transact({0x01, 0x10}, 0, true), -24);
    length = 121;
    EXPECT_EQ(control.receive_only(reply.data(), length, 0), -28);
    length = 0;
    EXPECT_EQ(control.receive_only(reply.data(), length, 0), -24);
    EXPECT_EQ(bus->log().size(), 1u);
    EXPECT_EQ(bus->begins, 1);
    EXPECT_TRUE(sleeper.waits().empty());
}

TEST_F(TransactionTest, SendCommandRetriesWithGrowingWaitsThenPauses) {
    const Bytes request{0x0C};
    for (int k = 0; k < 5; ++k)
        expect_request(request, -204);
    EXPECT_EQ(control.send_command(request.data(), 1, 200), -204);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 250, 450, 650, 850, 200}));
    // Other programs on the bus get it during each back-off: one bus transaction per attempt.
    EXPECT_EQ(bus->begins, 5);
    EXPECT_EQ(bus->ends, 5);

    // A device that is gone does not come back by waiting: no further attempt.
    sleeper.clear();
    expect_request(request, -204);
    expect_request(request, -203);
    EXPECT_EQ(control.send_command(request.data(), 1, 200), -203);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 200}));

    sleeper.clear();
    expect_request(request, -204);
    expect_request(request, -204);
    expect_request(request);
    EXPECT_EQ(control.send_command(request.data(), 1, 50), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 250, 50}));
}

TEST_F(TransactionTest, RetryCountBoundsTheAttempts) {
    control.retries = 1;
    const Bytes request{0x0C};
    expect_request(request, -204);
    expect_request(request, -204);
    EXPECT_EQ(control.send_command(request.data(), 1, 0), -204);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 250}));
    // Even a nonsensical negative count makes one attempt rather than claiming success.
    control.retries = -3;
    expect_request(request, -204);
    EXPECT_EQ(control.send_command(request.data(), 1, 0), -204);
}

TEST_F(TransactionTest, AnsweredAtOnceWaitsBeforeTheReadAndAfterTheExchange) {
    const Bytes answer{0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32};
    expect_exchange({0x01, 0x10}, answer, 8);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), 0);
    EXPECT_EQ(length, 8);
    EXPECT_TRUE(std::equal(answer.begin(), answer.end(), reply.begin()));
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50}));
    ASSERT_EQ(bus->log().size(), 2u);
    EXPECT_EQ(bus->log()[1].at_ms - bus->log()[0].at_ms, 50);
    EXPECT_EQ(bus->begins, 1);
    EXPECT_EQ(bus->ends, 1);

    // The closing pause is fixed; only the processing time follows the base delay.
    sleeper.clear();
    expect_exchange({0x01, 0x10}, answer, 8);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true, 20), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{20, 50}));
}

TEST_F(TransactionTest, FailedWritesWaitTwicePerAttempt) {
    for (int k = 0; k < 5; ++k)
        expect_request({0x01, 0x10}, -204);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -204);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(sleeper.waits(),
              (std::vector<int>{50, 50, 250, 100, 450, 150, 650, 200, 850, 250, 50}));

    // A removed device ends the transaction at once, with only the closing pause.
    sleeper.clear();
    expect_request({0x01, 0x10}, -203);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -203);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50}));
}

TEST_F(TransactionTest, BadReplyIsReadAgainAfterALongerWait) {
    Bytes broken = reply_frame({0x02, 0x00});
    broken.back() ^= 0xFF;
    expect_request({0x01, 0x10});
    expect_reply(8, broken);
    expect_exchange({0x01, 0x10}, {0x02, 0x00}, 8);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), 0);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 100, 50}));
}

TEST_F(TransactionTest, ReplyLongerThanCapacityFailsEveryAttempt) {
    for (int k = 0; k < 5; ++k)
        expect_exchange({0x01, 0x10}, {1, 2, 3, 4, 5}, 4);
    EXPECT_EQ(transact({0x01, 0x10}, 4, true), -24);
    EXPECT_EQ(length, 0);
}

TEST_F(TransactionTest, NullReplyEndsAtOnceUnlessItCountsAsFailure) {
    expect_exchange({0xC8, 0x10, 0x50, 0x00, 0x01}, {}, 9);
    EXPECT_EQ(transact({0xC8, 0x10, 0x50, 0x00, 0x01}, 9, false), 0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50}));

    sleeper.clear();
    for (int k = 0; k < 5; ++k)
        expect_exchange({0x01, 0x10}, {}, 8);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -23);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(sleeper.waits(),
              (std::vector<int>{50, 50, 100, 100, 150, 150, 200, 200, 250, 250, 50}));
}

TEST_F(TransactionTest, OnlyALastNullReplyGivesTheNullError) {
    Bytes broken = reply_frame({0x02});
    broken.back() ^= 0x01;
    for (int k = 0; k < 4; ++k)
        expect_exchange({0x01, 0x10}, {}, 8);
    expect_request({0x01, 0x10});
    expect_reply(8, broken);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -20);

    for (int k = 0; k < 4; ++k) {
        expect_request({0x01, 0x10});
        expect_reply(8, broken);
    }
    expect_exchange({0x01, 0x10}, {}, 8);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -23);

    // A failed write after null replies is the last error, not a null reply.
    for (int k = 0; k < 4; ++k)
        expect_exchange({0x01, 0x10}, {}, 8);
    expect_request({0x01, 0x10}, -204);
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -204);
}

TEST_F(TransactionTest, RefusedAccessAbortsWithoutTrafficOrWaits) {
    bus->begin_result = -77;
    EXPECT_EQ(transact({0x01, 0x10}, 8, true), -77);
    const std::uint8_t save = 0x0C;
    EXPECT_EQ(control.send_command(&save, 1, 200), -77);
    length = 9;
    EXPECT_EQ(control.receive_only(reply.data(), length, 50), -77);
    EXPECT_TRUE(bus->log().empty());
    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_EQ(bus->ends, 0);
}

TEST_F(TransactionTest, ReceiveOnlyRetriesReadsWithoutWaiting) {
    expect_reply(9, {}, -204);
    expect_reply(9, reply_frame({0xC7}, 0x6F));
    expect_reply(9, reply_frame({0xC7, 0x00, 0x10}));
    length = 9;
    EXPECT_EQ(control.receive_only(reply.data(), length, 50), 0);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(sleeper.waits(), std::vector<int>{50});

    sleeper.clear();
    expect_reply(9, null_reply());
    length = 9;
    EXPECT_EQ(control.receive_only(reply.data(), length, 50), 0);
    EXPECT_EQ(length, 0);

    for (int k = 0; k < 4; ++k)
        expect_reply(9, {}, -204);
    expect_reply(9, {}, -203);
    length = 9;
    EXPECT_EQ(control.receive_only(reply.data(), length, 70), -203);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 70}));
}

}  // namespace
