#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "color/color_temperature.h"
#include "comm/monitor_features.h"
#include "ui/graphs/gamut_graph.h"
#include "ui/wizard/color_wizard_white_point.h"
#include "wizard_fixture.h"

namespace mf = monitor_feature;

namespace {

using wizard_testing::WizardWidgetTest;

constexpr int kWhiteX = mf::white_x;
constexpr int kWhiteY = mf::white_y;

class WhitePointTest : public WizardWidgetTest {
  protected:
    void SetUp() override { start(kAbsoluteModel); }
    QDoubleSpinBox* x(color_wizard_white_point& w) {
        return w.findChild<QDoubleSpinBox*>(QStringLiteral("white_x_doubleSpinBox"));
    }
    QDoubleSpinBox* y(color_wizard_white_point& w) {
        return w.findChild<QDoubleSpinBox*>(QStringLiteral("white_y_doubleSpinBox"));
    }
    QComboBox* combo(color_wizard_white_point& w) {
        return w.findChild<QComboBox*>(QStringLiteral("white_point_comboBox"));
    }
    QString label(color_wizard_white_point& w) {
        return w.findChild<QLabel*>(QStringLiteral("color_temp_label"))->text();
    }
};

TEST_F(WhitePointTest, PresetsMatchExactlyAndTheLabelShowsTheTemperature) {
    color_wizard_white_point widget;
    x(widget)->setValue(0.313);
    y(widget)->setValue(0.329);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("6500K (D65)"));
    const CColorTemperature d65(0.313, 0.329);
    EXPECT_EQ(label(widget), QStringLiteral("%1 K (%2 %3uv)")
                                 .arg(d65.cct)
                                 .arg(std::fabs(d65.duv), 0, 'f', 4)
                                 .arg(QChar(0x0394)));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^6\\d{3} K \\(0\\.\\d{4} \u0394uv\\)$"))
                    .match(label(widget))
                    .hasMatch())
        << qPrintable(label(widget));

    x(widget)->setValue(0.314);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("Custom"));

    widget.timer_timeout();
}

TEST_F(WhitePointTest, OfTwoPresetsWithOneWhiteThePickedOneStaysWhileItsValuesDo) {
    color_wizard_white_point widget;
    const auto pick = [&](const char* name) {
        combo(widget)->setCurrentIndex(combo(widget)->findText(QLatin1String(name)));
    };
    pick("DICOM Clear");
    EXPECT_DOUBLE_EQ(x(widget)->value(), 0.299);
    EXPECT_DOUBLE_EQ(y(widget)->value(), 0.315);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("DICOM Clear"));
    // Written and read back on entering the page again: still the user's choice.
    widget.timer_timeout();
    EXPECT_EQ(sim_value(kWhiteX), 299);
    widget.read_current_white_point();
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("DICOM Clear"));

    pick("7500K (D75)");
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("7500K (D75)"));
    pick("DICOM Clear");
    // Values of its own make it Custom; the same values typed again are the first preset's.
    x(widget)->setValue(0.300);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("Custom"));
    x(widget)->setValue(0.299);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("7500K (D75)"));
    widget.timer_timeout();
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(WhitePointTest, ATemperatureOutsideTheShownRangeHasNoNumber) {
    ASSERT_LT(CColorTemperature(0.480, 0.410).cct, 2500);
    color_wizard_white_point widget;
    x(widget)->setValue(0.480);
    y(widget)->setValue(0.410);
    EXPECT_EQ(label(widget), QStringLiteral("- K"));
    EXPECT_EQ(color_wizard_white_point::color_temperature_text(0.25, 0.25), QStringLiteral("- K"))
        << "far bluer than 20000 K";
    widget.timer_timeout();
}

