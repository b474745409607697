#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "comm/monitor_features.h"
#include "core/color_wizard_rules.h"
#include "profiles/profile_spec.h"

namespace mf = monitor_feature;

using namespace color_wizard_rules;

namespace {

// The pages a path passes through, following next_page from the intro page.
std::vector<int> path_of(const FlowChoice& choice) {
    std::vector<int> pages;
    for (int page = kIntroPage; page != kNoPage && pages.size() < 12;
         page = next_page(page, choice))
        pages.push_back(page);
    return pages;
}

FlowChoice preset(bool FlowChoice::*field) {
    FlowChoice c;
    c.*field = true;
    return c;
}

FlowChoice custom(bool FlowChoice::*kind) {
    FlowChoice c;
    c.custom = true;
    c.*kind = true;
    return c;
}

int value_of(const CMonitorSettingList& list, int code) {
    for (const CMonitorSetting& s : list)
        if (s.code == code) return s.value;
    return -1;
}

std::vector<int> codes_of(const CMonitorSettingList& list) {
    std::vector<int> codes;
    for (const CMonitorSetting& s : list)
        codes.push_back(s.code);
    return codes;
}

TEST(ColorWizardFlow, TheSevenPathsAreExactlyTheDescribedOnes) {
    using P = std::vector<int>;
    for (bool FlowChoice::*fixed : {&FlowChoice::srgb, &FlowChoice::adobergb, &FlowChoice::dci,
                                    &FlowChoice::rec709, &FlowChoice::ecirgb}) {
        EXPECT_EQ(path_of(preset(fixed)), (P{0, 10}));
    }
    EXPECT_EQ(path_of(preset(&FlowChoice::dicom)), (P{0, 7, 9, 10}));
    EXPECT_EQ(path_of(preset(&FlowChoice::highbright)), (P{0, 6, 7, 10}));
    EXPECT_EQ(path_of(preset(&FlowChoice::full)), (P{0, 6, 7, 9, 10}));
    EXPECT_EQ(path_of(custom(&FlowChoice::full_custom)), (P{0, 1, 8, 6, 7, 9, 10}));
    EXPECT_EQ(path_of(custom(&FlowChoice::emulate_display)), (P{0, 1, 5, 8, 6, 7, 9, 10}));
    EXPECT_EQ(path_of(custom(&FlowChoice::emulate_printer)), (P{0, 1, 2, 3, 9, 8, 10}));
}

TEST(ColorWizardFlow, ConditionsAreTestedInTheTablesOrder) {
    // DICOM wins over anything checked with it; the white point leads to the name page only
    // for a custom printer emulation.
    FlowChoice c;
    c.dicom = c.full = c.srgb = true;
    EXPECT_EQ(next_page(kIntroPage, c), kColorGamutPage);
    FlowChoice printer_not_custom;
    printer_not_custom.emulate_printer = true;
    EXPECT_EQ(next_page(kWhitePointPage, printer_not_custom), kBrightnessPage);
    EXPECT_EQ(next_page(kCustomTypePage, FlowChoice()), kPrinterEmulationPage);
    EXPECT_EQ(next_page(kBrightnessPage, FlowChoice()), kNoPage);
    EXPECT_EQ(next_page(4, FlowChoice()), kNoPage) << "id 4 is not a page";
}

TEST(ColorWizardLists, ASwitchWritesTheModeMetamerismAndTheThreeSwitchValuesOnlyWhenDifferent) {
    const CMonitorSettingList list = switch_list(kEciRgb, 2);
    EXPECT_EQ(codes_of(list), (std::vector<int>{mf::preset, mf::metamerism, mf::prepare_254,
                                                mf::prepare_233, mf::prepare_105d}));
    EXPECT_EQ(value_of(list, mf::preset), 13);
    EXPECT_EQ(value_of(list, mf::metamerism), 2);
    EXPECT_EQ(value_of(list, mf::prepare_254), 0);
    EXPECT_EQ(value_of(list, mf::prepare_233), 1);
    EXPECT_EQ(value_of(list, mf::prepare_105d), 31);
    for (const CMonitorSetting& s : list)
        EXPECT_EQ(s.flags, 0x0101);
    EXPECT_EQ(programmable_mode(1), 8);
    EXPECT_EQ(programmable_mode(5), 12);
}

TEST(ColorWizardLists, PrinterEmulationTakesTheGamutsPrimariesAndItsToneCurve) {
    const std::array<int, 6> native = {690, 305, 170, 740, 150, 45};
    const CMonitorSettingList srgb = printer_emulation_list(true, kGamutSrgb, native, 313, 329);
    EXPECT_EQ(codes_of(srgb),
              (std::vector<int>{mf::lut_mode, mf::red_x, mf::red_y, mf::green_x, mf::green_y,
                                mf::blue_x, mf::blue_y, mf::white_x, mf::white_y, mf::gamma_type}));
    EXPECT_EQ(value_of(srgb, mf::lut_mode), 3);
    EXPECT_EQ(value_of(srgb, mf::green_x), 300);
    EXPECT_EQ(value_of(srgb, mf::green_y), 600);
    EXPECT_EQ(value_of(srgb, mf::white_x), 313);
    EXPECT_EQ(value_of(srgb, mf::gamma_type), 11);

    const CMonitorSettingList adobe = printer_emulation_list(true, kGamutAdobeRgb, native, 0, 0);
    EXPECT_EQ(value_of(adobe, mf::green_x), 210);
    EXPECT_EQ(value_of(adobe, mf::green_y), 710);
    EXPECT_EQ(value_of(adobe, mf::white_x), -1) << "no white point chosen, none written";
    EXPECT_EQ(value_of(adobe, mf::gamma_type), 9);
    EXPECT_EQ(value_of(adobe, mf::gamma_value), 170);

    const CMonitorSettingList full = printer_emulation_list(true, kGamutFull, native, 0, 0);
    EXPECT_EQ(value_of(full, mf::red_x), 690);
    EXPECT_EQ(value_of(full, mf::blue_y), 45);
    EXPECT_EQ(value_of(full, mf::gamma_type), 9);
    EXPECT_EQ(value_of(full, mf::gamma_value), 170);

    const CMonitorSettingList unknown = printer_emulation_list(false, kGamutFull, native, 313, 329);
    EXPECT_EQ(codes_of(unknown), (std::vector<int>{mf::gamma_type, mf::gamma_value}))
        << "without a record the panel's primaries are unknown";
}

TEST(ColorWizardLists, DisplayEmulationRoundsItsValuesAndLeavesOutWhatItCannotSay) {
    EmulationRecord r;
    r.red_x = 0.6404;
    r.red_y = 0.3305;
    r.green_x = 0.2999;
    r.green_y = 0.6;
    r.blue_x = 0.1496;
    r.blue_y = 0.0604;
    r.white_x = 0.31271;
    r.white_y = 0.32902;
    r.gamma = 2.23;
    r.luminance = 160.7;
    const CMonitorSettingList list = display_emulation_list(r);
    EXPECT_EQ(codes_of(list),
              (std::vector<int>{mf::lut_use, mf::lut_mode, mf::red_x, mf::red_y, mf::green_x,
                                mf::green_y, mf::blue_x, mf::blue_y, mf::white_x, mf::white_y,
                                mf::luminance, mf::gamma_type, mf::gamma_value}));
    EXPECT_EQ(value_of(list, mf::lut_use), 1);
    EXPECT_EQ(value_of(list, mf::red_x), 640);
    EXPECT_EQ(value_of(list, mf::red_y), 331) << "rounded, where the live widgets cut";
    EXPECT_EQ(value_of(list, mf::green_x), 300);
    EXPECT_EQ(value_of(list, mf::blue_x), 150);
    EXPECT_EQ(value_of(list, mf::blue_y), 60);
    EXPECT_EQ(value_of(list, mf::white_x), 313);
    EXPECT_EQ(value_of(list, mf::luminance), 160);
    EXPECT_EQ(value_of(list, mf::gamma_value), 170) << "2.23 goes to the nearest tenth, 2.2";

    r.luminance = 40.0;
    r.curves_approximated = true;
    const CMonitorSettingList dim = display_emulation_list(r);
    EXPECT_EQ(value_of(dim, mf::luminance), -1) << "40 cd/m2 and below is not taken";
    EXPECT_EQ(value_of(dim, mf::gamma_type), -1) << "curves go as 1D tables, not as a gamma";
    EXPECT_EQ(value_of(dim, mf::gamma_value), -1);
    EXPECT_EQ(codes_of(lut_mode_normal_list()), (std::vector<int>{mf::lut_mode}));
    EXPECT_EQ(value_of(lut_mode_normal_list(), mf::lut_mode), 1);
    EXPECT_EQ(value_of(custom_mode_list(), mf::lut_use), 1);
}

TEST(ColorWizardLimits, ValuesInsideTheLimitsPassBothEndsIncludedAndNaNNever) {
    EmulationRecord r;
    r.white_x = 0.25;
    r.white_y = 0.43;
    r.red_x = 0.7;
    r.red_y = 0.25;
    r.green_x = 0.35;
    r.green_y = 0.5;
    r.blue_x = 0.1;
    r.blue_y = 0.039;
    r.gamma = 4.0;
    EXPECT_TRUE(all_within_limits(r));
    r.white_x = 0.49;
    EXPECT_FALSE(within_limits(r, kWhiteX));
    EXPECT_FALSE(all_within_limits(r));
    r.white_x = 0.3;
    r.gamma = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(within_limits(r, kGamma));
    r.gamma = 0.0;
    EXPECT_FALSE(within_limits(r, kGamma)) << "a profile without tone curves";
    EXPECT_FALSE(within_limits(EmulationRecord(), kRedX)) << "zeros are never primaries";
}

TEST(ColorWizardLimits, ARecordTakesTheReadersValues) {
    ProfileSpec spec;
    spec.gamma = 1.8;
    spec.whiteX = 0.3457;
    spec.redX = 0.64;
    spec.blueY = 0.06;
    spec.useCurves = true;
    spec.luminance = 120;
    spec.copyright = QStringLiteral("(c)");
    const EmulationRecord r = emulation_from(spec);
    EXPECT_DOUBLE_EQ(r.gamma, 1.8);
    EXPECT_DOUBLE_EQ(r.white_x, 0.3457);
    EXPECT_DOUBLE_EQ(r.red_x, 0.64);
    EXPECT_DOUBLE_EQ(r.blue_y, 0.06);
    EXPECT_TRUE(r.curves_approximated);
    EXPECT_DOUBLE_EQ(r.luminance, 120);
    EXPECT_EQ(r.copyright, QStringLiteral("(c)"));
    EXPECT_FALSE(r.valid) << "validity is the page's judgement";
}

TEST(ColorWizardSlotNames, NamesGoAsThirteenLatin1CharactersOfWhatTheMonitorShows) {
    EXPECT_EQ(slot_name_bytes(QStringLiteral("ab")), QByteArray("ab           "));
    EXPECT_EQ(slot_name_bytes(QStringLiteral("ab")).size(), 13);
    EXPECT_EQ(slot_name_bytes(QStringLiteral("Proof Print 2024")), QByteArray("Proof Print 2"));
    EXPECT_EQ(slot_name_bytes(QString()), QByteArray(13, ' '));
    EXPECT_TRUE(slot_name_storable(QStringLiteral("Proof 2 ab Z")));
    EXPECT_TRUE(slot_name_storable(QString()));
    EXPECT_FALSE(slot_name_storable(QStringLiteral("a-b")));
    EXPECT_FALSE(slot_name_storable(QStringLiteral("caf\u00e9")));
    EXPECT_FALSE(slot_name_storable(QStringLiteral("\u65e5\u672c")));
}

}  // namespace
