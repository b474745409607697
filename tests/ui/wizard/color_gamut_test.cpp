#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTest>

#include "comm/monitor_features.h"
#include "ui/graphs/gamut_graph.h"
#include "ui/wizard/color_wizard_color_gamut.h"
#include "ui/wizard/wizard_monitor.h"
#include "wizard_fixture.h"

namespace mf = monitor_feature;

namespace {

using wizard_testing::WizardWidgetTest;

constexpr int kRedX = mf::red_x;
const char* const kSpinNames[6] = {"red_x_doubleSpinBox",   "red_y_doubleSpinBox",
                                   "green_x_doubleSpinBox", "green_y_doubleSpinBox",
                                   "blue_x_doubleSpinBox",  "blue_y_doubleSpinBox"};

class ColorGamutTest : public WizardWidgetTest {
  protected:
    void SetUp() override { start(kAbsoluteModel); }
    QDoubleSpinBox* spin(color_wizard_color_gamut& w, int i) {
        return w.findChild<QDoubleSpinBox*>(QLatin1String(kSpinNames[i]));
    }
    QComboBox* combo(color_wizard_color_gamut& w) {
        return w.findChild<QComboBox*>(QStringLiteral("gamut_comboBox"));
    }
    void set_all(color_wizard_color_gamut& w, const std::array<double, 6>& values) {
        for (int i = 0; i < 6; ++i)
            spin(w, i)->setValue(values[static_cast<std::size_t>(i)]);
    }
};

TEST_F(ColorGamutTest, TheComboNamesThePresetTheSpinBoxesHoldExactly) {
    color_wizard_color_gamut widget;
    set_all(widget, {0.640, 0.330, 0.300, 0.600, 0.150, 0.060});
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("sRGB"));
    spin(widget, 2)->setValue(0.301);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("Custom"));

    // Choosing a preset fills the spin boxes from its table row.
    combo(widget)->setCurrentIndex(combo(widget)->findText(QStringLiteral("SMPTE-C")));
    EXPECT_DOUBLE_EQ(spin(widget, 3)->value(), 0.595);
    EXPECT_DOUBLE_EQ(spin(widget, 4)->value(), 0.155);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("SMPTE-C"));
    // "Custom" leaves the values alone.
    combo(widget)->setCurrentIndex(0);
    EXPECT_DOUBLE_EQ(spin(widget, 3)->value(), 0.595);
    widget.flush_pending_writes();
    EXPECT_EQ(sim_value(kRedX + 3), 595) << "the preset reached the monitor";
}

TEST_F(ColorGamutTest, TheNativeGamutEntryComesAndGoesWithTheNativeGamut) {
    color_wizard_color_gamut widget;
    EXPECT_EQ(combo(widget)->count(), 9);
    CCIEYxy native[3] = {CCIEYxy(1, 0.690, 0.305), CCIEYxy(1, 0.170, 0.740),
                         CCIEYxy(1, 0.150, 0.045)};
    widget.SetMonitorNativeGamutData(true, native);
    widget.SetMonitorNativeGamutData(true, native);
    ASSERT_EQ(combo(widget)->count(), 10) << "appended once";
    EXPECT_EQ(combo(widget)->itemText(9), QStringLiteral("Native Gamut"));
    combo(widget)->setCurrentIndex(9);
    EXPECT_DOUBLE_EQ(spin(widget, 3)->value(), 0.740);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("Native Gamut"));
    auto* graph = widget.findChild<TW_gamut_graph*>(QStringLiteral("color_gamut_widget"));
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->monitorDataValid());
    EXPECT_DOUBLE_EQ(graph->monitorData()[1].y, 0.740);
    widget.SetMonitorNativeGamutData(false, nullptr);
    EXPECT_EQ(combo(widget)->count(), 9);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("Custom"));
    widget.timer_timeout();
}

// Every thousandth from 0.001 to 0.999 as the spin boxes hold it reaches the monitor as that
// many thousandths: 0.170, 0.740 and 0.150 once went as 169, 739 and 149.
TEST_F(ColorGamutTest, ChosenPrimariesReachTheMonitorInExactThousandths) {
    color_wizard_color_gamut widget;
    CCIEYxy native[3] = {CCIEYxy(1, 0.690, 0.305), CCIEYxy(1, 0.170, 0.740),
                         CCIEYxy(1, 0.150, 0.045)};
    widget.SetMonitorNativeGamutData(true, native);
    combo(widget)->setCurrentIndex(combo(widget)->findText(QStringLiteral("Native Gamut")));
    widget.flush_pending_writes();
    const int expected[6] = {690, 305, 170, 740, 150, 45};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sim_value(kRedX + i), expected[i]) << kSpinNames[i];
    for (int i = 0; i < 6; ++i) {
        QDoubleSpinBox* box = spin(widget, i);
        const int first = static_cast<int>(std::lround(box->minimum() * 1000));
        const int last = static_cast<int>(std::lround(box->maximum() * 1000));
        for (int thousandths = first; thousandths <= last; ++thousandths) {
            box->setValue(thousandths / 1000.0);
            ASSERT_EQ(wizard_monitor::chromaticity_code(box->value()), thousandths)
                << kSpinNames[i];
        }
    }
}

