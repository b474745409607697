#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "comm/monitor_timing.h"
#include "comm/pvx_factory_ddc_control.h"
#include "scripted_bus.h"

namespace {

using link_testing::Bytes;
using link_testing::reply_frame;

std::uint8_t hi(int v) {
    return static_cast<std::uint8_t>(v >> 8);
}
std::uint8_t lo(int v) {
    return static_cast<std::uint8_t>(v);
}

Bytes paged_reply(int result, int page, int code, int type, int maximum, int current) {
    return {0xC7,        lo(result),  lo(page),    lo(code),   lo(type),
            hi(maximum), lo(maximum), hi(current), lo(current)};
}

// An EDID block whose last byte makes the sum of all 128 bytes zero.
Bytes with_checksum(Bytes block) {
    block[127] = 0;
    int sum = 0;
    for (std::uint8_t b : block)
        sum += b;
    block[127] = static_cast<std::uint8_t>(256 - sum % 256);
    return block;
}

Bytes edid_base(int extensions) {
    Bytes block(128);
    const Bytes header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header.begin(), header.end(), block.begin());
    for (int i = 8; i < 126; ++i)
        block[static_cast<std::size_t>(i)] = lo(i * 7);
    block[126] = lo(extensions);
    return with_checksum(block);
}

Bytes edid_extension() {
    Bytes block(128);
    block[0] = 0x02;
    block[1] = 0x03;
    for (int i = 4; i < 100; ++i)
        block[static_cast<std::size_t>(i)] = lo(i * 3);
    return with_checksum(block);
}

class CommandTest : public link_testing::BusFixture {
  protected:
    PVX_factory_ddc_control control{kInterface, 10000, 3};
    int current = -1, maximum = -1, result_code = -1, type = -1;

    void expect_fragment(int offset, const std::string& text, int echoed_offset = -1) {
        if (echoed_offset < 0) echoed_offset = offset;
        Bytes reply{0xE3, hi(echoed_offset), lo(echoed_offset)};
        for (char c : text)
            reply.push_back(static_cast<std::uint8_t>(c));
        expect_exchange({0xF3, hi(offset), lo(offset)}, reply, 35);
    }
    // The whole string in 32-byte fragments, closed by an empty one.
    void expect_capability_string(const std::string& text) {
        for (std::size_t offset = 0; offset < text.size(); offset += 32) {
            expect_fragment(static_cast<int>(offset), text.substr(offset, 32));
        }
        expect_fragment(static_cast<int>(text.size()), "");
    }
    // Each exchange waits for its reply, then pauses before the bus is used again.
    std::vector<int> waits_of_exchanges(int count) {
        std::vector<int> waits;
        for (int i = 0; i < count; ++i)
            waits.insert(waits.end(),
                         {monitor_timing::kReplyDelayBaseMs, monitor_timing::kClosingPauseMs});
        return waits;
    }
};

