#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "core/picture_mode_rules.h"

// The wizard's last page: brightness and black level of the current picture mode, each with a
// slider (the monitor's raw value), a spin box (percent or cd/m²) and an indicator of the
// monitor's limits. Changes are written a second after the last one.
namespace Ui {
class color_wizard_brightnessClass;
}

class color_wizard_brightness : public QWidget {
    Q_OBJECT

  public:
    explicit color_wizard_brightness(QWidget* parent = nullptr);
    ~color_wizard_brightness() override;

    // The page sets this from the monitor's percent test each time it is entered.
    void set_percent_mode(bool percent);
    bool percent_mode() const { return percent_display; }

    // Reads every value and limit from the monitor (on page entry and after each write).
    void read_all_values();
    // Writes what is still waiting for the debounce timer; hiding the widget does it too.
    void flush_pending_writes();
    bool write_pending() const { return timer.isActive(); }
    bool limit_check_running() const { return limit_timer.isActive(); }

    int uniformity_limit() const { return uniformity_limit_value; }
    int contrast_limit() const { return contrast_limit_value; }
    int black_floor() const { return black_floor_value; }

  public Q_SLOTS:
    void on_brightness_verticalSlider_valueChanged(int value);
    void on_black_level_verticalSlider_valueChanged(int value);
    void set_brightness_value_indicator(int value);
    void set_black_level_value_indicator(int value);
    void brightness_spinBox_valuechanged(double value);
    void black_level_spinBox_valuechanged(double value);
    void timer_timeout();
    void check_brightness_limit_timer_timeout();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void apply_spin_box_format();
    // The scales of the two sliders as they are set now.
    picture_mode::BrightnessScale brightness_scale() const;
    picture_mode::BlackLevelScale black_level_scale() const;
    void set_brightness_enabled(bool enabled);
    void set_black_level_enabled(bool enabled);

    std::unique_ptr<Ui::color_wizard_brightnessClass> ui;
    QTimer timer;
    QTimer limit_timer;
    bool percent_display = false;
    bool brightness_dirty = false;
    bool black_level_dirty = false;
    // Set while a spin-box edit moves its slider, so that the slider does not write back.
    bool brightness_from_spin = false;
    bool black_level_from_spin = false;
    int uniformity_limit_value = -1;
    int contrast_limit_value = -1;
    int black_floor_value = -1;
};
