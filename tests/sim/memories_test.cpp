#include <gtest/gtest.h>

#include "sim/sim_config.h"
#include "sim/sim_model.h"
#include "sim_wire.h"

namespace {

sim::CSimMonitor make(const char* model = "KX271W") {
    return sim::CSimMonitor(*sim::find_sim_model(QString::fromLatin1(model)), {});
}

int get(sim::CSimMonitor& m, int code) {
    return wire::get_paged(m, code).current;
}
int set(sim::CSimMonitor& m, int code, int value) {
    return wire::set_paged(m, code, value).current;
}

// The codes a memory holds, as the host reads them for each memory.
const int kMemoryCodes[] = {0x1051, 0x1052, 0x1053, 0x1054, 0x1055, 0x1056, 0x1057, 0x1058,
                            0x1059, 0x105A, 0x1069, 0x106B, 0x268,  0x2E8,  0x2B3};

TEST(PictureMemories, SettingsSwapInWhenTheMemoryChanges) {
    auto m = make();
    EXPECT_EQ(wire::get_paged(m, 0x1050).maximum, 5);
    set(m, 0x1052, 300);
    set(m, 0x2B3, 222);
    set(m, 0x1050, 2);
    EXPECT_NE(get(m, 0x1052), 300);
    EXPECT_NE(get(m, 0x2B3), 222);
    set(m, 0x1052, 320);
    set(m, 0x1050, 1);
    EXPECT_EQ(get(m, 0x1052), 300);
    EXPECT_EQ(get(m, 0x2B3), 222);
    set(m, 0x1050, 2);
    EXPECT_EQ(get(m, 0x1052), 320);
    // Out of range selects the nearest memory.
    EXPECT_EQ(set(m, 0x1050, 9), 5);
}

TEST(PictureMemories, EveryMemoryAnswersEveryMemoryCode) {
    auto m = make();
    for (int memory = 1; memory <= 5; ++memory) {
        set(m, 0x1050, memory);
        for (int code : kMemoryCodes)
            EXPECT_EQ(wire::get_paged(m, code).result, 0) << std::hex << code;
    }
}

TEST(PictureMemories, ChoosingAPresetLoadsItsDefinition) {
    auto m = make();
    set(m, 0x1051, 2);  // AdobeRGB: D65 white, its published primaries, gamma 2.2
    EXPECT_EQ(get(m, 0x1052), 313);
    EXPECT_EQ(get(m, 0x1053), 329);
    const int adobe[] = {640, 330, 210, 710, 150, 60};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(get(m, 0x1055 + i), adobe[i]);
    EXPECT_EQ(get(m, 0x268), 9);
    EXPECT_EQ(get(m, 0x2E8), 170);  // (2.2 - 0.5) * 100

    set(m, 0x1051, 13);  // eciRGB v2: D50 white and the L* curve
    EXPECT_EQ(get(m, 0x1052), 346);
    EXPECT_EQ(get(m, 0x1053), 359);
    EXPECT_EQ(get(m, 0x268), 12);

    set(m, 0x1051, 10);  // Programmable 3 uses 3D LUT slot 3
    EXPECT_EQ(get(m, 0x106B), 3);
    set(m, 0x1051, 6);  // Full: the panel's own primaries
    EXPECT_EQ(get(m, 0x1055), std::lround(m.model().native[0] * 1000));
    EXPECT_EQ(get(m, 0x106B), 0);

    auto small = make("KX241W");
    const int before = get(small, 0x1051);
    EXPECT_EQ(set(small, 0x1051, 13), before);  // a preset it lacks
}

TEST(PictureMemories, ResetRestoresThePresetAndGamutResetOnlyThePrimaries) {
    auto m = make();
    const int white_x = get(m, 0x1052);
    const int red_x = get(m, 0x1055);
    const int luminance = get(m, 0x2B3);
    set(m, 0x1052, white_x + 10);
    set(m, 0x1055, red_x + 10);
    set(m, 0x2B3, luminance + 30);

    wire::set_paged(m, 0x1071, 1);
    EXPECT_EQ(get(m, 0x1055), red_x);
    EXPECT_EQ(get(m, 0x1052), white_x + 10);

    set(m, 0x1055, red_x + 10);
    wire::set_paged(m, 0x1070, 1);
    EXPECT_EQ(get(m, 0x1055), red_x);
    EXPECT_EQ(get(m, 0x1052), white_x);
    EXPECT_EQ(get(m, 0x2B3), luminance);
    EXPECT_EQ(get(m, 0x1070), 0);  // actions read 0
}

TEST(PictureMemories, ModeChangesUndoTheAdjustmentPreparation) {
    auto m = make();
    set(m, 0x254, 0);
    set(m, 0x233, 1);
    set(m, 0x105D, 31);
    set(m, 0x1050, 3);
    EXPECT_EQ(get(m, 0x254), 1);
    EXPECT_EQ(get(m, 0x233), 0);
    EXPECT_EQ(get(m, 0x105D), 31);
    set(m, 0x254, 0);
    set(m, 0x1050, 3);  // the same memory again changes nothing
    EXPECT_EQ(get(m, 0x254), 0);
    set(m, 0x1051, 1);
    EXPECT_EQ(get(m, 0x254), 1);
}

TEST(Limits, BrightnessStaysAboveItsFloorAndUniformityLimitFollowsTheCorrection) {
    auto m = make();
    const int floor = get(m, 0x106F);
    ASSERT_GT(floor, 0);
    EXPECT_EQ(set(m, 0x2B3, floor - 5), floor);
    EXPECT_EQ(set(m, 0x106F, floor + 5), floor);  // read-only

    EXPECT_GT(get(m, 0x106C), 0);
    set(m, 0x2EE, 0);
    EXPECT_EQ(get(m, 0x106C), 0);
    EXPECT_GT(get(m, 0x2B4), 0);
}

TEST(Limits, RestoreColourDefaultsResetsTheGains) {
    auto m = make();
    const int red = get(m, 0x16);
    const int drive = get(m, 0x27F);
    set(m, 0x16, red - 40);
    set(m, 0x27F, drive - 100);
    wire::set_paged(m, 0x08, 1);
    EXPECT_EQ(get(m, 0x16), red);
    EXPECT_EQ(get(m, 0x27F), drive);
}

TEST(Limits, FactoryResetKeepsHoursInputAndTables) {
    sim::CSimMonitorSetup setup;
    setup.input_source = 0x11;
    setup.operating_half_hours = 900;
    sim::CSimMonitor m(*sim::find_sim_model(QStringLiteral("KX271W")), setup);
    set(m, 0x1050, 4);
    set(m, 0x12, 10);
    m.state().slot_names[0] = "Kept         ";
    wire::set_paged(m, 0x04, 1);
    EXPECT_EQ(get(m, 0x1050), 1);
    EXPECT_EQ(get(m, 0x12), 50);
    EXPECT_EQ(get(m, 0x60), 0x11);
    EXPECT_EQ(get(m, 0xFF), 900);
    EXPECT_EQ(m.state().slot_names[0], "Kept         ");
}

TEST(PipFeatures, PresentOnlyOnModelsWithPictureInPicture) {
    auto big = make("KX302W");
    auto small = make("KX241W");
    for (int code : {0x60, 0x104E, 0x105F, 0x1060, 0x1062, 0x1063, 0x271, 0x274, 0x275}) {
        EXPECT_EQ(wire::get_paged(big, code).result, 0) << std::hex << code;
    }
    for (int code : {0x104E, 0x105F, 0x1060, 0x1062, 0x1063, 0x271, 0x274, 0x275, 0x2EE}) {
        EXPECT_EQ(wire::get_paged(small, code).result, 1) << std::hex << code;
    }
    EXPECT_EQ(set(big, 0x105F, 3), 3);
    EXPECT_EQ(set(big, 0x105F, 7), 3);  // not a PIP mode
    EXPECT_EQ(wire::get_paged(big, 0x1062).maximum, 5);
}

TEST(PictureMemories, AUnitMayHaveFewerMemories) {
    sim::CSimConfig config;
    QString error;
    ASSERT_TRUE(sim::CSimConfig::parse(
        R"({"monitors": [{"model": "KX271W", "serial": "1", "memories": 3},
                         {"model": "KX241W", "serial": "2"}]})",
        QString(), config, &error))
        << qPrintable(error);
    auto monitors = sim::create_monitors(config);
    sim::CSimMonitor& three = *monitors[0];
    EXPECT_EQ(three.state().memories.size(), 3u);
    EXPECT_EQ(wire::get_paged(three, 0x1050).maximum, 3);
    EXPECT_EQ(wire::get_paged(three, 0x1062).maximum, 3);
    EXPECT_EQ(set(three, 0x1050, 5), 3) << "the nearest memory the unit has";
    EXPECT_EQ(three.model().capabilities, sim::build_capabilities(three.model()));
    // The model itself is untouched: other units keep all of theirs.
    EXPECT_EQ(sim::find_sim_model(QStringLiteral("KX271W"))->memory_count, 5);
    EXPECT_EQ(monitors[1]->state().memories.size(), 5u);

    for (const char* count : {"0", "6", "\"three\""}) {
        const QByteArray json = QByteArray(R"({"monitors": [{"model": "KX271W", "serial": "1", )") +
                                "\"memories\": " + count + "}]}";
        error.clear();
        EXPECT_FALSE(sim::CSimConfig::parse(json, QString(), config, &error)) << count;
        EXPECT_TRUE(error.contains(QStringLiteral("memories"))) << count;
    }
}

}  // namespace