TEST_F(CommandTest, GetVcpDecodesTheReply) {
    expect_exchange({0x01, 0x12}, {0x02, 0x00, 0x12, 0x01, 0x01, 0x2C, 0x00, 0x7B}, 8);
    EXPECT_EQ(control.get_vcp(0x12, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, 0x7B);
    EXPECT_EQ(maximum, 0x12C);
    EXPECT_EQ(result_code, 0);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(sleeper.waits(), waits_of_exchanges(1));
}

TEST_F(CommandTest, GetVcpRetriesShortAndForeignReplies) {
    const Bytes good{0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32};
    Bytes wrong_opcode = good;
    wrong_opcode[0] = 0x03;
    Bytes other_code = good;  // the late answer to a read of 0x12
    other_code[2] = 0x12;
    other_code[7] = 0x07;

    expect_exchange({0x01, 0x10}, {0x02, 0x00, 0x10}, 8);
    expect_exchange({0x01, 0x10}, other_code, 8);
    expect_exchange({0x01, 0x10}, wrong_opcode, 8);
    expect_exchange({0x01, 0x10}, good, 8);
    EXPECT_EQ(control.get_vcp(0x10, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, 0x32);
    EXPECT_EQ(maximum, 0x64);
    // Each attempt is a whole exchange with its own waits, nothing in between.
    EXPECT_EQ(sleeper.waits(), waits_of_exchanges(4));
    EXPECT_EQ(bus->writes(), std::vector<Bytes>(4, link_testing::request_frame({0x01, 0x10})));
}

// After the last attempt its own fault is the result, whatever the earlier ones were.
TEST_F(CommandTest, GetVcpReportsTheFaultOfTheLastAttempt) {
    const Bytes good{0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32};
    Bytes wrong_opcode = good;
    wrong_opcode[0] = 0x03;
    Bytes other_code = good;
    other_code[2] = 0x12;
    const Bytes short_reply{0x02, 0x00};
    struct Case {
        std::vector<Bytes> replies;
        int result;
    };
    const std::vector<Case> cases = {
        {std::vector<Bytes>(5, short_reply), -24},
        {std::vector<Bytes>(5, other_code), -25},
        {std::vector<Bytes>(5, wrong_opcode), -26},
        {{other_code, wrong_opcode, other_code, wrong_opcode, short_reply}, -24},
        {{short_reply, wrong_opcode, short_reply, short_reply, other_code}, -25},
        {{other_code, short_reply, other_code, short_reply, wrong_opcode}, -26},
    };
    for (const Case& c : cases) {
        sleeper.clear();
        for (const Bytes& reply : c.replies)
            expect_exchange({0x01, 0x10}, reply, 8);
        current = -1;
        EXPECT_EQ(control.get_vcp(0x10, current, maximum, result_code, type), c.result);
        EXPECT_EQ(current, -1);
        EXPECT_EQ(sleeper.waits(), waits_of_exchanges(5));
        EXPECT_EQ(bus->pending(), 0u);
    }

    // Fewer retries mean fewer attempts for foreign replies too; a link error still ends at once.
    sleeper.clear();
    control.retries = 1;
    expect_exchange({0x01, 0x10}, other_code, 8);
    expect_exchange({0x01, 0x10}, wrong_opcode, 8);
    EXPECT_EQ(control.get_vcp(0x10, current, maximum, result_code, type), -26);
    EXPECT_EQ(sleeper.waits(), waits_of_exchanges(2));
}

TEST_F(CommandTest, FeatureCodesRouteByPage) {
    EXPECT_EQ(control.get_vcp(0x100, current, maximum, result_code, type), -29);
    EXPECT_EQ(control.set_vcp(0x100, 1), -29);
    EXPECT_TRUE(bus->log().empty());
    EXPECT_TRUE(sleeper.waits().empty());

    expect_exchange({0xC6, 0x01, 0x00}, paged_reply(0, 0x01, 0x00, 0, 10, 4), 9);
    EXPECT_EQ(control.get_feature(0x100, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, 4);
    expect_exchange({0x01, 0xFF}, {0x02, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x12, 0x34}, 8);
    EXPECT_EQ(control.get_feature(0xFF, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, 0x1234);
    EXPECT_EQ(maximum, 0xFFFF);

    expect_request({0x03, 0x10, 0x01, 0x2C});
    EXPECT_EQ(control.set_feature(0x10, 300), 0);
    expect_exchange({0xC8, 0x10, 0x50, 0x00, 0x02}, paged_reply(0, 0x10, 0x50, 0, 5, 2), 9);
    EXPECT_EQ(control.set_feature(0x1050, 2), 0);
}

TEST_F(CommandTest, OneWayCommandsAndTheirPauses) {
    struct Case {
        const char* what;
        int (*run)(PVX_factory_ddc_control&);
        Bytes request;
        int pause;
    } cases[] = {
        {"set_vcp",
         [](PVX_factory_ddc_control& c) { return c.set_vcp(0x14, 0x0105); },
         {0x03, 0x14, 0x01, 0x05},
         50},
        {"save_settings",
         [](PVX_factory_ddc_control& c) { return c.save_settings(); },
         {0x0C},
         200},
        {"table_command_06",
         [](PVX_factory_ddc_control& c) { return c.table_command_06(); },
         {0xC2, 0x06},
         50},
        {"table_command_07",
         [](PVX_factory_ddc_control& c) { return c.table_command_07(); },
         {0xC2, 0x07},
         200},
    };
    for (const Case& c : cases) {
        sleeper.clear();
        expect_request(c.request);
        EXPECT_EQ(c.run(control), 0) << c.what;
        EXPECT_EQ(sleeper.waits(), std::vector<int>{c.pause}) << c.what;
    }
}

TEST_F(CommandTest, CapabilityStringIsGatheredAcrossOffsets) {
    std::string text = "(prot(monitor)type(LCD)model(KX241W)cmds(01 02 03 0C E3 F3)vcp(";
    for (int code = 0x10; code < 0x70; ++code)
        text += QByteArray::number(code, 16).toStdString() + " ";
    text += ")mccs_ver(2.2))";
    ASSERT_GT(text.size(), 256u);  // so that the offset's high byte is used
    expect_capability_string(text);
    std::array<char, 8192> buffer{};
    EXPECT_EQ(control.get_capabilities(buffer.data(), 8192), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(buffer.data()), text);
}

TEST_F(CommandTest, CapabilityFragmentForAnotherOffsetIsAskedForAgain) {
    expect_fragment(0, "(prot(monitor)type(LCD)model(KX2", 0x20);
    expect_fragment(0, "(prot(monitor)type(LCD)model(KX2");
    expect_fragment(32, "41W))");
    expect_fragment(37, "");
    std::array<char, 64> buffer{};
    EXPECT_EQ(control.get_capabilities(buffer.data(), 64), 37);
    EXPECT_STREQ(buffer.data(), "(prot(monitor)type(LCD)model(KX241W))");
}

TEST_F(CommandTest, RunsOfBadCapabilityRepliesEndTheRead) {
    std::array<char, 64> buffer{};
    buffer.fill('x');
    for (int k = 0; k < 6; ++k)
        expect_exchange({0xF3, 0x00, 0x00}, {0xE2, 0x00, 0x00, 'a'}, 35);
    EXPECT_EQ(control.get_capabilities(buffer.data(), 64), -26);
    EXPECT_EQ(buffer[0], '\0');

    // After a good fragment the count starts again, from one.
    expect_fragment(0, "(prot(monitor))");
    for (int k = 0; k < 5; ++k)
        expect_exchange({0xF3, 0x00, 0x0F}, {0xE3, 0x00}, 35);
    EXPECT_EQ(control.get_capabilities(buffer.data(), 64), -24);
    EXPECT_STREQ(buffer.data(), "(prot(monitor))");
}

TEST_F(CommandTest, CapabilityReadEndsAtAnEmptyFragmentOrAZeroByte) {
    std::array<char, 64> buffer{};
    expect_fragment(0, "(type(LCD)");
    expect_fragment(10, "");
    EXPECT_EQ(control.get_capabilities(buffer.data(), 64), 10);
    EXPECT_STREQ(buffer.data(), "(type(LCD)");

    expect_fragment(0, std::string("(type(LCD))\0zz", 14));
    EXPECT_EQ(control.get_capabilities(buffer.data(), 64), 14);
    EXPECT_STREQ(buffer.data(), "(type(LCD))");
    EXPECT_EQ(buffer[13], 'z');
}

TEST_F(CommandTest, CapabilityStringThatDoesNotFitIsRefused) {
    const std::string text(70, 'c');
    expect_fragment(0, text.substr(0, 32));
    expect_fragment(32, text.substr(32, 32));
    std::array<char, 64> buffer{};
    buffer.fill('x');
    EXPECT_EQ(control.get_capabilities(buffer.data(), 64), -30);
    EXPECT_EQ(std::strlen(buffer.data()), 32u);
}

TEST_F(CommandTest, EdidWithoutExtensionHasAZeroSecondHalf) {
    const Bytes base = edid_base(0);
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, base);
    std::array<std::uint8_t, 256> edid;
    edid.fill(0xAA);
    EXPECT_GT(control.read_edid(edid.data(), true), 0);
    EXPECT_TRUE(std::equal(base.begin(), base.end(), edid.begin()));
    EXPECT_TRUE(std::all_of(edid.begin() + 128, edid.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(bus->begins, 1);
    EXPECT_EQ(bus->ends, 1);
    EXPECT_TRUE(sleeper.waits().empty());
}

TEST_F(CommandTest, EdidExtensionIsReadOnceFromOffset128) {
    const Bytes base = edid_base(1);
    const Bytes extension = edid_extension();
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, base);
    bus->expect_write(0xA0, {0x80});
    bus->expect_read(0xA1, 128, extension);
    std::array<std::uint8_t, 256> edid{};
    EXPECT_GT(control.read_edid(edid.data(), true), 0);
    EXPECT_TRUE(std::equal(extension.begin(), extension.end(), edid.begin() + 128));

    Bytes bad_extension = extension;
    bad_extension[5] ^= 0x01;
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, base);
    bus->expect_write(0xA0, {0x80});
    bus->expect_read(0xA1, 128, bad_extension);
    EXPECT_EQ(control.read_edid(edid.data(), true), -21);

    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, base);
    bus->expect_write(0xA0, {0x80});
    bus->expect_read(0xA1, 128, {}, -204);
    EXPECT_EQ(control.read_edid(edid.data(), true), -204);
}

TEST_F(CommandTest, EdidChecksFlagHeaderThenSum) {
    std::array<std::uint8_t, 256> edid{};
    Bytes bad_header = edid_base(0);
    bad_header[0] = 0x01;
    bad_header = with_checksum(bad_header);
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, bad_header);
    EXPECT_EQ(control.read_edid(edid.data(), true), -22);

    Bytes both_bad = bad_header;
    both_bad[127] ^= 0x01;
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, both_bad);
    EXPECT_EQ(control.read_edid(edid.data(), true), -21);

    // Without the check the bytes are handed out as read.
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, both_bad);
    EXPECT_GT(control.read_edid(edid.data(), false), 0);
    EXPECT_EQ(edid[0], 0x01);
}

