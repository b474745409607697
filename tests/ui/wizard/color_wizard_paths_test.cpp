// Each path of the page flow walked end to end against a simulated monitor: the pages shown in
// order, and what the monitor holds afterwards.
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <algorithm>

#include "color/curve_builders.h"
#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
#include "ui/wizard/color_wizard_name_preset.h"
#include "ui/wizard/color_wizard_name_preset_page.h"

namespace mf = monitor_feature;

namespace {

using namespace wizard_testing;
using namespace color_wizard_rules;
using Pages = std::vector<int>;

const QString kPrinterProfile = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");

class ColorWizardPaths : public ColorWizardTest {
  protected:
    void SetUp() override {
        ColorWizardTest::SetUp();
        start();
    }

    // Walks a custom path, storing the mode in `slot` under `name`.
    Pages walk_custom(color_wizard& wizard, const char* kind, int slot, const QString& name,
                      const std::function<void(color_wizard&, int)>& more = {}) {
        return walk(wizard, [&](color_wizard& w, int page) {
            choose_fields(w, page, "preset_type.custom", kind);
            if (page == kNamePresetPage) {
                w.setField(QStringLiteral("name_preset.radio%1").arg(slot), true);
                w.setField(QStringLiteral("name_preset.nametext%1").arg(slot), name);
            }
            if (more) more(w, page);
        });
    }

