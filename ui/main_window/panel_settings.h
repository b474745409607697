#pragma once

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <memory>

class QButtonGroup;
class tw_test_pattern_dialog;
namespace Ui {
class panel_settingsClass;
}

// The monitor settings page: the power LED, digital uniformity correction with a white screen
// to judge it on, and the preferences for ICC display profiles.
class panel_settings : public QWidget {
    Q_OBJECT

  public:
    explicit panel_settings(QWidget* parent = nullptr);
    ~panel_settings() override;

    Ui::panel_settingsClass* form() const { return ui.get(); }
    QTimer& save_timer() { return save_timer_; }
    bool led_available() const { return led_available_; }
    bool uniformity_available() const { return uniformity_available_; }
    // The text the uniformity note shows when there is nothing to warn about.
    static QString blank_warning();

  Q_SIGNALS:
    void block_unblock_usb_update(bool block);

  public Q_SLOTS:
    void update_ui();
    void on_white_screen_background_checkBox_stateChanged(int);
    void on_test_patterns_pushButton_clicked();
    void on_manage_icc_profiles_checkBox_stateChanged(int);
    void timer_timeout();
    void on_monitor_settings_LED_brightness_horizontalSlider_valueChanged(int);
    void on_monitor_settings_colorcomp_level_horizontalSlider_valueChanged(int);
    void storageLocationButtonGroup_buttonClicked(int value);
    void test_pattern_hidden();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void reload_monitor();
    void update_warning();
    static class tw_test_pattern_dialog* pattern_dialog();
    // The selected display's desktop area (empty when it is not on the desktop).
    static QRect selected_display_area();

    std::unique_ptr<Ui::panel_settingsClass> ui;
    QButtonGroup* storage_group_;
    bool led_available_ = false;
    bool uniformity_available_ = false;
    int last_led_ = -1;
    int last_uniformity_ = -1;
    QTimer save_timer_;
};