TEST_F(CommandTest, EdidReadIsRetriedWithGrowingWaits) {
    const Bytes base = edid_base(0);
    bus->expect_write(0xA0, {0x00}, -204);
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, {}, -203);
    bus->expect_write(0xA0, {0x00});
    bus->expect_read(0xA1, 128, base);
    std::array<std::uint8_t, 256> edid{};
    EXPECT_GT(control.read_edid(edid.data(), true), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 250}));

    sleeper.clear();
    for (int k = 0; k < 5; ++k)
        bus->expect_write(0xA0, {0x00}, -204);
    EXPECT_EQ(control.read_edid(edid.data(), true), -204);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 250, 450, 650, 850}));
    EXPECT_EQ(bus->begins, bus->ends);
}

TEST_F(CommandTest, PagedGetRetriesEchoMismatchesWithGrowingWaits) {
    for (int k = 0; k < 5; ++k) {
        expect_exchange({0xC6, 0x10, 0x51}, paged_reply(0, 0x10, 0x52, 0, 10, 3), 9);
    }
    EXPECT_EQ(control.get_paged(0x10, 0x51, current, maximum, result_code, type), -25);
    EXPECT_EQ(sleeper.waits(),
              (std::vector<int>{50, 50, 300, 50, 50, 400, 50, 50, 500, 50, 50, 600, 50, 50}));

    expect_exchange({0xC6, 0x10, 0x51}, {0xC7, 0x00, 0x10}, 9);
    expect_exchange({0xC6, 0x10, 0x51}, paged_reply(1, 0x10, 0x51, 2, 0x1FF, 0x102), 9);
    EXPECT_EQ(control.get_paged(0x10, 0x51, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, 0x102);
    EXPECT_EQ(maximum, 0x1FF);
    EXPECT_EQ(result_code, 1);
    EXPECT_EQ(type, 2);

    // A foreign opcode (a late standard reply) costs an attempt like an echo mismatch; the last
    // attempt's fault is the result.
    Bytes wrong_opcode = paged_reply(0, 0x10, 0x51, 0, 10, 3);
    wrong_opcode[0] = 0xC9;
    sleeper.clear();
    expect_exchange({0xC6, 0x10, 0x51}, {0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0x00}, 9);
    expect_exchange({0xC6, 0x10, 0x51}, paged_reply(0, 0x10, 0x51, 0, 10, 3), 9);
    EXPECT_EQ(control.get_paged(0x10, 0x51, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, 3);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 300, 50, 50}));
    sleeper.clear();
    for (int k = 0; k < 4; ++k)
        expect_exchange({0xC6, 0x10, 0x51}, paged_reply(0, 0x10, 0x52, 0, 10, 3), 9);
    expect_exchange({0xC6, 0x10, 0x51}, wrong_opcode, 9);
    EXPECT_EQ(control.get_paged(0x10, 0x51, current, maximum, result_code, type), -26);
    EXPECT_EQ(sleeper.waits(),
              (std::vector<int>{50, 50, 300, 50, 50, 400, 50, 50, 500, 50, 50, 600, 50, 50}));
    EXPECT_EQ(control.get_paged(0x100, 0x51, current, maximum, result_code, type), -29);
    EXPECT_EQ(control.get_paged(0x10, 0x100, current, maximum, result_code, type), -29);
}

