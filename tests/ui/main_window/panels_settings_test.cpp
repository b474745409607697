#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "comm/monitor_features.h"
#include "core/string_table.h"
#include "panels_fixture.h"
#include "platform/sleeper.h"
#include "sim/sim_faults.h"
#include "ui/main_window/panel_settings.h"
#include "ui/patterns/test_pattern_drawing.h"
#include "ui/patterns/tw_test_pattern_dialog.h"
#include "ui/patterns/tw_test_pattern_widget.h"
#include "ui_panel_settings.h"

namespace mf = monitor_feature;

namespace {

constexpr int kPowerLed = mf::power_led;
constexpr int kUniformity = mf::uniformity;

struct SettingsPage : panels_testing::PanelTest {
    // The dialog MasterControl creates at start-up, with a stand-in main window as parent.
    void make_pattern_dialog() {
        main_window = std::make_unique<QWidget>();
        dialog = new test_pattern_dialog_class(main_window.get());
        ::tw_test_pattern_dialog = dialog;
    }
    void TearDown() override {
        ::tw_test_pattern_dialog = nullptr;
        main_window.reset();
        PanelTest::TearDown();
    }
    std::unique_ptr<QWidget> main_window;
    test_pattern_dialog_class* dialog = nullptr;
};

// The tick marks the style draws under a slider: runs of marked columns in the row below the
// groove that has the most of them.
int drawn_ticks(QSlider* slider) {
    const QImage image = slider->grab().toImage();
    const QRgb background = image.pixel(0, image.height() - 1);
    int most = 0;
    for (int y = image.height() / 2; y < image.height(); ++y) {
        int runs = 0;
        bool in_run = false;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const bool marked = std::abs(qGray(p) - qGray(background)) > 24;
            if (marked && !in_run) ++runs;
            in_run = marked;
        }
        most = std::max(most, runs);
    }
    return most;
}

TEST_F(SettingsPage, BothSlidersMarkEveryStep) {
    start();
    panel_settings page;
    page.resize(560, 300);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    for (QSlider* slider : {page.form()->monitor_settings_LED_brightness_horizontalSlider,
                            page.form()->monitor_settings_colorcomp_level_horizontalSlider}) {
        SCOPED_TRACE(slider->objectName().toStdString());
        ASSERT_TRUE(slider->isEnabled());
        EXPECT_EQ(drawn_ticks(slider), slider->maximum() - slider->minimum() + 1);
    }
}

TEST_F(SettingsPage, TheLedSliderWritesOnlyValuesOtherThanTheLastWritten) {
    start();
    panel_settings page;
    page.show();
    QSlider* led = page.form()->monitor_settings_LED_brightness_horizontalSlider;
    ASSERT_TRUE(page.led_available());
    EXPECT_EQ(led->minimum(), 1);
    EXPECT_EQ(led->maximum(), 4);
    EXPECT_EQ(led->value(), feature(kPowerLed));

    led->setValue(4);
    EXPECT_EQ(feature(kPowerLed), 4);
    EXPECT_TRUE(page.save_timer().isActive());

    // A write that fails leaves the slider where the user put it, and the last written
    // value where it was: moving back to it has nothing to write.
    sim_monitor().faults().add({sim::CSimFault::write_failure, -1, -1, 1, 5});
    expect_message_box();
    led->setValue(2);
    EXPECT_EQ(message_boxes, 1) << "the communication error";
    EXPECT_EQ(feature(kPowerLed), 4);
    sim_monitor().faults().clear();
    const int before = exchanges();
    led->setValue(4);
    EXPECT_EQ(exchanges(), before) << "4 is what the monitor was last given";
    page.on_monitor_settings_LED_brightness_horizontalSlider_valueChanged(4);
    EXPECT_EQ(exchanges(), before);
    led->setValue(1);
    EXPECT_EQ(feature(kPowerLed), 1);
}

TEST_F(SettingsPage, TheSaveFollowsTheLastMoveByOneSecond) {
    start();
    panel_settings page;
    page.show();
    const int saves_before = saves();
    page.form()->monitor_settings_colorcomp_level_horizontalSlider->setValue(1);
    page.form()->monitor_settings_colorcomp_level_horizontalSlider->setValue(2);
    EXPECT_EQ(feature(kUniformity), 2);
    EXPECT_EQ(page.save_timer().interval(), 1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return saves() > saves_before; }, 2000));
    EXPECT_EQ(saves(), saves_before + 1);
}