TEST_F(WhitePointTest, ReadsAndWritesAreAnnouncedInThousandths) {
    set_sim_value(kWhiteX, 346);
    set_sim_value(kWhiteY, 359);
    color_wizard_white_point widget;
    QSignalSpy changed(&widget, &color_wizard_white_point::white_point_changed);
    widget.read_current_white_point();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toUInt(), 346u);
    EXPECT_EQ(changed[0][1].toUInt(), 359u);
    EXPECT_EQ(combo(widget)->currentText(), QStringLiteral("5000K (D50)"));
    EXPECT_FALSE(widget.write_pending());

    // Dragging the white point in the diagram is an edit like any other.
    auto* graph = widget.findChild<TW_gamut_graph*>(QStringLiteral("color_gamut_widget"));
    Q_EMIT graph->dragging_point(TW_gamut_graph::kWhite, QPointF(0.3309, 0.3412));
    Q_EMIT graph->dragging_point(TW_gamut_graph::kRed, QPointF(0.6, 0.3));  // not this page's
    EXPECT_EQ(changed.size(), 1) << "nothing is announced before the write";
    QTest::qWait(1300);
    EXPECT_EQ(sim_value(kWhiteX), 331);
    EXPECT_EQ(sim_value(kWhiteY), 341);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[1][0].toUInt(), 331u);
    EXPECT_EQ(changed[1][1].toUInt(), 341u);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(WhitePointTest, TheDiagramOpensZoomedInOnItsBaseLevel) {
    color_wizard_white_point widget;
    auto* graph = widget.findChild<TW_gamut_graph*>(QStringLiteral("color_gamut_widget"));
    ASSERT_NE(graph, nullptr);
    EXPECT_DOUBLE_EQ(graph->zoomLevelSettings(0).maxX, 0.48);
    EXPECT_EQ(graph->zoomLevelSettings(0).numXTicks, 9);
    // Zoomed in one level, to exactly 0.25 to 0.43 in nine ticks of 0.02.
    ASSERT_EQ(graph->zoomLevel(), 1);
    const PlotSettings& s = graph->plotSettings();
    EXPECT_DOUBLE_EQ(s.minX, 0.25);
    EXPECT_DOUBLE_EQ(s.maxX, 0.43);
    EXPECT_DOUBLE_EQ(s.minY, 0.25);
    EXPECT_DOUBLE_EQ(s.maxY, 0.43);
    EXPECT_EQ(s.numXTicks, 9);
    EXPECT_EQ(s.numYTicks, 9);
    EXPECT_TRUE(graph->zoomOutButton()->isEnabled()) << "the base level is one step out";
    x(widget)->setValue(0.3);
    EXPECT_DOUBLE_EQ(graph->monitorData()[3].x, 0.3) << "the white point is the fourth point";
    EXPECT_DOUBLE_EQ(graph->monitorData()[0].x, 0.681);
    widget.timer_timeout();
}

TEST_F(WhitePointTest, AFailedReadDisablesTheSpinBoxAndReportsIt) {
    color_wizard_white_point widget;
    fail_exchange_after(1);
    widget.read_current_white_point();
    EXPECT_TRUE(x(widget)->isEnabled());
    EXPECT_FALSE(y(widget)->isEnabled());
    EXPECT_EQ(errors.texts.size(), 1);
}

TEST_F(WhitePointTest, AWhitePointNoReadFilledIsNeverAnnounced) {
    color_wizard_white_point widget;
    QSignalSpy announced(&widget, &color_wizard_white_point::white_point_changed);
    // x is read, y is not: the y box still holds its form's minimum.
    fail_exchange_after(1);
    widget.read_current_white_point();
    EXPECT_FALSE(widget.white_point_known());
    EXPECT_EQ(announced.count(), 0);
    EXPECT_EQ(errors.texts.size(), 1);

    // An edit of x alone reaches the monitor, but y is still unknown.
    sim_monitor().faults().clear();
    x(widget)->setValue(0.320);
    widget.flush_pending_writes();
    EXPECT_EQ(sim_value(kWhiteX), 320);
    EXPECT_EQ(announced.count(), 0);

    // A read that succeeds announces what the monitor holds.
    widget.read_current_white_point();
    EXPECT_TRUE(widget.white_point_known());
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced[0][0].toUInt(), 320u);
    EXPECT_EQ(announced[0][1].toUInt(), unsigned(sim_value(kWhiteY)));
}

TEST_F(WhitePointTest, AfterAFailedWriteNothingIsAnnouncedUntilBothValuesAreKnownAgain) {
    color_wizard_white_point widget;
    widget.read_current_white_point();
    ASSERT_TRUE(widget.white_point_known());
    const int held_x = sim_value(kWhiteX);
    QSignalSpy announced(&widget, &color_wizard_white_point::white_point_changed);
    fail_writes();
    x(widget)->setValue(0.346);
    widget.flush_pending_writes();
    EXPECT_EQ(sim_value(kWhiteX), held_x);
    EXPECT_FALSE(widget.white_point_known());
    EXPECT_EQ(announced.count(), 0);
    EXPECT_EQ(errors.texts.size(), 1);

    // Both values entered and taken by the monitor are known again.
    sim_monitor().faults().clear();
    x(widget)->setValue(0.347);
    y(widget)->setValue(0.358);
    widget.flush_pending_writes();
    EXPECT_TRUE(widget.white_point_known());
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced[0][0].toUInt(), 347u);
    EXPECT_EQ(announced[0][1].toUInt(), 358u);
}

TEST_F(WhitePointTest, AnEditJustBeforeThePageIsLeftReachesTheMonitor) {
    color_wizard_white_point widget;
    widget.show();
    widget.read_current_white_point();
    y(widget)->setValue(0.333);
    widget.hide();
    EXPECT_EQ(sim_value(kWhiteY), 333);
    EXPECT_FALSE(widget.write_pending());
}

}  // namespace