TEST_F(CommandTest, PagedSetPollsWhileTheMonitorIsWorking) {
    expect_exchange({0xC8, 0x10, 0x50, 0x00, 0x03}, {}, 9);
    expect_reply(9, link_testing::null_reply());
    expect_reply(9, link_testing::null_reply());
    expect_reply(9, reply_frame(paged_reply(0, 0x10, 0x50, 0, 5, 3)));
    int value = 3;
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), 0);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(maximum, 5);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 100, 50, 100, 50, 100, 50}));
    // Each poll is a transaction of its own.
    EXPECT_EQ(bus->begins, 4);
    EXPECT_EQ(bus->ends, 4);
}

TEST_F(CommandTest, PagedSetTakesTheMonitorsValue) {
    expect_exchange({0xC8, 0x02, 0xB3, 0x01, 0x2C}, paged_reply(0, 0x02, 0xB3, 0, 0x12C, 0x118), 9);
    int value = 300;
    EXPECT_EQ(control.set_paged(0x02, 0xB3, value, maximum, result_code, type), 0);
    EXPECT_EQ(value, 0x118);
}

TEST_F(CommandTest, PagedSetRepeatsAfterEchoMismatchOrEndlessPolling) {
    const Bytes request{0xC8, 0x10, 0x50, 0x00, 0x02};
    expect_exchange(request, paged_reply(0, 0x10, 0x51, 0, 5, 2), 9);
    expect_exchange(request, {}, 9);
    for (int p = 0; p < 17; ++p)
        expect_reply(9, link_testing::null_reply());
    expect_exchange(request, {}, 9);
    expect_reply(9, reply_frame(paged_reply(0, 0x10, 0x50, 0, 5, 2)));
    int value = 2;
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), 0);
    std::vector<int> expected{50, 50, 700, 50, 50};
    for (int p = 0; p < 17; ++p)
        expected.insert(expected.end(), {100, 50});
    expected.insert(expected.end(), {900, 50, 50, 100, 50});
    EXPECT_EQ(sleeper.waits(), expected);
}