    QByteArray slot_name(int slot) {
        return sim_monitor().state().slot_names[static_cast<std::size_t>(slot - 1)];
    }
    std::vector<std::uint16_t> slot_lut(int slot) {
        return sim_monitor().state().lut_slots[static_cast<std::size_t>(slot - 1)];
    }
    static std::vector<std::uint16_t> flattened(const EmulationLut::Table& table) {
        std::vector<std::uint16_t> values;
        for (const EmulationLut::Node& node : table)
            for (const std::int32_t v : node)
                values.push_back(static_cast<std::uint16_t>(v));
        return values;
    }
};

TEST_F(ColorWizardPaths, FixedPresetsSwitchTheMonitorAndGoStraightToBrightness) {
    const std::pair<const char*, int> presets[] = {{"preset_type.adobergb", kAdobeRgb},
                                                   {"preset_type.dci", kDci},
                                                   {"preset_type.rec709", kRec709},
                                                   {"preset_type.ecirgb", kEciRgb}};
    for (const auto& [field, mode] : presets) {
        auto wizard = open_wizard();
        const Pages shown =
            walk(*wizard, [&](color_wizard& w, int page) { choose_fields(w, page, field); });
        EXPECT_EQ(shown, (Pages{kIntroPage, kBrightnessPage})) << field;
        EXPECT_EQ(wizard->result(), QDialog::Accepted) << field;
        EXPECT_EQ(sim_value(mf::preset), mode) << field;
        EXPECT_EQ(sim_value(mf::prepare_254), 0) << field;
        EXPECT_EQ(sim_value(mf::prepare_233), 1) << field;
        EXPECT_EQ(sim_value(mf::prepare_105d), 31) << field;
        EXPECT_EQ(sim_value(mf::metamerism), 1) << "metamerism kept as it was";
        EXPECT_TRUE(wizard->changed()) << field;
    }
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, SrgbOnAMonitorInSrgbWritesTheSwitchButChangesNothing) {
    ASSERT_EQ(sim_value(mf::preset), kSrgb);
    set_sim_value(mf::prepare_105d, 16);
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.srgb"), true);
    ASSERT_TRUE(wizard->currentPage()->validatePage());
    EXPECT_EQ(sim_value(mf::prepare_105d), 31) << "the switch list was written";
    EXPECT_EQ(sim_value(mf::preset), kSrgb);
    EXPECT_FALSE(wizard->changed()) << "the monitor is in the mode it was in";

    wizard->setField(QStringLiteral("preset_type.dci"), true);
    ASSERT_TRUE(wizard->currentPage()->validatePage());
    EXPECT_EQ(sim_value(mf::preset), kDci);
    EXPECT_TRUE(wizard->changed());
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, DicomHighBrightAndFullPassTheirAdjustmentPages) {
    struct Case {
        const char* field;
        int mode;
        Pages pages;
    };
    const Case cases[] = {
        {"preset_type.dicom",
         kDicom,
         {kIntroPage, kColorGamutPage, kWhitePointPage, kBrightnessPage}},
        {"preset_type.highbright",
         kHighBright,
         {kIntroPage, kGammaPage, kColorGamutPage, kBrightnessPage}},
        {"preset_type.full",
         kFull,
         {kIntroPage, kGammaPage, kColorGamutPage, kWhitePointPage, kBrightnessPage}},
    };
    for (const Case& c : cases) {
        set_sim_value(mf::color_preset, 5);
        auto wizard = open_wizard();
        const Pages shown =
            walk(*wizard, [&](color_wizard& w, int page) { choose_fields(w, page, c.field); });
        EXPECT_EQ(shown, c.pages) << c.field;
        EXPECT_EQ(wizard->result(), QDialog::Accepted);
        EXPECT_EQ(sim_value(mf::preset), c.mode) << c.field;
        const bool white_page =
            std::find(c.pages.begin(), c.pages.end(), kWhitePointPage) != c.pages.end();
        EXPECT_EQ(sim_value(mf::color_preset), white_page ? 11 : 5)
            << "the white point page selects the first user colour preset";
    }
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, TheWhitePointPageLetsTheUserPresetSettleBeforeReadingTheWhite) {
    set_sim_value(mf::color_preset, 5);
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.full"), true);
    wizard->next();
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kColorGamutPage);
    sleeper.clear();
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kWhitePointPage);
    EXPECT_EQ(sim_value(mf::color_preset), 11);
    const std::vector<int> waits = sleeper.waits();
    EXPECT_EQ(std::count(waits.begin(), waits.end(), monitor_timing::kPresetWaitMs), 1)
        << "the monitor model's settle wait after 0x0014";
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, ReturnInASpinBoxTakesTheValueAndStaysOnThePage) {
    // Every adjustment page of the full path, the last one (Finish) included.
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.full"), true);
    wizard->next();
    int boxes = 0;
    for (const int page : {kGammaPage, kColorGamutPage, kWhitePointPage, kBrightnessPage}) {
        ASSERT_EQ(wizard->currentId(), page);
        QApplication::processEvents();
        for (QDoubleSpinBox* spin : wizard->currentPage()->findChildren<QDoubleSpinBox*>()) {
            if (!spin->isVisible() || !spin->isEnabled()) continue;
            ++boxes;
            const double typed = spin->value() - spin->singleStep() >= spin->minimum()
                                     ? spin->value() - spin->singleStep()
                                     : spin->value() + spin->singleStep();
            spin->setFocus();
            spin->selectAll();
            QTest::keyClicks(spin, spin->textFromValue(typed));
            QTest::keyClick(spin, Qt::Key_Return);
            EXPECT_TRUE(wizard->isVisible()) << qPrintable(spin->objectName());
            EXPECT_EQ(wizard->currentId(), page) << qPrintable(spin->objectName());
            EXPECT_DOUBLE_EQ(spin->value(), typed) << qPrintable(spin->objectName());
        }
        if (page != kBrightnessPage) wizard->next();
    }
    // Gamut 6, white point 2, brightness 2, and the exponent when the gamma type has one.
    EXPECT_GE(boxes, 10);
    // What was typed last went out when the page was left, as with Tab.
    wizard->button(QWizard::FinishButton)->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_TRUE(errors.texts.isEmpty()) << qPrintable(errors.texts.join('|'));
}

TEST_F(ColorWizardPaths, FinishStaysWhenTheMonitorCannotSaveAndCanBeTriedAgain) {
    const int saves = sim_monitor().counters().saves;
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.dci"), true);
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kBrightnessPage);
    fail_command(0x0C);
    wizard->button(QWizard::FinishButton)->click();
    sim_monitor().faults().clear();
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->currentId(), kBrightnessPage);
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_EQ(errors.texts[0], error_text(-1023, false).text);
    EXPECT_EQ(sim_monitor().counters().saves, saves);

    wizard->button(QWizard::FinishButton)->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(sim_monitor().counters().saves, saves + 1);
}

