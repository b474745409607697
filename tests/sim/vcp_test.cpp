#include <gtest/gtest.h>

#include "sim/sim_model.h"
#include "sim_wire.h"

using wire::bytes;

namespace {

sim::CSimMonitor make(const char* model = "KX271W") {
    sim::CSimMonitorSetup setup;
    setup.serial = "1234";
    return sim::CSimMonitor(*sim::find_sim_model(QString::fromLatin1(model)), setup);
}

struct Vcp {
    int result, code, type, maximum, current;
};

Vcp get_vcp(sim::CSimMonitor& m, int code) {
    const wire::Reply r = wire::exchange(m, bytes({0x01, code}));
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.payload.size(), 8);
    if (r.payload.size() != 8) return {};
    EXPECT_EQ(static_cast<std::uint8_t>(r.payload[0]), 0x02);
    return {static_cast<std::uint8_t>(r.payload[1]), static_cast<std::uint8_t>(r.payload[2]),
            static_cast<std::uint8_t>(r.payload[3]), wire::word(r.payload, 4),
            wire::word(r.payload, 6)};
}

void set_vcp(sim::CSimMonitor& m, int code, int value) {
    ASSERT_GE(wire::write(m, wire::request(bytes({0x03, code, value >> 8, value}))), 0);
    EXPECT_TRUE(wire::parse(wire::read(m)).null);  // a set has no reply
}

TEST(StandardVcp, GetEchoesTheCodeAndSetChangesTheValue) {
    auto m = make();
    const Vcp before = get_vcp(m, 0x12);
    EXPECT_EQ(before.result, 0);
    EXPECT_EQ(before.code, 0x12);
    EXPECT_EQ(before.maximum, 100);
    set_vcp(m, 0x12, 37);
    EXPECT_EQ(get_vcp(m, 0x12).current, 37);
    EXPECT_EQ(wire::get_paged(m, 0x0012).current, 37);  // page 0 through C6 too
}

TEST(StandardVcp, MissingFeatureAnswersResultCodeOne) {
    auto m = make("Generic 24");
    const Vcp v = get_vcp(m, 0xE3);
    EXPECT_EQ(v.result, 1);
    EXPECT_EQ(v.code, 0xE3);
    const Vcp hours = get_vcp(m, 0xFF);
    EXPECT_EQ(hours.result, 1);
}

TEST(StandardVcp, ValuesOutsideTheRangeAreClampedAndUnlistedValuesRefused) {
    auto m = make();
    set_vcp(m, 0x12, 500);
    EXPECT_EQ(get_vcp(m, 0x12).current, 100);
    const int preset = get_vcp(m, 0x14).current;
    set_vcp(m, 0x14, 3);  // not among the listed colour presets
    EXPECT_EQ(get_vcp(m, 0x14).current, preset);
    const int hours = get_vcp(m, 0xFF).current;
    set_vcp(m, 0xFF, hours + 10);  // read-only
    EXPECT_EQ(get_vcp(m, 0xFF).current, hours);
}

TEST(StandardVcp, BrightnessIsThePercentOfTheLuminanceBetweenItsLimits) {
    auto m = make();
    const wire::Feature lum = wire::get_paged(m, 0x2B3);
    const int floor = wire::get_paged(m, 0x106F).current;
    set_vcp(m, 0x10, 50);
    const int expected = floor + (lum.maximum - floor) / 2;
    EXPECT_NEAR(wire::get_paged(m, 0x2B3).current, expected, 1);
    wire::set_paged(m, 0x2B3, lum.maximum);
    EXPECT_EQ(get_vcp(m, 0x10).current, 100);
}

TEST(StandardVcp, SaveCommandReachesTheSaveHandler) {
    auto m = make();
    int saves = 0;
    m.set_save_handler([&] { ++saves; });
    ASSERT_GE(wire::write(m, wire::request(bytes({0x0C}))), 0);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(m.counters().saves, 1);
    EXPECT_TRUE(wire::parse(wire::read(m)).null);
}

TEST(PagedFeatures, GetEchoesPageAndCodeWithTypeMaximumAndCurrent) {
    auto m = make();
    const wire::Feature memory = wire::get_paged(m, 0x1050);
    EXPECT_EQ(memory.result, 0);
    EXPECT_EQ(memory.maximum, 5);
    EXPECT_EQ(memory.current, 1);
    const wire::Feature reset = wire::get_paged(m, 0x1070);
    EXPECT_EQ(reset.type, 1);  // an action
    const wire::Feature missing = wire::get_paged(m, 0x10FE);
    EXPECT_EQ(missing.result, 1);
}

TEST(PagedFeatures, SetRepliesWithTheValueTheMonitorTook) {
    auto m = make();
    EXPECT_EQ(wire::set_paged(m, 0x2BE, 2).current, 2);
    EXPECT_EQ(wire::set_paged(m, 0x2BE, 9).current, 4);  // clamped to the maximum
    EXPECT_EQ(wire::set_paged(m, 0x2BE, 0).current, 1);  // and to the minimum
    EXPECT_EQ(wire::set_paged(m, 0x10FE, 1).result, 1);
}

TEST(PagedFeatures, SlowSetAnswersNullMessagesBeforeItsReply) {
    for (const sim::CSimModel& model : sim::sim_models()) {
        if (!model.maker_commands) continue;
        sim::CSimMonitor m(model, {});
        int nulls = -1;
        const wire::Reply r = wire::poll(m, bytes({0xC8, 0x10, 0x50, 0x00, 0x02}), nulls);
        EXPECT_EQ(nulls, model.busy_polls) << model.name.toStdString();
        ASSERT_EQ(r.payload.size(), 9);
        EXPECT_EQ(wire::word(r.payload, 7), 2);
        // A plain setting answers at once.
        wire::poll(m, bytes({0xC8, 0x02, 0xBE, 0x00, 0x02}), nulls);
        EXPECT_EQ(nulls, 0);
    }
}

TEST(PagedFeatures, ThirdPartyMonitorIgnoresTheMakersCommands) {
    auto m = make("Generic 24");
    for (const QByteArray& p : {bytes({0xC6, 0x10, 0x50}), bytes({0xC8, 0x02, 0xB3, 0x00, 0x50}),
                                bytes({0xC0, 0x09, 0x04, 0x88, 0x00}), bytes({0xC2, 0x26, 0x01})}) {
        EXPECT_TRUE(wire::exchange(m, p).null);
    }
    EXPECT_EQ(m.counters().ignored_requests, 4);
    EXPECT_EQ(get_vcp(m, 0x10).result, 0);
}

TEST(PagedFeatures, WrongRequestLengthsAreIgnored) {
    auto m = make();
    for (const QByteArray& p : {bytes({0x01}), bytes({0x01, 0x10, 0x00}), bytes({0xC6, 0x10}),
                                bytes({0xC8, 0x10, 0x50, 0x01}), bytes({0xF3, 0x00})}) {
        EXPECT_TRUE(wire::exchange(m, p).null);
    }
}

}  // namespace