TEST_F(CommandTest, PagedSetStopsAtOnceOnForeignRepliesAndLinkErrors) {
    const Bytes request{0xC8, 0x10, 0x50, 0x00, 0x02};
    int value = 2;
    expect_exchange(request, {0x03, 0x00, 0x10, 0x50, 0x00, 0x00, 0x05, 0x00, 0x02}, 9);
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), -26);
    expect_exchange(request, {}, 9);
    expect_reply(9, reply_frame({0xC3, 0x00, 0x10, 0x50, 0x00, 0x00, 0x05, 0x00, 0x02}));
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), -26);
    for (int k = 0; k < 5; ++k)
        expect_request(request, -204);
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), -204);
    EXPECT_EQ(control.set_paged(0x10, 0x150, value, maximum, result_code, type), -29);
    EXPECT_EQ(value, 2);
}

TEST_F(CommandTest, PagedSetWithoutRetriesPollsOnce) {
    control.retries = 0;
    expect_exchange({0xC8, 0x10, 0x50, 0x00, 0x02}, {}, 9);
    expect_reply(9, link_testing::null_reply());
    int value = 2;
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), -23);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 100, 50}));

    // A wrong-length answer while polling ends the attempt with the length error.
    expect_exchange({0xC8, 0x10, 0x50, 0x00, 0x02}, {}, 9);
    expect_reply(9, reply_frame({0xC7, 0x00, 0x10, 0x50}));
    EXPECT_EQ(control.set_paged(0x10, 0x50, value, maximum, result_code, type), -24);
}

