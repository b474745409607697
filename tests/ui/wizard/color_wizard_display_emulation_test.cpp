// The display emulation page: what it shows of a profile, when it lets the user on, and that a
// profile it cannot read completely never reaches the monitor.
#include <lcms2.h>

#include <QLabel>
#include <QTableWidget>

#include "color/curve_builders.h"
#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
#include "core/string_table.h"
#include "ui/wizard/color_wizard_display_emulation_page.h"
#include "ui/wizard/color_wizard_display_emulation_selection.h"
#include "ui/wizard/color_wizard_name_preset_page.h"

namespace mf = monitor_feature;

namespace {

using namespace wizard_testing;
using namespace color_wizard_rules;

// A display-class profile with a description but no colorants and no tone curves.
QByteArray profile_without_colorants() {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigDisplayClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigXYZData);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "no colorants");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsWriteTag(profile, cmsSigCopyrightTag, text);
    cmsMLUfree(text);
    const cmsCIEXYZ white = {0.9642, 1.0, 0.8249};
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, &white);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

class ColorWizardDisplayEmulation : public ColorWizardTest {
  protected:
    void SetUp() override {
        ColorWizardTest::SetUp();
        start();
    }
    std::unique_ptr<color_wizard> at_display_page() {
        auto wizard = open_wizard();
        wizard->setField(QStringLiteral("preset_type.custom"), true);
        wizard->next();
        wizard->setField(QStringLiteral("custom_type.emulate_display"), true);
        wizard->next();
        EXPECT_EQ(wizard->currentId(), kDisplayEmulationPage);
        return wizard;
    }
    ColorWizardDisplayEmulationSelectionPage* page(color_wizard& w) {
        return static_cast<ColorWizardDisplayEmulationSelectionPage*>(
            w.page(kDisplayEmulationPage));
    }
    QString label(color_wizard& w, const char* name) {
        return page(w)->form()->findChild<QLabel*>(QLatin1String(name))->text();
    }
    bool next_enabled(color_wizard& w) { return w.button(QWizard::NextButton)->isEnabled(); }

    const QString marker = color_wizard_display_emulation_selection::out_of_range_marker();
};

TEST_F(ColorWizardDisplayEmulation, AProfileInsideTheLimitsShowsItsValuesAndCanBeUsed) {
    write_display_profile(QStringLiteral("inside.icc"), emulated_display());
    auto wizard = at_display_page();
    EXPECT_EQ(page(*wizard)->form()->profile_table()->rowCount(), 1);
    EXPECT_EQ(label(*wizard, "white_point_value_label"), QStringLiteral("CIE x=0.313 y=0.329"));
    EXPECT_EQ(label(*wizard, "red_value_label"), QStringLiteral("CIE x=0.660 y=0.330"));
    EXPECT_EQ(label(*wizard, "green_value_label"), QStringLiteral("CIE x=0.220 y=0.700"));
    EXPECT_EQ(label(*wizard, "blue_value_label"), QStringLiteral("CIE x=0.150 y=0.060"));
    EXPECT_EQ(label(*wizard, "gamma_value_label"), QStringLiteral("2.20"));
    EXPECT_EQ(label(*wizard, "brightness_value_label"),
              QStringLiteral("160 ") + string(kLuminanceUnitString));
    EXPECT_EQ(label(*wizard, "copyright_label"), QStringLiteral("Copyright test"));
    EXPECT_FALSE(label(*wizard, "date_label").isEmpty());
    EXPECT_TRUE(page(*wizard)->isComplete());
    EXPECT_TRUE(next_enabled(*wizard));
    EXPECT_TRUE(wizard->emulation().valid);
}

TEST_F(ColorWizardDisplayEmulation, AWhiteXOf049IsMarkedAndKeepsNextDisabled) {
    ProfileSpec spec = emulated_display();
    spec.whiteX = 0.49;
    spec.whiteY = 0.41;
    write_display_profile(QStringLiteral("warm.icc"), spec);
    auto wizard = at_display_page();
    EXPECT_EQ(label(*wizard, "white_point_value_label"),
              QStringLiteral("CIE x=0.490 y=0.410") + marker);
    EXPECT_TRUE(marker.contains(QStringLiteral("alerts_red_icon_20.png")));
    EXPECT_FALSE(label(*wizard, "red_value_label").contains(marker));
    EXPECT_FALSE(page(*wizard)->isComplete());
    EXPECT_FALSE(next_enabled(*wizard));
    EXPECT_FALSE(wizard->emulation().valid);
    EXPECT_NEAR(wizard->emulation().white_x, 0.49, 0.001) << "read values are kept anyway";
}

