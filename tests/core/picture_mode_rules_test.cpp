#include <gtest/gtest.h>

#include <QTimeZone>

#include "core/picture_mode_rules.h"
#include "core/string_table.h"

using namespace picture_mode;

namespace {

CModeSettings item_with(std::initializer_list<std::pair<int, int>> values) {
    CModeSettings item;
    for (auto [i, v] : values)
        item.values[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(v);
    return item;
}

// sRGB primaries and D65 in thousandths, gamma 2.2.
CModeSettings srgb_item() {
    return item_with({{0, 1},
                      {1, 1},
                      {4, 313},
                      {5, 329},
                      {6, 640},
                      {7, 330},
                      {8, 300},
                      {9, 600},
                      {10, 150},
                      {11, 60},
                      {12, 9},
                      {13, 170}});
}

TEST(PresetLabels, EveryPresetOfTheTableHasItsText) {
    const std::pair<int, const char*> expected[] = {{1, "sRGB"},
                                                    {2, "AdobeRGB"},
                                                    {3, "DCI"},
                                                    {4, "REC-Bt709"},
                                                    {5, "Native"},
                                                    {6, "Full"},
                                                    {7, "DICOM"},
                                                    {8, "Programmable 1"},
                                                    {9, "Programmable 2"},
                                                    {10, "Programmable 3"},
                                                    {11, "Programmable 4"},
                                                    {12, "Programmable 5"},
                                                    {13, "eciRGB v2"}};
    for (auto [preset, text] : expected)
        EXPECT_EQ(preset_label(preset, nullptr, false), QString::fromLatin1(text)) << preset;
}

TEST(PresetLabels, TheSimulatedVariantReadsDicomSimAndOnlyForDicom) {
    EXPECT_EQ(preset_label(7, nullptr, true), QStringLiteral("DICOM Sim"));
    EXPECT_EQ(preset_label(1, nullptr, true), QStringLiteral("sRGB"));
    EXPECT_EQ(preset_label(8, nullptr, true), QStringLiteral("Programmable 1"));
}

TEST(PresetLabels, NamedEntriesNameTheirProgrammableSlotOnly) {
    CAdjustValue record;
    record.namedEntries.append(CNamedEntry::for_slot(QStringLiteral("Proof D50"), 3));  // preset 10
    record.namedEntries.append({QStringLiteral("Not a slot"), 2, 0});                   // preset 2
    EXPECT_EQ(preset_label(10, &record, false), QStringLiteral("Proof D50"));
    EXPECT_EQ(preset_label(9, &record, false), QStringLiteral("Programmable 2"));
    // A name never replaces a factory preset's label.
    EXPECT_EQ(preset_label(2, &record, false), QStringLiteral("AdobeRGB"));
}

TEST(PresetLabels, UnknownPresetsAndMemoriesWithoutRecordReadModeN) {
    for (int preset : {0, -3, 14, 200})
        EXPECT_EQ(preset_label(preset, nullptr, false), QStringLiteral("Mode %1").arg(preset));
    EXPECT_EQ(default_button_label(4), QStringLiteral("Mode 4"));
}

TEST(BrightnessScale, AbsoluteModeShowsTheSliderValueInCdPerSquareMetre) {
    const BrightnessScale s{40, 400, false};
    EXPECT_EQ(s.spin_minimum(), 40);
    EXPECT_EQ(s.spin_maximum(), 400);
    EXPECT_EQ(s.decimals(), 0);
    EXPECT_EQ(s.step(), 1.0);
    EXPECT_EQ(s.to_spin(120), 120);
    EXPECT_EQ(s.from_spin(120.9), 120);
    EXPECT_EQ(unit_suffix(false), QStringLiteral(" cd/m\u00b2"));
}

TEST(BrightnessScale, PercentModeMapsTheSliderRangeOntoZeroToHundred) {
    const BrightnessScale s{50, 500, true};
    EXPECT_EQ(s.spin_minimum(), 0);
    EXPECT_EQ(s.spin_maximum(), 100);
    EXPECT_EQ(s.decimals(), 1);
    EXPECT_DOUBLE_EQ(s.to_spin(50), 0.0);
    EXPECT_DOUBLE_EQ(s.to_spin(500), 100.0);
    EXPECT_DOUBLE_EQ(s.to_spin(275), 50.0);
    EXPECT_EQ(s.from_spin(0.0), 50);
    EXPECT_EQ(s.from_spin(100.0), 500);
    EXPECT_EQ(s.from_spin(50.0), 275);
    // 450 levels over 100 %: a step of 0.222..., truncated on the way back.
    EXPECT_NEAR(s.step(), 100.0 / 450, 1e-12);
    EXPECT_EQ(s.from_spin(33.3), 199);
    EXPECT_EQ(unit_suffix(true), QStringLiteral(" %"));
}

TEST(BrightnessScale, PercentStepIsAtLeastATenthAndAnEmptyRangeIsSafe) {
    EXPECT_DOUBLE_EQ((BrightnessScale{0, 5000, true}.step()), 0.1);
    EXPECT_DOUBLE_EQ((BrightnessScale{0, 4, true}.step()), 25.0);
    const BrightnessScale empty{100, 100, true};
    EXPECT_DOUBLE_EQ(empty.step(), 0.1);
    EXPECT_DOUBLE_EQ(empty.to_spin(100), 0.0);
    EXPECT_EQ(empty.from_spin(60.0), 100);
}

TEST(BlackLevelScale, AbsoluteModeShowsTenthsAsCdPerSquareMetre) {
    const BlackLevelScale s{50, false};
    EXPECT_DOUBLE_EQ(s.spin_maximum(), 5.0);
    EXPECT_EQ(s.decimals(), 1);
    EXPECT_DOUBLE_EQ(s.step(), 0.1);
    EXPECT_DOUBLE_EQ(s.to_spin(23), 2.3);
    // Decimal fractions do not lose a tenth on the way back.
    for (int v = 0; v <= 50; ++v)
        EXPECT_EQ(s.from_spin(s.to_spin(v)), v) << v;
}

TEST(BlackLevelScale, PercentModeDoublesTheValueAndScalesBack) {
    const BlackLevelScale s{50, true};
    EXPECT_DOUBLE_EQ(s.spin_maximum(), 100.0);
    EXPECT_EQ(s.decimals(), 0);
    EXPECT_DOUBLE_EQ(s.step(), 2.0);
    EXPECT_DOUBLE_EQ(s.to_spin(3), 6.0);
    for (int v = 0; v <= 50; ++v)
        EXPECT_EQ(s.from_spin(s.to_spin(v)), v) << v;
}

TEST(Indicators, BrightnessWarnsAboveUniformityAndBelowContrastLimits) {
    EXPECT_EQ(brightness_indicator(-1, 250, 80), (Indicator{QStringLiteral("-"), QString()}));
    EXPECT_EQ(brightness_indicator(251, 250, 80), (Indicator{string(813), string(814)}));
    EXPECT_EQ(brightness_indicator(250, 250, 80), (Indicator{blank_indicator(), QString()}));
    EXPECT_EQ(brightness_indicator(79, 250, 80), (Indicator{string(808), string(809)}));
    EXPECT_EQ(brightness_indicator(80, 250, 80), (Indicator{blank_indicator(), QString()}));
    // Unknown (-1) or absent (0) limits never warn.
    EXPECT_EQ(brightness_indicator(999, -1, 0).text, blank_indicator());
    EXPECT_EQ(brightness_indicator(1, 0, -1).text, blank_indicator());
    EXPECT_TRUE(string(813).contains(QStringLiteral("Uniformity")));
}

TEST(Indicators, BlackLevelWarnsBelowTheBlackLimitAndIsEmptyAtZero) {
    EXPECT_EQ(black_level_indicator(-1, 3).text, QStringLiteral("-"));
    EXPECT_EQ(black_level_indicator(0, 3), (Indicator{}));
    EXPECT_EQ(black_level_indicator(2, 3), (Indicator{string(811), string(812)}));
    EXPECT_EQ(black_level_indicator(3, 3).text, blank_indicator());
    EXPECT_EQ(black_level_indicator(2, -1).text, blank_indicator());
}

TEST(LimitRules, TooHighNeedsAGainAtItsMaximumAndTwoPercentOverTheLuminance) {
    const std::array<Gain, 3> one_at_max = {Gain{1023, 1023}, Gain{900, 1023}, Gain{880, 1023}};
    const std::array<Gain, 3> none_at_max = {Gain{1000, 1023}, Gain{900, 1023}, Gain{880, 1023}};
    EXPECT_TRUE(brightness_too_high(one_at_max, 100, 101));   // 102 > 101
    EXPECT_FALSE(brightness_too_high(one_at_max, 100, 102));  // 102 is not above 102
    EXPECT_FALSE(brightness_too_high(none_at_max, 100, 50));
    EXPECT_EQ(brightness_too_high_indicator().text, string(807));
    EXPECT_TRUE(string(807).contains(QStringLiteral("Too High")));
    EXPECT_EQ(brightness_too_high_indicator().tool_tip, string(810));
}

TEST(LimitRules, TheCheckRunsOnlyForTheActiveApplicationOutsidePercentMode) {
    EXPECT_TRUE(limit_check_applies(true, false, true, false));
    EXPECT_FALSE(limit_check_applies(false, false, true, false));
    EXPECT_FALSE(limit_check_applies(true, true, true, false));
    EXPECT_FALSE(limit_check_applies(true, false, false, false));
    EXPECT_FALSE(limit_check_applies(true, false, true, true));
}

TEST(ModeItemChange, ComparedValuesMakeADifferenceAndOthersDoNot) {
    const CModeSettings reference = srgb_item();
    for (int i : {4, 5, 6, 7, 8, 9, 11, 12}) {
        CModeSettings item = reference;
        item.values[static_cast<std::size_t>(i)] += 1;
        EXPECT_TRUE(mode_item_differs(item, reference)) << "value " << i;
    }
    // Memory, preset, the blue x and the values the engine does not interpret are not compared.
    for (int i : {0, 1, 2, 3, 10, 14, 15}) {
        CModeSettings item = reference;
        item.values[static_cast<std::size_t>(i)] += 1;
        EXPECT_FALSE(mode_item_differs(item, reference)) << "value " << i;
    }
    EXPECT_FALSE(mode_item_differs(reference, reference));
}

TEST(ModeItemChange, TheGammaCountsOnlyForTheGammaType) {
    CModeSettings gamma = srgb_item();
    CModeSettings other_gamma = gamma;
    other_gamma.values[13] = 190;
    EXPECT_TRUE(mode_item_differs(other_gamma, gamma));

    CModeSettings lstar = srgb_item();
    lstar.values[12] = 12;
    CModeSettings lstar_other = lstar;
    lstar_other.values[13] = 190;
    EXPECT_FALSE(mode_item_differs(lstar_other, lstar));
}

TEST(ModeItemChange, AnItemWithAZeroChromaticityHasNoColorimetry) {
    EXPECT_TRUE(has_colorimetry(srgb_item()));
    EXPECT_FALSE(has_colorimetry(CModeSettings{}));
    for (int i = 4; i <= 11; ++i) {
        CModeSettings item = srgb_item();
        item.values[static_cast<std::size_t>(i)] = 0;
        EXPECT_FALSE(has_colorimetry(item)) << "value " << i;
    }
    CModeSettings negative = srgb_item();
    negative.values[6] = -1;
    EXPECT_FALSE(has_colorimetry(negative));
}

TEST(CalibrationStamp, ZeroOrNoEntryIsNoStamp) {
    EXPECT_FALSE(calibration_stamp(false, 1700000000u).has_value());
    EXPECT_FALSE(calibration_stamp(true, 0u).has_value());
    EXPECT_EQ(calibration_stamp(true, 1700000000u), std::optional<std::uint32_t>(1700000000u));
}

TEST(CalibrationStamp, TheHeaderFieldsAreReadAsUtcWhateverZoneTheyCarry) {
    const std::uint32_t stamp = 1700000000u;  // 2023-11-14 22:13:20 UTC
    const QDate date(2023, 11, 14);
    const QTime time(22, 13, 20);
    EXPECT_TRUE(created_at_stamp(QDateTime(date, time, QTimeZone::utc()), stamp));
    // The same fields read as local time of a zone far from UTC still match.
    EXPECT_TRUE(created_at_stamp(QDateTime(date, time, QTimeZone("Asia/Tokyo")), stamp));
    EXPECT_TRUE(created_at_stamp(QDateTime(date, time), stamp));
    EXPECT_FALSE(created_at_stamp(QDateTime(date, time.addSecs(1), QTimeZone::utc()), stamp));
    EXPECT_FALSE(created_at_stamp(QDateTime(), stamp));
}

TEST(CalibrationStamp, TheFirstProfileCreatedAtTheStampIsChosen) {
    QList<ProfileEntry> profiles(3);
    profiles[0].created = QDateTime(QDate(2023, 11, 14), QTime(22, 13, 19), QTimeZone::utc());
    profiles[1].created = QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), QTimeZone::utc());
    profiles[2].created = profiles[1].created;
    EXPECT_EQ(profile_for_stamp(profiles, 1700000000u), 1);
    EXPECT_EQ(profile_for_stamp(profiles, 1700000001u), -1);
    EXPECT_EQ(profile_for_stamp({}, 1700000000u), -1);
}

}  // namespace