TEST_F(CommandTest, MemoryBlocksCarryCountAndAddress) {
    Bytes data(20);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = lo(0x30 + static_cast<int>(i));
    Bytes reply{0xC1, 0x09};
    reply.insert(reply.end(), data.begin(), data.end());
    expect_exchange({0xC0, 0x09, 20, 0x88, 0x00}, reply, 22);
    std::array<std::uint8_t, 32> buffer{};
    EXPECT_EQ(control.read_memory_block(buffer.data(), 0x8800, 20), 0);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin()));

    Bytes write{0xC0, 0x02, 20, 0xFF, 0x10};
    write.insert(write.end(), data.begin(), data.end());
    expect_request(write);
    EXPECT_EQ(control.write_memory_block(data.data(), 0xFF10, 20), 0);

    EXPECT_EQ(control.read_memory_block(buffer.data(), 0, 33), -31);
    EXPECT_EQ(control.read_memory_block(buffer.data(), 0, 0), -24);
    EXPECT_EQ(control.write_memory_block(data.data(), 0, 33), -31);
    EXPECT_EQ(control.write_memory_block(data.data(), 0, 0), -24);

    reply[1] = 0x02;
    expect_exchange({0xC0, 0x09, 20, 0x88, 0x00}, reply, 22);
    EXPECT_EQ(control.read_memory_block(buffer.data(), 0x8800, 20), -26);
    for (int k = 0; k < 5; ++k)
        expect_exchange({0xC0, 0x09, 2, 0x00, 0x10}, {0xC1, 0x09, 1}, 4);
    EXPECT_EQ(control.read_memory_block(buffer.data(), 0x10, 2), -24);
}

TEST_F(CommandTest, LongMemoryTransfersGoInBlocksOf32) {
    Bytes data(70);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = lo(static_cast<int>(i * 5 + 1));
    const int address = 0x8C80;
    for (int start : {0, 32, 64}) {
        const int count = std::min(32, 70 - start);
        Bytes request{0xC0, 0x02, lo(count), hi(address + start), lo(address + start)};
        request.insert(request.end(), data.begin() + start, data.begin() + start + count);
        expect_request(request);
    }
    EXPECT_EQ(control.write_memory(data.data(), address, 70), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 50, 50, 50, 50}));

    for (int start : {0, 32, 64}) {
        const int count = std::min(32, 70 - start);
        Bytes reply{0xC1, 0x09};
        reply.insert(reply.end(), data.begin() + start, data.begin() + start + count);
        expect_exchange({0xC0, 0x09, lo(count), hi(address + start), lo(address + start)}, reply,
                        count + 2);
    }
    std::array<std::uint8_t, 70> back{};
    EXPECT_EQ(control.read_memory(back.data(), address, 70), 0);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));

    // The first failed block ends the write.
    Bytes first{0xC0, 0x02, 32, hi(address), lo(address)};
    first.insert(first.end(), data.begin(), data.begin() + 32);
    for (int k = 0; k < 5; ++k)
        expect_request(first, -204);
    EXPECT_EQ(control.write_memory(data.data(), address, 70), -204);
}