TEST_F(SettingsPage, TheUniformityWarningNeedsANonZeroLimitBelowTheBrightness) {
    start();
    panel_settings page;
    page.show();
    QLabel* warning = page.form()->brightness_warning_label;
    const int brightness_max = sim_monitor().read_feature(mf::luminance).maximum;

    // Correction off: the monitor reports no limit, whatever the brightness.
    set_feature(kUniformity, 0);
    set_feature(mf::luminance, brightness_max);
    ASSERT_EQ(feature(mf::uniformity_limit), 0);
    page.update_ui();
    EXPECT_EQ(warning->text(), panel_settings::blank_warning());
    EXPECT_TRUE(warning->toolTip().isEmpty());

    set_feature(kUniformity, 3);
    const int limit = feature(mf::uniformity_limit);
    ASSERT_GT(limit, 0);
    ASSERT_GT(brightness_max, limit);
    page.update_ui();
    EXPECT_EQ(warning->text(), string(815));
    EXPECT_TRUE(warning->toolTip().contains(QString::number(limit)));
    EXPECT_TRUE(warning->toolTip().contains(QStringLiteral("cd/m") + QChar(0x00B2)));

    set_feature(mf::luminance, limit);
    page.update_ui();
    EXPECT_EQ(warning->text(), panel_settings::blank_warning()) << "at the limit is not above it";
}

TEST_F(SettingsPage, AMonitorWithoutTheFeaturesDisablesBothGroupsQuietly) {
    start(panels_testing::kTwoMonitors, 1);
    panel_settings page;
    expect_message_box();
    page.show();
    QApplication::processEvents();
    EXPECT_EQ(message_boxes, 0) << "no uniformity correction is not a failure";
    EXPECT_FALSE(page.uniformity_available());
    EXPECT_FALSE(page.form()->monitor_settings_colorcomp_level_horizontalSlider->isEnabled());
    EXPECT_TRUE(page.led_available()) << "this model has a power LED";
}

// The page's reads process events: meanwhile a slider of the monitor shown before must not
// be usable for one that may lack the feature.
TEST_F(SettingsPage, WhileAnotherMonitorIsReadItsSlidersAreNotUsable) {
    start(panels_testing::kTwoMonitors, 0);
    panel_settings page;
    page.show();
    QApplication::processEvents();
    QSlider* uniformity = page.form()->monitor_settings_colorcomp_level_horizontalSlider;
    ASSERT_TRUE(uniformity->isEnabled()) << "the first monitor has the correction";
    select(1);
    const platform::CResponsiveWaits waits;  // as under the main window
    bool seen_enabled = false;
    int looks = 0;
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        ++looks;
        seen_enabled = seen_enabled || uniformity->isEnabled();
    });
    look.start();
    page.update_ui();
    look.stop();
    EXPECT_GT(looks, 0) << "the reads processed events";
    EXPECT_FALSE(seen_enabled);
    EXPECT_FALSE(uniformity->isEnabled());
}

TEST_F(SettingsPage, TheWhiteScreenCoversTheSelectedDisplayAndLeavesWithTheBox) {
    start(panels_testing::kTwoMonitors, 1);
    make_pattern_dialog();
    panel_settings page;
    page.show();
    QCheckBox* white = page.form()->white_screen_background_checkBox;
    white->setChecked(true);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->pos(), QPoint(2560, 0));
    EXPECT_EQ(dialog->size(), QSize(1920, 1200));
    EXPECT_EQ(dialog->pattern_widget()->pattern(), test_patterns::kWhitePattern);
    EXPECT_TRUE(dialog->close_control_enabled()) << "the user must have a way back";

    // Escape hides it, and the box follows.
    QTest::keyClick(dialog->pattern_widget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(white->isChecked());

    white->setChecked(true);
    ASSERT_TRUE(dialog->isVisible());
    dialog->on_test_pattern_close_toolButton_clicked();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(white->isChecked());

    // Shown again, the page finds the box as the dialog is.
    white->setChecked(true);
    page.hide();
    page.show();
    EXPECT_TRUE(white->isChecked());
    white->setChecked(false);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SettingsPage, ADisplayOffTheDesktopGetsNoWhiteScreen) {
    start();
    make_pattern_dialog();
    DisplayInfo off = master->current_display().info();
    off.desktop_right = off.desktop_left - 1;
    master->current_display().connect(off);
    panel_settings page;
    page.show();
    page.form()->white_screen_background_checkBox->setChecked(true);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(page.form()->white_screen_background_checkBox->isChecked());
}