TEST_F(ColorWizardDisplayEmulation, CurvesShowTheirApproximateGammaAndADimWhiteNoBrightness) {
    ProfileSpec spec = emulated_display();
    spec.useCurves = true;
    spec.luminance = 0.0;
    spec.redX = 0.72;  // beyond the panel's reach
    make_gamma_curve(spec.redCurve, 1.8);
    make_gamma_curve(spec.greenCurve, 1.8);
    make_gamma_curve(spec.blueCurve, 1.8);
    write_display_profile(QStringLiteral("curves.icc"), spec);
    auto wizard = at_display_page();
    EXPECT_EQ(label(*wizard, "gamma_value_label"), QStringLiteral("1.80 (approximate)"));
    EXPECT_EQ(label(*wizard, "brightness_value_label"), QStringLiteral("-"));
    EXPECT_EQ(label(*wizard, "red_value_label"), QStringLiteral("CIE x=0.720 y=0.330") + marker);
    EXPECT_FALSE(next_enabled(*wizard));
}

TEST_F(ColorWizardDisplayEmulation, AProfileWithoutColorantsIsShownAsUnreadableNeverAsZeros) {
    const QString path = colorDirectory() + QStringLiteral("/bare.icc");
    ASSERT_TRUE(testing_support::write_file(path, profile_without_colorants()));
    auto wizard = at_display_page();
    ASSERT_EQ(page(*wizard)->form()->profile_table()->rowCount(), 1);
    for (const char* value : {"white_point_value_label", "red_value_label", "green_value_label",
                              "blue_value_label", "gamma_value_label", "brightness_value_label"})
        EXPECT_EQ(label(*wizard, value), QStringLiteral("-")) << value;
    EXPECT_EQ(label(*wizard, "copyright_label"), QStringLiteral("no colorants"));
    EXPECT_FALSE(page(*wizard)->isComplete());
    EXPECT_FALSE(next_enabled(*wizard));
    EXPECT_FALSE(wizard->emulation().valid);

    // Even if the name page were reached with it, nothing would be written.
    const int red_x = sim_value(mf::red_x);
    wizard->setField(QStringLiteral("name_preset.radio2"), true);
    EXPECT_FALSE(wizard->page(kNamePresetPage)->validatePage());
    EXPECT_EQ(sim_value(mf::red_x), red_x);
    EXPECT_EQ(sim_value(mf::preset), kSrgb);
}

TEST_F(ColorWizardDisplayEmulation, NothingChosenOrAnUnreadableFileShowsDashes) {
    auto wizard = at_display_page();
    EXPECT_EQ(page(*wizard)->form()->profile_table()->rowCount(), 0);
    EXPECT_EQ(label(*wizard, "red_value_label"), QStringLiteral("-"));
    EXPECT_EQ(label(*wizard, "copyright_label"), QStringLiteral("-"));
    EXPECT_FALSE(next_enabled(*wizard));

    const QString garbage = colorDirectory() + QStringLiteral("/../garbage.icc");
    ASSERT_TRUE(testing_support::write_file(garbage, QByteArray(300, 'x')));
    page(*wizard)->selection_made(garbage);
    EXPECT_EQ(label(*wizard, "gamma_value_label"), QStringLiteral("-"));
    EXPECT_FALSE(page(*wizard)->isComplete());
}

TEST_F(ColorWizardDisplayEmulation, AddingFromElsewhereTakesOnlyDisplayProfiles) {
    write_display_profile(QStringLiteral("installed.icc"), emulated_display());
    auto wizard = at_display_page();
    QTableWidget* table = page(*wizard)->form()->profile_table();
    ASSERT_EQ(table->rowCount(), 1);

    const QString folder = testing_support::sandbox_folder() + QStringLiteral("/elsewhere");
    QDir().mkpath(folder);
    ProfileSpec other = emulated_display();
    other.path = folder + QStringLiteral("/other.icm");
    other.description = QStringLiteral("Other display");
    other.redX = 0.640;
    ASSERT_EQ(writeDisplayProfile(other, QString()), 0);
    EXPECT_TRUE(page(*wizard)->form()->add_profile_file(other.path));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->currentRow(), 1);
    EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("Other display"));
    EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("other.icm"));
    EXPECT_EQ(table->item(1, 0)->toolTip(), QDir::toNativeSeparators(other.path));
    EXPECT_EQ(label(*wizard, "red_value_label"), QStringLiteral("CIE x=0.640 y=0.330"));
    EXPECT_TRUE(errors.texts.isEmpty());

    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    const QString garbage = folder + QStringLiteral("/garbage.icc");
    ASSERT_TRUE(testing_support::write_file(garbage, QByteArray(300, 'x')));
    QStringList refused = {garbage};
    if (QFile::exists(printer)) refused.append(printer);
    for (const QString& path : refused) {
        EXPECT_FALSE(page(*wizard)->form()->add_profile_file(path)) << qPrintable(path);
    }
    EXPECT_EQ(table->rowCount(), 2);
    ASSERT_EQ(errors.texts.size(), refused.size());
    for (const QString& text : errors.texts)
        EXPECT_EQ(text, QStringLiteral("Error: The selected file is not a valid display profile."));
}

}  // namespace