TEST_F(CommandTest, WordsTravelHighByteFirst) {
    const std::array<int, 3> words{0x1234, 0x12345, 0xFFFF};
    expect_request({0xC2, 0x0B, 0x01, 0x00, 0x12, 0x34, 0x23, 0x45, 0xFF, 0xFF});
    EXPECT_EQ(control.write_words(words.data(), 0x100, 3), 0);
    EXPECT_EQ(sleeper.waits(), std::vector<int>{50});

    expect_exchange({0xC2, 0x0A, 0x02, 0x00, 3}, {0xC3, 0x0A, 0x00, 0x01, 0x80, 0x00, 0xFF, 0xFE},
                    8);
    std::array<int, 16> back{};
    EXPECT_EQ(control.read_words(back.data(), 0x200, 3), 0);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[1], 0x8000);
    EXPECT_EQ(back[2], 0xFFFE);

    EXPECT_EQ(control.read_words(back.data(), 0, 17), -31);
    EXPECT_EQ(control.read_words(back.data(), 0, 0), -24);
    EXPECT_EQ(control.write_words(back.data(), 0, 17), -31);
    EXPECT_EQ(control.write_words(back.data(), 0, 0), -24);
    expect_exchange({0xC2, 0x0A, 0x02, 0x00, 1}, {0xC3, 0x0B, 0x00, 0x01}, 4);
    EXPECT_EQ(control.read_words(back.data(), 0x200, 1), -26);
}

TEST_F(CommandTest, VerifiedWordWriteRewritesUntilTheWordsReadBack) {
    const std::array<int, 2> words{0x0102, 0x0304};
    const Bytes write{0xC2, 0x0B, 0x00, 0x40, 0x01, 0x02, 0x03, 0x04};
    const Bytes read{0xC2, 0x0A, 0x00, 0x40, 2};
    expect_request(write);
    expect_exchange(read, {0xC3, 0x0A, 0x01, 0x02, 0x00, 0x00}, 6);
    expect_request(write);
    expect_exchange(read, {0xC3, 0x0A, 0x01, 0x02, 0x03, 0x04}, 6);
    EXPECT_EQ(control.write_words_verified(words.data(), 0x40, 2), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 50, 2000, 50, 50, 50}));

    for (int pass = 0; pass < 7; ++pass) {
        expect_request(write);
        expect_exchange(read, {0xC3, 0x0A, 0x01, 0x02, 0x03, 0x05}, 6);
    }
    EXPECT_EQ(control.write_words_verified(words.data(), 0x40, 2), -32);

    for (int k = 0; k < 5; ++k)
        expect_request(write, -204);
    EXPECT_EQ(control.write_words_verified(words.data(), 0x40, 2), -204);
}

TEST_F(CommandTest, VerifiedWordWriteNeverTrustsAFailedReadBack) {
    control.retries = 0;
    const std::array<int, 1> words{0};
    const Bytes write{0xC2, 0x0B, 0x00, 0x40, 0x00, 0x00};
    for (int pass = 0; pass < 7; ++pass) {
        expect_request(write);
        expect_exchange({0xC2, 0x0A, 0x00, 0x40, 1}, {}, 4);
    }
    EXPECT_EQ(control.write_words_verified(words.data(), 0x40, 1), -32);
}