TEST_F(ColorGamutTest, ReadingTakesWhatTheMonitorHoldsWithoutWritingItBack) {
    const int values[6] = {655, 322, 290, 610, 148, 52};
    for (int i = 0; i < 6; ++i)
        set_sim_value(kRedX + i, values[i]);
    color_wizard_color_gamut widget;
    widget.read_current_gamut();
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(spin(widget, i)->isEnabled());
        EXPECT_DOUBLE_EQ(spin(widget, i)->value(), values[i] / 1000.0) << kSpinNames[i];
    }
    EXPECT_FALSE(widget.write_pending()) << "read values are not edits";
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorGamutTest, AFailedReadStopsTheSequenceAndDisablesWhatWasNotRead) {
    color_wizard_color_gamut widget;
    fail_exchange_after(2);  // red x and red y answer, green x does not
    widget.read_current_gamut();
    EXPECT_TRUE(spin(widget, 0)->isEnabled());
    EXPECT_TRUE(spin(widget, 1)->isEnabled());
    for (int i = 2; i < 6; ++i)
        EXPECT_FALSE(spin(widget, i)->isEnabled()) << kSpinNames[i];
    EXPECT_EQ(errors.texts.size(), 1) << "one communication error for the failed read";
}

TEST_F(ColorGamutTest, DraggingTheRedPrimaryWritesBothOfItsValuesOnceAfterThePause) {
    color_wizard_color_gamut widget;
    widget.read_current_gamut();
    // What one write costs on the link, to tell one write from several.
    int probe = sim_value(kRedX + 5);
    const int before_probe = exchanges();
    ASSERT_EQ(monitor()->set_value(kRedX + 5, probe), 0);
    const int per_write = exchanges() - before_probe;

    auto* graph = widget.findChild<TW_gamut_graph*>(QStringLiteral("color_gamut_widget"));
    ASSERT_NE(graph, nullptr);
    const int before = exchanges();
    Q_EMIT graph->dragging_point(TW_gamut_graph::kRed, QPointF(0.6604, 0.3207));
    Q_EMIT graph->dragging_point(TW_gamut_graph::kRed, QPointF(0.6711, 0.3158));
    EXPECT_EQ(exchanges(), before) << "nothing is written during the drag";
    EXPECT_DOUBLE_EQ(spin(widget, 0)->value(), 0.671);
    QTest::qWait(1300);
    EXPECT_FALSE(widget.write_pending());
    EXPECT_EQ(sim_value(kRedX), 671);
    EXPECT_EQ(sim_value(kRedX + 1), 316) << "the spin box's three decimals";
    EXPECT_EQ(exchanges() - before, 2 * per_write) << "one write for each of the two values";
}

TEST_F(ColorGamutTest, ResetWritesTheResetFeatureWaitsAndReadsTheDefaultsBack) {
    color_wizard_color_gamut widget;
    widget.read_current_gamut();
    const int factory_red_x = sim_value(kRedX);
    set_sim_value(kRedX, 600);
    widget.read_current_gamut();
    ASSERT_DOUBLE_EQ(spin(widget, 0)->value(), 0.600);
    sleeper.clear();
    widget.findChild<QPushButton*>(QStringLiteral("reset_pushButton"))->click();
    EXPECT_TRUE(waited(2000));
    EXPECT_EQ(sim_value(kRedX), factory_red_x);
    EXPECT_DOUBLE_EQ(spin(widget, 0)->value(), factory_red_x / 1000.0);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorGamutTest, AFailedWriteKeepsTheUsersValueAndIsReported) {
    color_wizard_color_gamut widget;
    widget.read_current_gamut();
    const int held = sim_value(kRedX + 2);
    spin(widget, 2)->setValue(0.281);
    fail_writes();
    widget.flush_pending_writes();
    EXPECT_EQ(errors.texts.size(), 1) << "one communication error for the lost write";
    EXPECT_DOUBLE_EQ(spin(widget, 2)->value(), 0.281) << "the user's value stays on screen";
    EXPECT_EQ(sim_value(kRedX + 2), held);
    EXPECT_FALSE(widget.write_pending());
}

TEST_F(ColorGamutTest, AnEditJustBeforeThePageIsLeftReachesTheMonitor) {
    color_wizard_color_gamut widget;
    widget.show();
    widget.read_current_gamut();
    spin(widget, 5)->setValue(0.071);
    ASSERT_TRUE(widget.write_pending());
    widget.hide();  // Next or Cancel
    EXPECT_FALSE(widget.write_pending());
    EXPECT_EQ(sim_value(kRedX + 5), 71);

    // A page deleted while the pause runs (the wizard closing) still writes its last edit.
    auto* doomed = new color_wizard_color_gamut;
    doomed->read_current_gamut();
    spin(*doomed, 4)->setValue(0.149);
    ASSERT_TRUE(doomed->write_pending());
    delete doomed;
    EXPECT_EQ(sim_value(kRedX + 4), 149);
}

}  // namespace
