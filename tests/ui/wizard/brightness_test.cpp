#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

#include "comm/monitor_features.h"
#include "core/string_table.h"
#include "ui/wizard/color_wizard_brightness.h"
#include "wizard_fixture.h"

namespace mf = monitor_feature;

namespace {

using wizard_testing::WizardWidgetTest;

constexpr int kBrightness = mf::luminance;
constexpr int kBlackLevel = mf::black_level;

class BrightnessTest : public WizardWidgetTest {
  protected:
    QDoubleSpinBox* spin(color_wizard_brightness& w, const char* name) {
        return w.findChild<QDoubleSpinBox*>(QLatin1String(name));
    }
    QSlider* slider(color_wizard_brightness& w, const char* name) {
        return w.findChild<QSlider*>(QLatin1String(name));
    }
    QString text(color_wizard_brightness& w, const char* name) {
        return w.findChild<QLabel*>(QLatin1String(name))->text();
    }
};

TEST_F(BrightnessTest, PercentModeShowsTheBlackLevelDoubled) {
    start(kPercentModel);
    ASSERT_TRUE(monitor()->uses_percent_brightness());
    set_sim_value(kBlackLevel, 25);
    color_wizard_brightness widget;
    widget.set_percent_mode(monitor()->uses_percent_brightness());
    widget.read_all_values();
    QDoubleSpinBox* black = spin(widget, "black_level_spinBox");
    EXPECT_DOUBLE_EQ(black->value(), 50.0);
    EXPECT_EQ(black->suffix(), QStringLiteral(" %"));
    EXPECT_EQ(black->decimals(), 0);
    EXPECT_EQ(slider(widget, "black_level_verticalSlider")->value(), 25);

    // A percent edit moves the slider to the raw value, and that is what is written.
    black->setValue(30.0);
    EXPECT_EQ(slider(widget, "black_level_verticalSlider")->value(), 15);
    QSlider* bright = slider(widget, "brightness_verticalSlider");
    spin(widget, "brightness_spinBox")->setValue(50.0);
    const int expected = bright->minimum() + (bright->maximum() - bright->minimum()) / 2;
    EXPECT_EQ(bright->value(), expected);
    widget.flush_pending_writes();
    EXPECT_EQ(sim_value(kBlackLevel), 15);
    EXPECT_EQ(sim_value(kBrightness), expected);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(BrightnessTest, AbsoluteModeShowsLuminancesAndTheLimitIndicators) {
    start(kAbsoluteModel);
    set_sim_value(kBrightness, 60);
    set_sim_value(kBlackLevel, 2);
    color_wizard_brightness widget;
    widget.read_all_values();
    QDoubleSpinBox* bright = spin(widget, "brightness_spinBox");
    EXPECT_DOUBLE_EQ(bright->value(), 60.0);
    EXPECT_EQ(bright->suffix(), QStringLiteral(" cd/m") + QChar(0x00B2));
    EXPECT_DOUBLE_EQ(spin(widget, "black_level_spinBox")->value(), 0.2);
    EXPECT_EQ(slider(widget, "brightness_verticalSlider")->minimum(),
              sim_value(mf::luminance_minimum));
    EXPECT_EQ(widget.black_floor(), sim_value(mf::black_level_minimum));
    EXPECT_EQ(widget.contrast_limit(), sim_value(mf::contrast_limit));
    // 60 is below the contrast limit of the simulated panel, 2 below its black floor.
    ASSERT_GT(widget.contrast_limit(), 60);
    ASSERT_GT(widget.black_floor(), 2);
    EXPECT_EQ(text(widget, "brightness_value_label"), string(808));
    EXPECT_EQ(text(widget, "black_level_label"), string(811));

    // Moving the slider within a second writes once, after the last move.
    QSlider* s = slider(widget, "brightness_verticalSlider");
    s->setValue(150);
    s->setValue(160);
    EXPECT_DOUBLE_EQ(bright->value(), 160.0);
    EXPECT_EQ(sim_value(kBrightness), 60);
    QTest::qWait(1300);
    EXPECT_EQ(sim_value(kBrightness), 160);
    EXPECT_NE(text(widget, "brightness_value_label"), string(808)) << "read again after the write";
}

TEST_F(BrightnessTest, TheLimitCheckRunsWhileShownAndWarnsOfAnUnreachableBrightness) {
    start(kAbsoluteModel);
    color_wizard_brightness widget;
    widget.read_all_values();
    EXPECT_FALSE(widget.limit_check_running());
    widget.show();
    EXPECT_TRUE(widget.limit_check_running());

    // The red gain is at its maximum: a brightness above the panel's reach is "too high".
    const int reach = sim_value(mf::luminance_maximum);
    set_sim_value(kBrightness, reach);
    widget.read_all_values();
    widget.check_brightness_limit_timer_timeout();
    EXPECT_EQ(text(widget, "brightness_value_label"), string(807));
    set_sim_value(kBrightness, reach - 20);
    widget.read_all_values();
    widget.check_brightness_limit_timer_timeout();
    EXPECT_NE(text(widget, "brightness_value_label"), string(807));

    widget.hide();
    EXPECT_FALSE(widget.limit_check_running());
}

TEST_F(BrightnessTest, TheReadBackAfterAWriteKeepsTheFocusAndWhatTheUserTypes) {
    start(kAbsoluteModel);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* widget = new color_wizard_brightness(&window);
    layout->addWidget(widget);
    auto* back = new QPushButton(QStringLiteral("< Back"), &window);
    layout->addWidget(back);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    widget->read_all_values();
    QDoubleSpinBox* black = spin(*widget, "black_level_spinBox");
    QSlider* bright = slider(*widget, "brightness_verticalSlider");

    // A brightness change waits for its write while the user types a black level.
    bright->setValue(bright->value() + 20);
    black->setFocus();
    ASSERT_TRUE(black->hasFocus());
    black->selectAll();
    QTest::keyClicks(black, QStringLiteral("3"));
    // Like the gamma and white-point boxes, the box takes the value as it is typed.
    EXPECT_EQ(slider(*widget, "black_level_verticalSlider")->value(), 30);
    ASSERT_TRUE(widget->write_pending());
    const QString typed = black->text();
    widget->flush_pending_writes();
    EXPECT_EQ(sim_value(kBrightness), bright->value());
    EXPECT_EQ(sim_value(kBlackLevel), 30);
    EXPECT_TRUE(black->isEnabled());
    EXPECT_TRUE(bright->isEnabled());
    EXPECT_TRUE(black->hasFocus()) << "not on " << qPrintable(back->text());
    EXPECT_EQ(black->text(), typed);

    // Half-typed text (the old number deleted) survives a write that comes due meanwhile.
    bright->setValue(bright->value() + 10);
    black->selectAll();
    QTest::keyClick(black, Qt::Key_Backspace);
    const QString half = black->text();
    ASSERT_NE(half, typed);
    widget->flush_pending_writes();
    EXPECT_EQ(sim_value(kBrightness), bright->value());
    EXPECT_TRUE(black->hasFocus());
    EXPECT_EQ(black->text(), half);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(BrightnessTest, WithoutAMonitorEverythingIsDisabled) {
    start(kAbsoluteModel);
    DisplayInfo none;
    master_control_instance->current_display().connect(none);
    color_wizard_brightness widget;
    widget.read_all_values();
    EXPECT_FALSE(slider(widget, "brightness_verticalSlider")->isEnabled());
    EXPECT_FALSE(spin(widget, "black_level_spinBox")->isEnabled());
    EXPECT_EQ(text(widget, "brightness_value_label"), QStringLiteral("-"));
}

TEST_F(BrightnessTest, AFailedWriteKeepsTheUsersValueInsteadOfReadingBack) {
    start(kAbsoluteModel);
    color_wizard_brightness widget;
    widget.read_all_values();
    const int held = sim_value(kBrightness);
    QSlider* s = slider(widget, "brightness_verticalSlider");
    s->setValue(held + 30);
    fail_writes();
    widget.flush_pending_writes();
    EXPECT_EQ(errors.texts.size(), 1);
    EXPECT_EQ(s->value(), held + 30);
    EXPECT_DOUBLE_EQ(spin(widget, "brightness_spinBox")->value(), held + 30.0);
    EXPECT_EQ(sim_value(kBrightness), held);
}

TEST_F(BrightnessTest, TheSpinBoxTheUserTypesInKeepsTheFocusWhileTheMonitorIsReadBack) {
    start(kAbsoluteModel);
    color_wizard_brightness widget;
    widget.show();
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    widget.read_all_values();
    QDoubleSpinBox* box = spin(widget, "brightness_spinBox");
    box->setFocus();
    ASSERT_TRUE(box->hasFocus());
    box->setValue(box->value() + 10);
    widget.flush_pending_writes();
    EXPECT_EQ(sim_value(kBrightness), slider(widget, "brightness_verticalSlider")->value());
    EXPECT_TRUE(box->hasFocus()) << "the read-back took the focus away";
}

TEST_F(BrightnessTest, AChangeJustBeforeThePageIsLeftReachesTheMonitor) {
    start(kAbsoluteModel);
    color_wizard_brightness widget;
    widget.show();
    widget.read_all_values();
    slider(widget, "black_level_verticalSlider")->setValue(12);
    widget.hide();  // Finish or Back
    EXPECT_EQ(sim_value(kBlackLevel), 12);
}

}  // namespace