TEST_F(CommandTest, LutPointsAreThreeWordsEach) {
    const std::array<int, 6> points{0, 1020, 0x1FF, 0x12345, 7, 256};
    Bytes write{0xC2, 0x25, 3, 4, 5};
    for (int v : points)
        write.insert(write.end(), {hi(v), lo(v)});
    expect_exchange(write, {0xC3, 0x25, 3, 4, 5}, 5);
    EXPECT_EQ(control.write_lut_points(points.data(), 3, 4, 5, 2), 0);

    expect_exchange(write, {0xC3, 0x25, 3, 4, 6}, 5);
    EXPECT_EQ(control.write_lut_points(points.data(), 3, 4, 5, 2), -26);
    for (int k = 0; k < 5; ++k)
        expect_exchange(write, {0xC3, 0x25, 3, 4}, 5);
    EXPECT_EQ(control.write_lut_points(points.data(), 3, 4, 5, 2), -24);

    Bytes reply{0xC3, 0x24};
    for (int v : points)
        reply.insert(reply.end(), {hi(v), lo(v)});
    expect_exchange({0xC2, 0x24, 8, 0, 2, 2}, reply, 14);
    std::array<int, 24> back{};
    EXPECT_EQ(control.read_lut_points(back.data(), 8, 0, 2, 2), 0);
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(back[i], points[i] & 0xFFFF) << i;

    EXPECT_EQ(control.read_lut_points(back.data(), 0, 0, 0, 9), -31);
    EXPECT_EQ(control.write_lut_points(back.data(), 0, 0, 0, 9), -31);
}

TEST_F(CommandTest, SlotNamesAreThirteenBytes) {
    expect_exchange({0xC2, 0x26, 2},
                    {0xC3, 0x26, 'P', 'r', 'i', 'n', 't', 'e', 'r', ' ', 'A', ' ', ' ', ' ', ' '},
                    15);
    std::array<char, 14> name;
    name.fill('x');
    EXPECT_EQ(control.read_slot_name(2, name.data()), 0);
    EXPECT_STREQ(name.data(), "Printer A    ");

    Bytes other_header(15, ' ');
    other_header[0] = 0xC3;
    other_header[1] = 0x27;
    expect_exchange({0xC2, 0x26, 2}, other_header, 15);
    EXPECT_EQ(control.read_slot_name(2, name.data()), -26);
    for (int k = 0; k < 5; ++k)
        expect_exchange({0xC2, 0x26, 2}, {0xC3, 0x26, 'P'}, 15);
    EXPECT_EQ(control.read_slot_name(2, name.data()), -24);
}

TEST_F(CommandTest, SlotNameKeepsOnlyCharactersTheMonitorShows) {
    // Accented letter (two UTF-8 bytes), '!', '_', '{', a byte above 'z', then kept ones.
    const char given[] = "a\xC3\xA9!_{\x7F,-09Z+:;";
    const auto shown = [](unsigned char c) {
        return c == ' ' || (c >= 0x2B && c <= 0x3A) || (c >= 'A' && c <= 'Z') ||
               (c >= 'a' && c <= 'z');
    };
    Bytes request{0xC2, 0x27, 5};
    for (int i = 0; i < 13; ++i) {
        const unsigned char c = static_cast<unsigned char>(given[i]);
        request.push_back(shown(c) ? c : ' ');
    }
    EXPECT_EQ(request[4], ' ');
    EXPECT_EQ(request[10], ',');
    expect_exchange(request, {0xC3, 0x27, 5}, 3);
    EXPECT_EQ(control.write_slot_name(5, given), 0);

    // A short name is padded to thirteen bytes; nothing past its end is read.
    Bytes padded{0xC2, 0x27, 1, 'S', 'o', 'f', 't'};
    padded.resize(16, ' ');
    expect_exchange(padded, {0xC3, 0x27, 1}, 3);
    EXPECT_EQ(control.write_slot_name(1, "Soft"), 0);

    expect_exchange(padded, {0xC3, 0x27, 2}, 3);
    EXPECT_EQ(control.write_slot_name(1, "Soft"), -26);
    ASSERT_FALSE(bus->writes().empty());
    for (const Bytes& frame : bus->writes())
        EXPECT_EQ(frame.size(), 19u);
}

}  // namespace
