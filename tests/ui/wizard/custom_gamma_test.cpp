#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTest>
#include <algorithm>

#include "color/curve_builders.h"
#include "comm/monitor_features.h"
#include "ui/graphs/curves_graph.h"
#include "ui/wizard/color_wizard_custom_gamma.h"
#include "wizard_fixture.h"

namespace mf = monitor_feature;

namespace {

using wizard_testing::WizardWidgetTest;

constexpr int kGammaType = mf::gamma_type;
constexpr int kGammaValue = mf::gamma_value;
constexpr int kPreset = mf::preset;

class CustomGammaTest : public WizardWidgetTest {
  protected:
    void SetUp() override { start(kAbsoluteModel); }
    QDoubleSpinBox* value(color_wizard_custom_gamma& w) {
        return w.findChild<QDoubleSpinBox*>(QStringLiteral("gamma_value_doubleSpinBox"));
    }
    QRadioButton* button(color_wizard_custom_gamma& w, const char* name) {
        return w.findChild<QRadioButton*>(QLatin1String(name));
    }
    CSpline valid_curve() {
        CSpline curve;
        make_gamma_curve(curve, 1.8);
        curve.valid = true;
        return curve;
    }
};

TEST_F(CustomGammaTest, TheExponentCodeRoundsToTenthsAndComesBackTheSame) {
    EXPECT_EQ(color_wizard_custom_gamma::gamma_code(2.2), 170);
    EXPECT_EQ(color_wizard_custom_gamma::gamma_code(0.5), 0);
    EXPECT_EQ(color_wizard_custom_gamma::gamma_code(4.0), 350);
    for (int tenths = 5; tenths <= 40; ++tenths) {
        const double gamma = tenths / 10.0;
        EXPECT_DOUBLE_EQ(color_wizard_custom_gamma::gamma_from_code(
                             color_wizard_custom_gamma::gamma_code(gamma)),
                         gamma)
            << gamma;
    }
}

TEST_F(CustomGammaTest, Gamma22IsWrittenAs170AndReadBackAs22) {
    set_sim_value(kGammaType, 9);
    set_sim_value(kGammaValue, 130);
    color_wizard_custom_gamma widget;
    widget.update_ui();
    ASSERT_TRUE(button(widget, "gamma_value_radioButton")->isChecked());
    ASSERT_TRUE(value(widget)->isEnabled());
    EXPECT_DOUBLE_EQ(value(widget)->value(), 1.8);
    value(widget)->setValue(2.2);
    sleeper.clear();
    QTest::qWait(1300);
    EXPECT_EQ(sim_value(kGammaValue), 170);
    EXPECT_TRUE(waited(2000)) << "the monitor settles after a new exponent";

    color_wizard_custom_gamma fresh;
    fresh.update_ui();
    EXPECT_DOUBLE_EQ(value(fresh)->value(), 2.2);
    ASSERT_EQ(fresh.shown_curves().size(), 1);
    EXPECT_NEAR(fresh.shown_curves()[0].evaluate(0.5), std::pow(0.5, 2.2), 1e-3);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(CustomGammaTest, ChoosingATypeWritesItAtOnceAndRedrawsItsCurve) {
    set_sim_value(kGammaType, 9);
    color_wizard_custom_gamma widget;
    widget.update_ui();
    button(widget, "gamma_dicom_radioButton")->click();
    EXPECT_EQ(sim_value(kGammaType), 5);
    EXPECT_FALSE(value(widget)->isEnabled());
    ASSERT_EQ(widget.shown_curves().size(), 1);
    // The DICOM curve runs from the larger black level to the brightness.
    CSpline expected;
    make_dicom_curve(
        expected,
        dicom_black_luminance(sim_value(mf::black_level), sim_value(mf::black_level_minimum)),
        static_cast<float>(sim_value(mf::luminance)));
    EXPECT_DOUBLE_EQ(widget.shown_curves()[0].yAt(40), expected.yAt(40));

    button(widget, "gamma_Lstar_radioButton")->click();
    EXPECT_EQ(sim_value(kGammaType), 12);
    button(widget, "gamma_value_radioButton")->click();
    EXPECT_EQ(sim_value(kGammaType), 9);
    EXPECT_TRUE(value(widget)->isEnabled());
    EXPECT_DOUBLE_EQ(value(widget)->value(), sim_value(kGammaValue) / 100.0 + 0.5);
}

TEST_F(CustomGammaTest, ATypeSettlesForThreeSecondsBeforeItsExponentIsAskedFor) {
    set_sim_value(kGammaType, 5);
    color_wizard_custom_gamma widget;
    widget.update_ui();
    sleeper.clear();
    button(widget, "gamma_value_radioButton")->click();
    EXPECT_EQ(sim_value(kGammaType), 9);
    const std::vector<int> waits = sleeper.waits();
    ASSERT_EQ(std::count(waits.begin(), waits.end(), monitor_timing::kGammaTypeWaitMs), 1)
        << "the monitor model's settle wait after 0x268";
    // The read of 0x2E8 (with its own protocol waits) comes after it.
    const auto settle = std::find(waits.begin(), waits.end(), monitor_timing::kGammaTypeWaitMs);
    EXPECT_NE(settle + 1, waits.end());
    EXPECT_DOUBLE_EQ(value(widget)->value(), sim_value(kGammaValue) / 100.0 + 0.5);
}

TEST_F(CustomGammaTest, TheProgrammableTypeNeedsAProgrammableModeAndItsCurves) {
    color_wizard_custom_gamma widget;
    QRadioButton* programmable = button(widget, "gamma_programmable_radioButton");
    set_sim_value(kPreset, 8);
    widget.update_ui();
    EXPECT_FALSE(programmable->isEnabled()) << "no curves handed over";

    CSpline green = valid_curve(), blue = valid_curve();
    green.setYAt(100, 0.2);
    widget.SetProgrammableGammaSplines(valid_curve(), green, blue);
    widget.update_ui();
    EXPECT_TRUE(programmable->isEnabled());
    programmable->click();
    EXPECT_EQ(sim_value(kGammaType), 6);
    ASSERT_EQ(widget.shown_curves().size(), 3);
    EXPECT_DOUBLE_EQ(widget.shown_curves()[1].yAt(100), 0.2);
    auto* graph =
        widget.findChild<TW_curves_graph*>(QStringLiteral("widget_Color_Custom_Curve_Graph"));
    ASSERT_EQ(graph->pens().size(), 3);
    EXPECT_EQ(graph->pens()[0].color(), QColor(255, 0, 0));
    EXPECT_EQ(graph->pens()[1].color(), QColor(0, 255, 0));
    EXPECT_EQ(graph->pens()[2].color(), QColor(0, 0, 255));

    set_sim_value(kPreset, 7);
    widget.update_ui();
    EXPECT_FALSE(programmable->isEnabled()) << "a fixed preset keeps its own curve";
}

TEST_F(CustomGammaTest, AFailedValueReadDisablesTheSpinBox) {
    set_sim_value(kGammaType, 9);
    color_wizard_custom_gamma widget;
    fail_exchange_after(1);
    widget.update_ui();
    EXPECT_FALSE(value(widget)->isEnabled());
    EXPECT_EQ(errors.texts.size(), 1);
}

TEST_F(CustomGammaTest, AnExponentChangedJustBeforeThePageIsLeftReachesTheMonitor) {
    set_sim_value(kGammaType, 9);
    color_wizard_custom_gamma widget;
    widget.show();
    widget.update_ui();
    value(widget)->setValue(2.4);
    widget.hide();
    EXPECT_EQ(sim_value(kGammaValue), 190);
}

}  // namespace