TEST_F(ColorWizardPaths, FinishSavesTheMonitorAndKeepsItsModeInTheRecord) {
    const int saves = sim_monitor().counters().saves;
    auto wizard = open_wizard();
    walk(*wizard, [](color_wizard& w, int page) { choose_fields(w, page, "preset_type.dci"); });
    EXPECT_EQ(sim_monitor().counters().saves, saves + 1);
    CMonitorEntry entry;
    ASSERT_TRUE(stored_record(entry));
    const CModeSettings* item = entry.adjust.findModeSettings(sim_value(mf::memory_select));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->preset(), kDci);
}

TEST_F(ColorWizardPaths, FullCustomStoresTheNamedModeInItsSlot) {
    auto wizard = open_wizard();
    const Pages shown =
        walk_custom(*wizard, "custom_type.full_custom", 2, QStringLiteral("Studio"));
    EXPECT_EQ(shown, (Pages{kIntroPage, kCustomTypePage, kNamePresetPage, kGammaPage,
                            kColorGamutPage, kWhitePointPage, kBrightnessPage}));
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(sim_value(mf::preset), programmable_mode(2));
    EXPECT_EQ(sim_value(mf::lut_use), 1);
    EXPECT_EQ(slot_name(2), QByteArray("Studio       "));
    CMonitorEntry entry;
    ASSERT_TRUE(stored_record(entry));
    ASSERT_GE(entry.adjust.namedEntries.size(), 2);
    EXPECT_EQ(entry.adjust.namedEntries[1].name, QStringLiteral("Studio       "));
    EXPECT_EQ(entry.adjust.namedEntries[1].code, programmable_mode(2));
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, DisplayEmulationWritesTheProfilesPrimariesWhiteGammaAndBrightness) {
    write_display_profile(QStringLiteral("emulated.icc"), emulated_display());
    auto wizard = open_wizard();
    const Pages shown =
        walk_custom(*wizard, "custom_type.emulate_display", 3, QStringLiteral("Proof"));
    EXPECT_EQ(shown, (Pages{kIntroPage, kCustomTypePage, kDisplayEmulationPage, kNamePresetPage,
                            kGammaPage, kColorGamutPage, kWhitePointPage, kBrightnessPage}));
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(sim_value(mf::preset), programmable_mode(3));
    EXPECT_EQ(sim_value(mf::lut_use), 1);
    const EmulationRecord& read = wizard->emulation();
    ASSERT_TRUE(read.valid);
    EXPECT_NEAR(read.red_x, 0.660, 0.001);
    const int expected[] = {rounded_thousandths(read.red_x),   rounded_thousandths(read.red_y),
                            rounded_thousandths(read.green_x), rounded_thousandths(read.green_y),
                            rounded_thousandths(read.blue_x),  rounded_thousandths(read.blue_y)};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sim_value(mf::red_x + i), expected[i]) << "primary " << i;
    EXPECT_EQ(sim_value(mf::red_x), 660);
    EXPECT_EQ(sim_value(mf::white_x), 313);
    EXPECT_EQ(sim_value(mf::white_y), 329);
    EXPECT_EQ(sim_value(mf::gamma_type), 9);
    EXPECT_EQ(sim_value(mf::gamma_value), 170);
    EXPECT_EQ(sim_value(mf::luminance), 160);
    EXPECT_EQ(sim_value(mf::lut_mode), 1) << "the LUT mode is back to normal";
    EXPECT_EQ(slot_name(3), QByteArray("Proof        "));
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, DisplayEmulationOfCurvesUploadsThemAndKeepsThemInTheRecord) {
    ProfileSpec spec = emulated_display();
    spec.useCurves = true;
    make_gamma_curve(spec.redCurve, 2.4);
    make_gamma_curve(spec.greenCurve, 2.2);
    make_gamma_curve(spec.blueCurve, 2.0);
    write_display_profile(QStringLiteral("curves.icc"), spec);
    set_sim_value(mf::gamma_type, 11);
    const std::vector<std::uint16_t> ramp = sim::factory_table(sim_monitor().model());
    auto wizard = open_wizard();
    walk_custom(*wizard, "custom_type.emulate_display", 3, QStringLiteral("Curves"));
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    ASSERT_TRUE(wizard->emulation().curves_approximated);
    EXPECT_EQ(sim_value(mf::memory_select), 1);
    // The programmable mode's own tables now hold the three curves.
    const auto& tables = sim_monitor().state().memories[0].tables;
    EXPECT_NE(tables[0], ramp);
    EXPECT_NE(tables[0], tables[2]) << "red and blue differ as the profile's curves do";
    CMonitorEntry entry;
    ASSERT_TRUE(stored_record(entry));
    CCurveSet set;
    ASSERT_TRUE(entry.adjust.getCurveSet(programmable_mode(3), set));
    EXPECT_NEAR(set.red.evaluate(0.5), std::pow(0.5, 2.4), 0.01);
    EXPECT_NEAR(set.blue.evaluate(0.5), std::pow(0.5, 2.0), 0.01);
    EXPECT_EQ(sim_value(mf::lut_mode), 1);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, PrinterEmulationStoresTheGeneratorsLutInTheSlot) {
    if (!install_profile(kPrinterProfile, QStringLiteral("printer.icc")))
        GTEST_SKIP() << "libgs-common is not installed";
    struct Case {
        int gamut;
        int gamma_type;
        int gamma_code;  // -1: not checked
        int green_x;
    };
    const int native_green_x = [&] {
        CMonitorEntry entry;
        stored_record(entry);
        return int(entry.adjust.factory_x(CAdjustValue::kGreen));
    }();
    const Case cases[] = {{kGamutSrgb, 11, -1, 300},
                          {kGamutFull, 9, 170, native_green_x},
                          {kGamutAdobeRgb, 9, 170, 210}};
    int slot = 3;
    for (const Case& c : cases) {
        set_sim_value(mf::gamma_value, 130);
        auto wizard = open_wizard();
        const Pages shown = walk_custom(
            *wizard, "custom_type.emulate_printer", slot, QStringLiteral("Print %1").arg(slot),
            [&](color_wizard& w, int page) {
                if (page == kRenderingIntentPage)
                    w.setField(QStringLiteral("renderingintent.rendering_gamut"), c.gamut);
            });
        EXPECT_EQ(shown,
                  (Pages{kIntroPage, kCustomTypePage, kPrinterEmulationPage, kRenderingIntentPage,
                         kWhitePointPage, kNamePresetPage, kBrightnessPage}));
        ASSERT_EQ(wizard->result(), QDialog::Accepted) << c.gamut;
        ASSERT_TRUE(wizard->lut_generator().isValid());
        EXPECT_EQ(sim_value(mf::preset), programmable_mode(slot));
        EXPECT_EQ(sim_value(mf::gamma_type), c.gamma_type) << c.gamut;
        if (c.gamma_code >= 0) {
            EXPECT_EQ(sim_value(mf::gamma_value), c.gamma_code) << c.gamut;
        }
        EXPECT_EQ(sim_value(mf::green_x), c.green_x) << c.gamut;
        EXPECT_EQ(sim_value(mf::white_x), int(wizard->printer_white_x()));
        EXPECT_EQ(sim_value(mf::lut_mode), 1);
        EXPECT_EQ(slot_lut(slot), flattened(wizard->lut_generator().table())) << c.gamut;
        EXPECT_NE(slot_lut(slot), flattened(EmulationLut().table())) << "not the identity";
        EXPECT_EQ(slot_name(slot),
                  QStringLiteral("Print %1").arg(slot).toLatin1() + QByteArray(13 - 7, ' '));
        ++slot;
    }
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardPaths, AfterThePrinterPathTheSimulatorToolShowsTheNameAndTheLut) {
    if (!install_profile(kPrinterProfile, QStringLiteral("printer.icc")))
        GTEST_SKIP() << "libgs-common is not installed";
    auto wizard = open_wizard();
    walk_custom(*wizard, "custom_type.emulate_printer", 4, QStringLiteral("Gallery"));
    ASSERT_EQ(wizard->result(), QDialog::Accepted);
    wizard.reset();
    // Finish saved the monitor's settings, which writes the simulator's state file.
    QProcess tool;
    tool.setProcessEnvironment(testing_support::child_process_environment());
    tool.start(QStringLiteral(ORVALE_SIM_TOOL),
               {QStringLiteral("--config"), config_path(), QStringLiteral("--state"), state_path(),
                QStringLiteral("show"), QStringLiteral("0")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    const QString shown = QString::fromUtf8(tool.readAllStandardOutput());
    EXPECT_TRUE(shown.contains(QStringLiteral("slot 4: \"Gallery      \"  3D LUT programmed")))
        << qPrintable(shown);
}

}  // namespace