TEST_F(SettingsPage, ThePreferencesFollowTheirControls) {
    start();
    master->preferences().set_auto_manage_icc_profiles(false);
    panel_settings page;
    page.show();
    EXPECT_FALSE(page.form()->manage_icc_profiles_checkBox->isChecked());
    page.form()->manage_icc_profiles_checkBox->setChecked(true);
    EXPECT_TRUE(master->preferences().auto_manage_icc_profiles());
    EXPECT_FALSE(page.form()->preferences_ProfileStorageLocation_AllUsers_radioButton->isVisible());
    EXPECT_TRUE(page.form()->preferences_ProfileStorageLocation_AllUsers_radioButton->isChecked())
        << "the stored location (shared, by default) is kept";
    page.storageLocationButtonGroup_buttonClicked(0);
    EXPECT_EQ(master->preferences().profile_storage_location(), 0);
}

}  // namespace

namespace {

// The user's way to every pattern: beside the white screen, on the selected display, with the
// caption and the keys, and Escape to leave.
TEST_F(SettingsPage, TestPatternsOpenOnTheSelectedDisplayWithEveryPatternReachable) {
    start(panels_testing::kTwoMonitors, 1);
    make_pattern_dialog();
    panel_settings page;
    page.show();
    QCheckBox* white = page.form()->white_screen_background_checkBox;
    QPushButton* patterns = page.form()->test_patterns_pushButton;
    EXPECT_EQ(patterns->text().remove(QLatin1Char('&')), QStringLiteral("Test Patterns..."));
    QTest::mouseClick(patterns, Qt::LeftButton);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->pos(), QPoint(2560, 0));
    EXPECT_EQ(dialog->size(), QSize(1920, 1200));
    EXPECT_TRUE(dialog->controls_enabled());
    EXPECT_TRUE(dialog->close_control_enabled());
    EXPECT_EQ(dialog->pattern_widget()->pattern(), test_patterns::kTg18Pattern);
    EXPECT_FALSE(white->isChecked()) << "the box stands for the white screen only";

    // Activity shows the caption and the arrows, which step through all eighteen and back.
    auto* caption = dialog->findChild<QLabel*>(QStringLiteral("test_pattern_label"));
    auto* next = dialog->findChild<QToolButton*>(QStringLiteral("test_pattern_next_toolButton"));
    auto* previous =
        dialog->findChild<QToolButton*>(QStringLiteral("test_pattern_previous_toolButton"));
    ASSERT_TRUE(caption && next && previous);
    QTest::mouseMove(dialog->pattern_widget(), QPoint(300, 300));
    dialog->pattern_widget()->reset_timer();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QStringList seen;
    for (int step = 0; step < test_patterns::kPatternCount; ++step) {
        ASSERT_TRUE(caption->isVisible() && next->isVisible());
        EXPECT_TRUE(caption->text().contains(QStringLiteral("Pattern #%1:").arg(step + 1)))
            << qPrintable(caption->text());
        seen << caption->text();
        QTest::mouseClick(next, Qt::LeftButton);
    }
    EXPECT_EQ(dialog->pattern_widget()->pattern(), 0);
    seen.removeDuplicates();
    EXPECT_EQ(seen.size(), test_patterns::kPatternCount);
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(dialog->pattern_widget()->pattern(), test_patterns::kPatternCount - 1);

    // Escape leaves; opened again they are where the user left them.
    QTest::keyClick(dialog->pattern_widget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    patterns->click();
    EXPECT_EQ(dialog->pattern_widget()->pattern(), test_patterns::kPatternCount - 1);
    // The white screen has no stepping, and the patterns after it start from the first.
    white->setChecked(true);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->controls_enabled());
    EXPECT_EQ(dialog->pattern_widget()->pattern(), test_patterns::kWhitePattern);
    patterns->click();
    EXPECT_FALSE(white->isChecked());
    EXPECT_TRUE(dialog->controls_enabled());
    EXPECT_EQ(dialog->pattern_widget()->pattern(), 0) << "the white screen is not where they were";
    QTest::keyClick(dialog->pattern_widget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
